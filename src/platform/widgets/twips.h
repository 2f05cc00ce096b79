#pragma once

#include <QRect>
#include <QSize>

// Design positions and sizes are given in twips, 1440 to the inch; the screen's logical DPI maps them to pixels.
namespace Twips {
constexpr int perInch = 1440;

[[nodiscard]] int toPixels(int twips, qreal logicalDpi);
[[nodiscard]] int toPixels(int twips);
[[nodiscard]] QRect rect(int left, int top, int width, int height);
[[nodiscard]] QSize size(int width, int height);
}
