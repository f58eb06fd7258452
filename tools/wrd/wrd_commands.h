#pragma once

#include <QStringList>
#include <QTextStream>

// The commands of lexomat-wrd. Results go to out, messages about faults to
// err. Returns the exit code: 0 done, 1 bad input or a fault found, 2 a
// command line that names no command or has the wrong arguments.
int RunWrdCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
