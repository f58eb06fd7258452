#pragma once

#include <QByteArray>
#include <QString>

// What a file write came to: error 0 when it succeeded, otherwise the
// operating system's error number (EACCES, ENOSPC, ...).
struct WriteOutcome
{
    int error = 0;
    bool ok() const { return error == 0; }
};

// Replaces a file's whole content so that it holds either the old or the new
// content at every moment, even when the program is killed half-way.
//
// The file is written only when it may be opened for writing where it
// stands; otherwise nothing is touched, not even the file's inode. A new
// file takes the old one's mode. Where replacing the file would change what
// the user set up (a file with several hard links, or one owned by someone
// else) or the folder takes no new file, the content is written in place,
// with the space for it reserved first so that a full disk leaves the old
// content whole.
WriteOutcome ReplaceFileContent(const QString &path, const QByteArray &data);

namespace FileReplaceTesting {
// Makes every following data write fail with the given error number (0
// stops that): a full disk where the tests cannot mount a small one.
void failWritesWith(int error);
} // namespace FileReplaceTesting
