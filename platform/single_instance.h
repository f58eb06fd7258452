#pragma once

#include <QString>

// A per-user lock held for the life of the process. The kernel drops it when
// the process ends, however it ends, so a crashed run never blocks the next.
class SingleInstanceLock
{
public:
    enum class State {
        Acquired,       // this process is the only one
        AlreadyRunning, // another process holds the lock
        Unavailable,    // the lock file cannot be used; run without a lock
    };

    // name: the lock's name; directory: where its file lives (empty: the
    // user's runtime folder, or the temporary folder when there is none).
    explicit SingleInstanceLock(const QString &name, const QString &directory = QString());
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    State state() const { return m_state; }
    QString filePath() const { return m_path; }

private:
    State m_state = State::Unavailable;
    QString m_path;
    int m_fd = -1;
};
