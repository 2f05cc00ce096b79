#pragma once

#include <QElapsedTimer>
#include <functional>

// Long loops call maybeTurn() often; the event loop runs at most once per slice, so the windows repaint
// without a repaint per row.
class TimeSlicer {
public:
    static constexpr int defaultSliceMs = 25;

    explicit TimeSlicer(std::function<void()> turn, int sliceMs = defaultSliceMs);

    void maybeTurn();
    void turnNow();

private:
    std::function<void()> m_turn;
    int m_sliceMs;
    QElapsedTimer m_sinceTurn;
};
