#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The meanings a dictionary line can hold, taken from the text of one sense
// of an English–Russian article: Russian words and phrases in the order the
// sense gives them, each at most MaxLength characters and without a comma,
// without labels ("_разг."), transcriptions, remarks in brackets, examples
// and what follows the first example.
namespace ShortMeanings {

// The word editor's limit for one field.
constexpr qsizetype MaxLength = 35;

QStringList fromSense(const QString &senseText);

// A sense that sends the reader to another headword: "_p. от go 1",
// "_pl. от child", "= colour", "см. against", "= till I". homonym and
// number are the homonym ("I") and the part or sense ("1") of that
// headword it names, 0 for none.
struct Reference
{
    QString headword;
    int homonym = 0;
    int number = 0;
};
std::optional<Reference> referenceOf(const QString &senseText);

// For a word used only in phrases ("for the sake of ради"): the Russian of
// the phrase that opens the sense, when it holds the headword and ends in
// Russian.
QStringList fromPhrases(const QString &senseText, const QString &headword);

} // namespace ShortMeanings
