#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's whole content so that it holds either the old or the new
// content at every moment, even when the program is killed half-way. False
// when the file cannot be written; the old content then stays.
bool ReplaceFileContent(const QString &path, const QByteArray &data);
