#include "timeslicer.h"

#include <utility>

TimeSlicer::TimeSlicer(std::function<void()> turn, int sliceMs)
    : m_turn(std::move(turn))
    , m_sliceMs(sliceMs)
{
    m_sinceTurn.start();
}

void TimeSlicer::maybeTurn()
{
    if (m_sinceTurn.elapsed() >= m_sliceMs)
        turnNow();
}

void TimeSlicer::turnNow()
{
    if (m_turn)
        m_turn();
    m_sinceTurn.restart();
}
