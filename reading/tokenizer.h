#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// Splits running English text into sentences and its sentences into words
// as a reader sees them: apostrophes and hyphens between letters belong to
// the word ("don't", "o'clock", "well-known"), curly and straight forms
// alike; numbers ("1984", "3rd") are told apart; words in other scripts are
// no English words and are passed over.
namespace Tokenizer {

struct Sentence
{
    qsizetype start = 0;
    qsizetype length = 0;
};

enum class Case {
    Lower,   // "word", "iPhone"
    Capital, // "Word", "I"
    AllCaps, // "WORD", "FBI"
};

struct Token
{
    // In lower case, with ’ and ʼ as ' and the hyphens as '-'.
    QString word;
    qsizetype start = 0; // in the text
    qsizetype length = 0;
    int sentence = 0;
    Case letterCase = Case::Lower;
    bool sentenceStart = false; // the first word of its sentence
    bool number = false;
    // An apostrophe right before the word, after no letter ("'em"), and
    // one right after it ("goin'", "students'").
    bool apostropheBefore = false;
    bool apostropheAfter = false;
};

// Sentences end at '.', '!', '?' or '…' (with the quotes and brackets that
// close after them) before white space and a word that is not in lower
// case, and at a blank line. A full stop after a title ("Mr.") or an
// initial ("J.") ends none.
QList<Sentence> Sentences(QStringView text);

// Every word of the sentences, in text order; stops when visit answers false.
// Answers false when it was stopped.
bool ForEachToken(QStringView text, const QList<Sentence> &sentences, const std::function<bool(const Token &)> &visit);

// The sentence as one line for showing: white space runs become one blank,
// and a sentence longer than maxLength is cut to a window around the word
// at wordStart, with "…" where it was cut.
QString ExampleText(QStringView text, const Sentence &sentence, qsizetype wordStart, qsizetype maxLength = 200);

} // namespace Tokenizer
