#pragma once

#include "import/word_list.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Meanings for a word list of English words only, from a dictionary: the
// importer offers them in its preview, marked as suggested.
namespace SuggestedMeanings {

// Gives the meanings the dictionary suggests for a word, best first.
using Lookup = std::function<QStringList(const QString &word)>;

// Whether the list holds words and none of them has a meaning.
bool WordsOnly(const QList<WordEntry> &entries);

struct Filled
{
    // The entries, each with up to three suggested meanings.
    QList<WordEntry> entries;
    // For each entry, whether it got meanings from the dictionary.
    QList<bool> suggested;
    // The words the dictionary gave nothing for, in list order; they keep
    // no meaning.
    QStringList unknown;
};

// Only meanings a dictionary line can hold are taken: at most 35
// characters, no comma, no control character.
Filled Fill(const QList<WordEntry> &entries, const Lookup &lookup);

} // namespace SuggestedMeanings
