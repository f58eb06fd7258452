#include "dict/file_replace.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_injectedWriteError = 0;

// Closes a descriptor when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now; the error number of a failed close, else 0.
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int m_fd;
};

// All of data at the descriptor's offset; 0, or the error number.
int writeAll(int fd, const QByteArray &data, off_t offset)
{
    if (g_injectedWriteError != 0)
        return g_injectedWriteError;
    const char *bytes = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::pwrite(fd, bytes, static_cast<size_t>(left), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        bytes += written;
        left -= written;
        offset += written;
    }
    return 0;
}

// Puts the rename on the disk. Best effort: the content is already in place
// by then, and a folder that may be written but not read cannot be opened.
void syncFolder(const QByteArray &folder)
{
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// The new content in a temporary file beside the target, renamed over it once
// it is complete and on the disk. Its name carries no ".wrd", so one left
// behind by an interrupted save is never taken for a dictionary. keep: the
// old file's mode and group, or none for a new file. Sets createdTemp when a
// temporary file could be made at all.
int replaceByRename(const QByteArray &target, const QByteArray &folder, const QByteArray &data,
                    const struct stat *keep, bool &createdTemp)
{
    QByteArray tempName = folder + "/.lexomat-save-XXXXXX";
    const Descriptor temp(::mkostemp(tempName.data(), O_CLOEXEC));
    createdTemp = temp.get() >= 0;
    if (!createdTemp)
        return errno;
    const auto fail = [&tempName](int error) {
        ::unlink(tempName.constData());
        return error;
    };
    if (keep) {
        if (::fchmod(temp.get(), keep->st_mode & 07777) != 0)
            return fail(errno);
        if (keep->st_gid != ::getegid() && ::fchown(temp.get(), static_cast<uid_t>(-1), keep->st_gid) != 0)
            return fail(EPERM);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(temp.get(), 0666 & ~mask) != 0)
            return fail(errno);
    }
    if (const int error = writeAll(temp.get(), data, 0))
        return fail(error);
    if (::fsync(temp.get()) != 0)
        return fail(errno);
    if (::rename(tempName.constData(), target.constData()) != 0)
        return fail(errno);
    syncFolder(folder);
    return 0;
}

// The content written over the old one through the descriptor that proved the
// file writable. The space is reserved before the first byte changes, and
// should a write fail all the same, the old content is put back.
int writeInPlace(int fd, const QByteArray &data)
{
    if (data.size() > 0) {
        const int reserved = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(data.size())) == 0 ? 0 : errno;
        if (reserved == ENOSPC || reserved == EDQUOT || reserved == EFBIG)
            return reserved;
    }
    QByteArray old;
    {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            return errno;
        old.resize(static_cast<qsizetype>(info.st_size));
        qsizetype got = 0;
        while (got < old.size()) {
            const ssize_t n = ::pread(fd, old.data() + got, static_cast<size_t>(old.size() - got), got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? errno : EIO;
            got += n;
        }
    }
    int error = writeAll(fd, data, 0);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(data.size())) != 0)
        error = errno;
    if (error != 0) {
        (void)writeAll(fd, old, 0);
        (void)::ftruncate(fd, static_cast<off_t>(old.size()));
        return error;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

} // namespace

WriteOutcome ReplaceFileContent(const QString &path, const QByteArray &data)
{
    // A symbolic link stays a link: its target gets the content.
    const QFileInfo link(path);
    const QString resolved = link.isSymLink() && !link.canonicalFilePath().isEmpty() ? link.canonicalFilePath() : path;
    const QByteArray target = QFile::encodeName(resolved);
    const QByteArray folder = QFile::encodeName(QFileInfo(resolved).absolutePath());

    struct stat old {};
    if (::stat(target.constData(), &old) != 0) {
        if (errno != ENOENT)
            return {errno};
        bool createdTemp = false;
        return {replaceByRename(target, folder, data, nullptr, createdTemp)};
    }
    if (S_ISDIR(old.st_mode))
        return {EISDIR};
    if (!S_ISREG(old.st_mode))
        return {EINVAL};

    // The promise to the user: a file that may not be opened for writing is
    // not replaced either. Opening it does not change it.
    Descriptor file(::open(target.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0)
        return {errno};

    const bool replaceable = old.st_nlink == 1 && old.st_uid == ::geteuid();
    if (replaceable) {
        bool createdTemp = false;
        const int error = replaceByRename(target, folder, data, &old, createdTemp);
        // Only a folder that takes no new file, or a group the new file could
        // not get, leads to the write in place.
        if (error == 0 || (createdTemp && error != EPERM))
            return {error};
    }
    if (const int error = writeInPlace(file.get(), data))
        return {error};
    return {file.close()};
}

void FileReplaceTesting::failWritesWith(int error)
{
    g_injectedWriteError = error;
}
