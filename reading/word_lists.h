#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// The lists of English words the starter course is made with (tools/starter),
// built into the program so that a text is judged as the course was.
namespace WordLists {

// Articles, pronouns, prepositions, conjunctions, auxiliaries, and
// interjections: words every reader knows.
const QSet<QString> &FunctionWords();

// Ordinary words mostly written with a capital letter (days, months,
// peoples, ranks, forms of address): never taken for names.
const QSet<QString> &CapitalisedWords();

// Titles written before names, mostly shortened ("Mr", "Dr", "St"): part of
// the name they stand before.
const QSet<QString> &Titles();

// Words of other languages that English texts use, mostly in names ("de",
// "von", "monsieur"), and letters misread as words in subtitles ("ls").
const QSet<QString> &ForeignWords();

// American and British spellings of one word, each to the other ("color" ↔
// "colour").
const QHash<QString, QString> &OtherSpellings();

} // namespace WordLists
