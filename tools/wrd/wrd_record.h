#pragma once

#include "progress/folder_progress.h"

#include <QString>
#include <QTextStream>

#include <optional>

// The record of answers a lexomat-wrd command reads: the file given with
// --record, else the one Lexomat keeps (brought up to date from the
// journals first). Notices go to err. A record not made yet reads as empty,
// and err is told so with `whenMissing`; a record that cannot be read is
// reported on err and gives nothing.
std::optional<ProgressMap> ReadRecordOfAnswers(QString recordPath, const QString &whenMissing, QTextStream &err);
