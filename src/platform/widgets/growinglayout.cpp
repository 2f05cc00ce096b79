#include "growinglayout.h"

#include <QEvent>
#include <QWidget>
#include <cmath>

GrowingLayout::GrowingLayout(QWidget* client)
    : QObject(client)
    , m_client(client)
{
    client->installEventFilter(this);
}

void GrowingLayout::add(QWidget* control, Share share) { m_controls.push_back({ control, share, {} }); }

void GrowingLayout::fixDesign()
{
    m_design = m_client->size();
    for (Control& control : m_controls)
        control.design = control.widget->geometry();
    m_client->setMinimumSize(m_design);
}

QRect GrowingLayout::grown(QRect design, Share share, QSize extra)
{
    const auto part = [](double share, int extra) { return static_cast<int>(std::lround(share * extra)); };
    return { design.x() + part(share.left, extra.width()), design.y() + part(share.top, extra.height()),
        design.width() + part(share.width, extra.width()), design.height() + part(share.height, extra.height()) };
}

void GrowingLayout::place()
{
    const QSize extra = (m_client->size() - m_design).expandedTo({ 0, 0 });
    for (const Control& control : m_controls)
        control.widget->setGeometry(grown(control.design, control.share, extra));
}

bool GrowingLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize && m_design.isValid())
        place();
    return false;
}
