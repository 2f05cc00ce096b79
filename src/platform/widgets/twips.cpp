#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace Twips {

int toPixels(int twips, qreal logicalDpi) { return static_cast<int>(std::lround(twips * logicalDpi / perInch)); }

int toPixels(int twips)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return toPixels(twips, screen ? screen->logicalDotsPerInchY() : 96.0);
}

QRect rect(int left, int top, int width, int height)
{
    return { toPixels(left), toPixels(top), toPixels(width), toPixels(height) };
}

QSize size(int width, int height) { return { toPixels(width), toPixels(height) }; }

}
