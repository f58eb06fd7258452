#include "dict/file_replace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

// The new content goes to a temporary file in the same
// folder that is renamed over the old one once it is complete; its name
// carries no ".wrd", so one left behind by an interrupted save is never taken
// for a dictionary. Where the folder allows no new file, the file is written
// in place, which is no worse than having no temporary file.
bool ReplaceFileContent(const QString &path, const QByteArray &data)
{
    const QFileInfo link(path);
    const QFileInfo target(link.isSymLink() && !link.canonicalFilePath().isEmpty() ? link.canonicalFilePath() : path);
    if (target.isDir())
        return false;
    QTemporaryFile temp(target.absoluteDir().filePath(QStringLiteral(".lexomat-save-XXXXXX")));
    if (temp.open()) {
        const QString tempName = temp.fileName();
        temp.setPermissions(target.exists() ? QFile::permissions(target.filePath())
                                            : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        if (temp.write(data) != data.size() || !temp.flush() || ::fsync(temp.handle()) != 0)
            return false;
        if (std::rename(QFile::encodeName(tempName).constData(), QFile::encodeName(target.filePath()).constData()) != 0)
            return false;
        temp.setAutoRemove(false);
        return true;
    }
    QFile out(target.filePath());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return out.write(data) == data.size() && out.flush();
}

