// Benchmarks of the English–Russian dictionary, on the installed packages
// (mueller7-dict, wordnet-base): one lookup as the word editor makes it, and
// the first lookup of a program, which opens the dictionary.
#include "lexicon/lexicon.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

// Words as learners type them: base words, inflected forms, irregular
// forms that point to another article, and one the dictionary lacks.
const QStringList &sampleWords()
{
    static const QStringList words{
        QStringLiteral("thoroughly"), QStringLiteral("run"),     QStringLiteral("went"),    QStringLiteral("houses"),
        QStringLiteral("children"),   QStringLiteral("better"),  QStringLiteral("studied"), QStringLiteral("glasses"),
        QStringLiteral("take"),       QStringLiteral("weather"), QStringLiteral("was"),     QStringLiteral("pizza")};
    return words;
}

void LexiconLookup(benchmark::State &state)
{
    const Lexicon lexicon(Lexicon::defaultDictdFolder(), Lemmatizer::defaultFolder());
    if (lexicon.state() != Lexicon::State::Ready) {
        state.SkipWithError("no dictionary installed (mueller7-dict)");
        return;
    }
    qsizetype next = 0;
    for (auto _ : state) {
        const LookupResult result = lexicon.lookup(sampleWords()[next]);
        benchmark::DoNotOptimize(result.meanings.size());
        next = (next + 1) % sampleWords().size();
    }
}
BENCHMARK(LexiconLookup)->Unit(benchmark::kMicrosecond);

// "go" has the longest article of Mueller's dictionary.
void LexiconLookupLongest(benchmark::State &state)
{
    const Lexicon lexicon(Lexicon::defaultDictdFolder(), Lemmatizer::defaultFolder());
    for (auto _ : state)
        benchmark::DoNotOptimize(lexicon.lookup(QStringLiteral("go")).meanings.size());
}
BENCHMARK(LexiconLookupLongest)->Unit(benchmark::kMicrosecond);

void LexiconOpenAndFirstLookup(benchmark::State &state)
{
    for (auto _ : state) {
        const Lexicon lexicon(Lexicon::defaultDictdFolder(), Lemmatizer::defaultFolder());
        benchmark::DoNotOptimize(lexicon.lookup(QStringLiteral("thoroughly")).meanings.size());
    }
}
BENCHMARK(LexiconOpenAndFirstLookup)->Unit(benchmark::kMillisecond);

} // namespace
