#include "desktopservice.h"

#include "bytename.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

bool QtDesktopService::openPath(const QString& path)
{
    // A name that is not valid UTF-8 reaches the handler as its exact bytes, percent-encoded.
    const QByteArray bytes = toNativeBytes(path);
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(bytes));
    return QDesktopServices::openUrl(url);
}
