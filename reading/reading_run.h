#pragma once

#include "reading/document.h"
#include "reading/known_words.h"
#include "reading/text_analysis.h"

#include <functional>
#include <optional>

class WordKnowledge;

// One analysis from the file to the ordered new words, as the window runs it
// on a worker thread and lexomat-wrd in its own: the file read (a tenth of
// the progress for plain text, a third for a book), what the learner knows
// gathered, the words analysed. Nothing is written.
namespace ReadingRun {

struct Outcome
{
    std::optional<Reading::Document> document;
    // Why there is no analysis: the file could not be read, or the work was
    // cancelled (Kind::Cancelled).
    std::optional<Reading::ReadProblem> problem;
    std::optional<TextAnalysis> analysis;
};

// known runs on the same thread, after the file was read.
Outcome FromFile(const QString &path, const WordKnowledge &knowledge, const std::function<KnownWords()> &known,
                 const Reading::ProgressFunction &progress = {});
Outcome FromDocument(Reading::Document document, const WordKnowledge &knowledge,
                     const std::function<KnownWords()> &known, const Reading::ProgressFunction &progress = {});

} // namespace ReadingRun
