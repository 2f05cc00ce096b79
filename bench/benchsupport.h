#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <vector>

// Shared by the benchmarks: timings against find over the same tree, in one run.
namespace Bench {

inline double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline double findMs(const QString& tree, int runs)
{
    return medianMs(runs, [&] {
        QProcess find;
        find.setStandardOutputFile(QProcess::nullDevice());
        find.start(QStringLiteral("find"),
            { tree, QStringLiteral("-maxdepth"), QStringLiteral("6"), QStringLiteral("-printf"),
                QStringLiteral("%p\\t%s\\t%B@\\n") });
        find.waitForFinished(-1);
    });
}

// Resident memory of this process in kB.
inline long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

}
