#pragma once

#include "import/word_list.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

// Tables in text: word lists with tabs or semicolons, CSV as spreadsheets
// write it (fields in double quotes may hold the delimiter, doubled quotes
// and line breaks), and flashcard exports that begin with header lines such
// as "#separator:tab" and "#html:true".
namespace DelimitedText {

struct Layout
{
    QChar delimiter = u'\t';
    // Tab lists of old: a line without a tab is split at semicolons.
    bool semicolonFallback = false;
    // Fields are HTML: tags and entities are taken out.
    bool html = false;
    // The file began with flashcard header lines.
    bool header = false;
    // Columns the header names as no part of the card (tags, deck, note
    // type, id), 0-based.
    QList<int> skippedColumns;
};

struct Record
{
    int line = 0; // where the record begins
    // Cleaned fields: no markup, no sound references, no tabs; a line break
    // inside a field is kept as '\n'.
    QStringList fields;
};

struct Table
{
    Layout layout;
    QList<Record> records; // blank records left out
    QList<WordListProblem> problems;
};

Table Read(QStringView text, const QString &fileName);

// The text of an HTML field: tags out (line breaks and block ends become
// '\n'), entities replaced by their characters, no-break spaces plain.
QString PlainText(QStringView html);

// Without the "[sound:file]" references flashcard fields carry.
QString WithoutSoundReferences(const QString &text);

} // namespace DelimitedText
