#pragma once

#include <QString>
#include <QStringList>

// A per-user lock held for the life of the process. The kernel drops it when
// the process ends, however it ends, so a crashed run never blocks the next.
class SingleInstanceLock
{
public:
    // The lock of the program itself; lexomat-wrd tests it before it writes.
    static const QString ProgramName;

    enum class State {
        Acquired,       // this process is the only one
        AlreadyRunning, // another process holds the lock
        Unavailable,    // no place takes the lock file; run without a lock
    };

    // The lock in the first of the default places that takes its file: the
    // user's runtime folder (the temporary folder when there is none), then
    // the program's settings folder.
    explicit SingleInstanceLock(const QString &name);
    // The lock in the first of these places that takes its file.
    SingleInstanceLock(const QString &name, const QStringList &places);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    State state() const { return m_state; }
    QString filePath() const { return m_path; }

    static QStringList defaultPlaces();

private:
    void take(const QString &name, const QStringList &places);
    State tryPlace(const QString &name, const QString &place);

    State m_state = State::Unavailable;
    QString m_path;
    int m_fd = -1;
};
