#include "platform/single_instance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString defaultDirectory()
{
    // Per user: the runtime folder belongs to the user alone; the temporary
    // folder is shared, so the file name carries the user id there.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QFile::decodeName(runtime)).exists())
        return QFile::decodeName(runtime);
    return QDir::tempPath();
}

} // namespace

SingleInstanceLock::SingleInstanceLock(const QString &name, const QString &directory)
{
    const QString dir = directory.isEmpty() ? defaultDirectory() : directory;
    m_path = dir + QLatin1Char('/') + name + QLatin1Char('-') + QString::number(::getuid())
             + QStringLiteral(".lock");
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return; // no folder, no permission: not a sign of another instance
    int result;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_state = State::Acquired;
    } else {
        m_state = errno == EWOULDBLOCK ? State::AlreadyRunning : State::Unavailable;
        ::close(m_fd);
        m_fd = -1;
    }
}

SingleInstanceLock::~SingleInstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
