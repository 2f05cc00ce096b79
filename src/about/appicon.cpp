#include "appicon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace Vellumark {

// Rendered here rather than left to the SVG icon plugin, which a minimal Qt installation may lack.
QIcon applicationIcon()
{
    QSvgRenderer renderer(QStringLiteral(":/icons/vellumark.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void applyDesktopIdentity()
{
    QGuiApplication::setDesktopFileName(QStringLiteral("vellumark"));
    QGuiApplication::setWindowIcon(applicationIcon());
}

}
