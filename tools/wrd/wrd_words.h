#pragma once

#include <QStringList>
#include <QTextStream>

// lexomat-wrd words FILE [--folder DIR] [--coverage 95|98] [--tsv]
// [--into DIR] [--record FILE]: the words of a text, subtitles or a book
// that the learner does not know yet, and how much of it they understand;
// with --into, those words as new dictionaries. Exit codes as RunWrdCommand.
int WordsFromText(const QStringList &arguments, QTextStream &out, QTextStream &err);
