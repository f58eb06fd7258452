#include "reading/reading_run.h"

#include <QFileInfo>

namespace ReadingRun {

namespace {

// Progress of one stage as a part of the whole.
Reading::ProgressFunction stage(const Reading::ProgressFunction &progress, int from, int to)
{
    if (!progress)
        return {};
    return [progress, from, to](int permille) { return progress(from + (to - from) * permille / 1000); };
}

Outcome analyse(Outcome outcome, const WordKnowledge &knowledge, const std::function<KnownWords()> &known,
                const Reading::ProgressFunction &progress, int from)
{
    const KnownWords words = known ? known() : KnownWords();
    outcome.analysis = AnalyseText(*outcome.document, knowledge, words, stage(progress, from, 1000));
    if (!outcome.analysis)
        outcome.problem = Reading::ReadProblem(Reading::ReadProblem::Kind::Cancelled, {});
    return outcome;
}

} // namespace

Outcome FromFile(const QString &path, const WordKnowledge &knowledge, const std::function<KnownWords()> &known,
                 const Reading::ProgressFunction &progress)
{
    // A book unpacks part by part; plain text is read in one go.
    const int readShare = QFileInfo(path).suffix().compare(QLatin1String("epub"), Qt::CaseInsensitive) == 0 ? 333 : 100;
    Reading::ReadResult read = Reading::ReadFile(path, stage(progress, 0, readShare));
    Outcome outcome;
    if (!read.document) {
        outcome.problem = read.problem;
        return outcome;
    }
    outcome.document = std::move(read.document);
    if (progress && !progress(readShare)) {
        outcome.problem = Reading::ReadProblem(Reading::ReadProblem::Kind::Cancelled, path);
        return outcome;
    }
    return analyse(std::move(outcome), knowledge, known, progress, readShare);
}

Outcome FromDocument(Reading::Document document, const WordKnowledge &knowledge,
                     const std::function<KnownWords()> &known, const Reading::ProgressFunction &progress)
{
    Outcome outcome;
    outcome.document = std::move(document);
    return analyse(std::move(outcome), knowledge, known, progress, 0);
}

} // namespace ReadingRun
