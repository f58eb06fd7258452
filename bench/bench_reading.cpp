// Words from texts: a whole novel read, tokenised, folded into base words,
// counted against the starter course, looked up and measured for coverage,
// as the preview window and lexomat-wrd words do it. The novel is written by
// tools/measure/austen_novel.py into the folder LEXOMAT_BENCH_NOVEL names.
#include "reading/lexicon_knowledge.h"
#include "reading/quazip_archive.h"
#include "reading/reading_run.h"

#include <QDir>

#include <benchmark/benchmark.h>

namespace {

QString novel(const char *suffix)
{
    const QString folder = qEnvironmentVariable("LEXOMAT_BENCH_NOVEL");
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QLatin1String("pride-and-prejudice.") + QLatin1String(suffix));
}

void analyseNovel(benchmark::State &state, const char *suffix)
{
    const QString path = novel(suffix);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        state.SkipWithError("LEXOMAT_BENCH_NOVEL names no folder with the novel (tools/measure/austen_novel.py)");
        return;
    }
    QuaZipArchives::UseLinked();
    // The dictionary stays open, as the program keeps it while it is used.
    const LexiconKnowledge knowledge;
    qint64 words = 0;
    for (auto _ : state) {
        const ReadingRun::Outcome outcome = ReadingRun::FromFile(path, knowledge, [&knowledge] {
            return KnownWords::FromFolder(QStringLiteral(LEXOMAT_STARTER_DIR), knowledge);
        });
        if (!outcome.analysis) {
            state.SkipWithError("the novel could not be read");
            return;
        }
        words = outcome.analysis->runningWords;
        benchmark::DoNotOptimize(outcome.analysis->WordsFor(95));
    }
    state.counters["running_words"] = static_cast<double>(words);
}

void ReadingNovelText(benchmark::State &state)
{
    analyseNovel(state, "txt");
}
BENCHMARK(ReadingNovelText)->Unit(benchmark::kMillisecond);

void ReadingNovelEpub(benchmark::State &state)
{
    analyseNovel(state, "epub");
}
BENCHMARK(ReadingNovelEpub)->Unit(benchmark::kMillisecond);

} // namespace
