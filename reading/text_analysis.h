#pragma once

#include "import/word_list.h"
#include "reading/document.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class WordKnowledge;
struct KnownWords;

// The words of a new dictionary made from a text: room is left for the
// learner's own.
inline constexpr qsizetype NewDictionaryWords = 66;

// One base word of a text that the learner does not know yet.
struct TextWord
{
    QString word;
    int count = 0;     // running words of the text counted under it
    int frequency = 0; // how common it is in English at large
    QStringList meanings;
    QString example;   // a sentence of the text where it occurs
};

// The words of a text measured against what the learner knows. Running
// words are the text's English words, names included; numbers and single
// letters other than "a" and "I" are left out of them.
struct TextAnalysis
{
    // Distinct base words (names: distinct names) and their running words.
    struct Group
    {
        int words = 0;
        qint64 occurrences = 0;
    };

    qint64 runningWords = 0;
    qint64 numbers = 0;   // numbers and single letters, left out
    Group functionWords;  // articles, pronouns, prepositions, interjections …
    Group inFolder;       // in one of the learner's dictionaries
    Group learnt;         // marked learnt by the record of answers
    Group names;          // capitalised words that are no English words here,
                          // and words of other languages ("de", "monsieur")
    // The rest, by count, then the more common in English first, then by
    // spelling.
    QList<TextWord> newWords;

    qint64 KnownOccurrences() const;
    // The share of the running words known now, in tenths of a percent,
    // rounded down so that it never claims a threshold not reached.
    int KnownPermille() const;
    // How many new words, taken from the front of newWords, lift the share
    // of known running words to percent; 0 when it is reached already.
    int WordsFor(int percent) const;
};

// The dictionary entry of a word with the first three of its meanings; none
// when it has no meaning or would not survive in a dictionary (a field too
// long, a comma).
std::optional<WordEntry> DictionaryEntry(const QString &word, const QStringList &meanings);

namespace Coverage {

// The least number of counts, taken from the front, that lift known of
// running to at least percent; 0 when it is reached already, and all of
// them when even all do not reach it.
int WordsToReach(qint64 known, qint64 running, const QList<int> &counts, int percent);

} // namespace Coverage

// Reads the words of a document, folds them into base words, leaves out what
// the learner knows and orders the rest; none when progress asked to stop.
std::optional<TextAnalysis> AnalyseText(const Reading::Document &document, const WordKnowledge &knowledge,
                                        const KnownWords &known, const Reading::ProgressFunction &progress = {});
