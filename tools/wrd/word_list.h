#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One word of a word list: the English word and up to three meanings, with
// the number of the line it came from (1-based).
struct WordEntry
{
    QString word;
    QStringList meanings;
    int line = 0;
};

// Something wrong at one line of a file; line 0 stands for the whole file.
struct WordListProblem
{
    QString file;
    int line = 0;
    QString text;

    // "file:line: text", the form compilers use, so editors can jump there.
    QString Message() const;
};

// Word lists as people write them: UTF-8 text, one word a line, the word and
// its meanings separated by tabs (or, on a line without a tab, by
// semicolons). Dictionary lines as the word editor builds them: the trimmed
// word, then every meaning that is not empty, each field followed by a comma.
namespace WordList {

inline constexpr int MaxMeanings = 3;
// The word editor's fields take at most this many characters.
inline constexpr int MaxFieldLength = 35;

struct Parsed
{
    QList<WordEntry> entries;
    QList<WordListProblem> problems;
};

// Reads a whole word list. Blank lines are skipped; every other line becomes
// an entry or a problem, so one pass reports every fault of the file.
Parsed Parse(const QByteArray &data, const QString &fileName);

// The dictionary line the word editor would store for this entry.
QString ToDictionaryLine(const WordEntry &entry);

// The fields of a stored dictionary line as the game reads them.
WordEntry FromDictionaryLine(const QString &line);

// One line of an exported word list, without its line break.
QString ToText(const WordEntry &entry);

} // namespace WordList
