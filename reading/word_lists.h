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

// The base word a form is counted under where the lemmatizer would choose
// another ("cannot" → "can", "others" → "other"); a form that is a base word
// of its own maps to itself ("tired", "left").
const QHash<QString, QString> &FormCorrections();

// American and British spellings of one word, each to the other ("color" ↔
// "colour").
const QHash<QString, QString> &OtherSpellings();

} // namespace WordLists
