#pragma once

#include <QIODevice>

// Writes every byte or fails, for a file opened unbuffered: a buffered QSaveFile loses a short write made while
// flushing (a full disk, a file size limit) and commits the cut file. After a short write the next attempt
// fails, which leaves the system's reason in the device's errorString().
[[nodiscard]] inline bool writeAll(QIODevice& device, const char* data, qint64 size)
{
    for (qint64 written = 0; written < size;) {
        const qint64 n = device.write(data + written, size - written);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}
