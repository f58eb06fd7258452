#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>
#include <map>

// Starts a saving helper again and again, kills it with SIGKILL after a
// random delay, and asks inspect() what it left on disk: a name for the state
// found (tallied), or an empty name and a reason when it is broken.
struct KillLoop
{
    QString program;
    QStringList arguments;
    int maxRuns = 300;
    int maxMilliseconds = 20000;
    int maxDelayMicroseconds = 8000;

    int runs = 0;
    std::map<QString, int> seen;
    QString failure;

    bool run(const std::function<QString(QString &why)> &inspect)
    {
        QElapsedTimer clock;
        clock.start();
        for (runs = 0; runs < maxRuns && clock.elapsed() < maxMilliseconds; ++runs) {
            QProcess saver;
            saver.start(program, arguments);
            if (!saver.waitForReadyRead(5000)) {
                failure = QStringLiteral("the saving helper did not start: %1").arg(saver.errorString());
                return false;
            }
            const auto delay = QRandomGenerator::global()->bounded(maxDelayMicroseconds);
            QThread::usleep(delay);
            saver.kill();
            if (!saver.waitForFinished(5000) || saver.exitStatus() != QProcess::CrashExit) {
                failure = QStringLiteral("the saving helper ended by itself: %1").arg(QString::fromLocal8Bit(saver.readAllStandardError()));
                return false;
            }
            QString why;
            const QString state = inspect(why);
            if (state.isEmpty()) {
                failure = QStringLiteral("run %1, killed after %2 us: %3").arg(runs).arg(delay).arg(why);
                return false;
            }
            ++seen[state];
        }
        return true;
    }

    QString summary() const
    {
        QStringList parts;
        for (const auto &[state, count] : seen)
            parts << QStringLiteral("%1 %2").arg(count).arg(state);
        return QStringLiteral("%1 kills: %2").arg(runs).arg(parts.join(QStringLiteral(", ")));
    }
};
