#pragma once

#include <QStringList>
#include <QTextStream>

// lexomat-wrd due DIR [--record FILE] [--date YYYY-MM-DD] [--tsv]: the words
// of DIR's dictionaries that the learner has reviewed, with their review
// schedule, the most urgent first. The record is only read. Exit codes as
// RunWrdCommand.
int ListDueWords(const QStringList &arguments, QTextStream &out, QTextStream &err);
