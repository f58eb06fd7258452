#include "platform/single_instance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

const QString SingleInstanceLock::ProgramName = QStringLiteral("LxMutex");

QStringList SingleInstanceLock::defaultPlaces()
{
    // Per user: the runtime folder belongs to the user alone; the temporary
    // folder is shared, so the file name carries the user id there.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString first = !runtime.isEmpty() && QDir(QFile::decodeName(runtime)).exists() ? QFile::decodeName(runtime)
                                                                                          : QDir::tempPath();
    // Beside the settings file: every run of the same user reaches it.
    const QString settings = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                             + QStringLiteral("/Tolv");
    return {first, settings};
}

SingleInstanceLock::SingleInstanceLock(const QString &name)
{
    const QStringList places = defaultPlaces();
    QDir().mkpath(places.last()); // the settings folder of a first start
    take(name, places);
}

SingleInstanceLock::SingleInstanceLock(const QString &name, const QStringList &places)
{
    take(name, places);
}

// The lock fails closed where it can: a place that cannot hold the file says
// nothing about another instance, so the next place is tried.
void SingleInstanceLock::take(const QString &name, const QStringList &places)
{
    for (const QString &place : places) {
        m_state = tryPlace(name, place);
        if (m_state != State::Unavailable)
            return;
    }
    m_path.clear();
}

SingleInstanceLock::State SingleInstanceLock::tryPlace(const QString &name, const QString &place)
{
    if (place.isEmpty())
        return State::Unavailable;
    m_path = place + QLatin1Char('/') + name + QLatin1Char('-') + QString::number(::getuid()) + QStringLiteral(".lock");
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        return State::Unavailable; // no folder, no permission: not a sign of another instance
    int result;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return State::Acquired;
    const State state = errno == EWOULDBLOCK ? State::AlreadyRunning : State::Unavailable;
    ::close(m_fd);
    m_fd = -1;
    return state;
}

SingleInstanceLock::~SingleInstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
