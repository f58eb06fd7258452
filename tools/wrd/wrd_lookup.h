#pragma once

#include <QStringList>
#include <QTextStream>

// lexomat-wrd lookup [--article | --tsv] WORD...: what the English–Russian
// dictionary says about each word. Exit code 0 when every word was found,
// 1 when one was not, 2 for a wrong command line or when no dictionary is
// installed.
int LookUpWords(const QStringList &arguments, QTextStream &out, QTextStream &err);
