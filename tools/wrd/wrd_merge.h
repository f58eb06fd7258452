#pragma once

#include <QString>
#include <QTextStream>

// lexomat-wrd merge FOLDER: brings the conflict copies that file sync made
// of the folder's dictionaries home.
int MergeConflictCopies(const QString &folder, QTextStream &out, QTextStream &err);

// The lines "check" prints about the folder's conflict copies; the number of
// them, each a fault to be dealt with.
int ListConflictCopies(const QString &folder, QTextStream &out);
