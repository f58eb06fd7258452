// Benchmarks of the dictionary code and of the main window's refresh.
//   lexomat_bench [Google Benchmark options]
//   lexomat_bench --write-dictionary <path> <lines>
#include "app/process_objects.h"
#include "app/registry.h"
#include "app/settings.h"
#include "dict/dict_library.h"
#include "dict/word_file.h"
#include "dict/word_store.h"
#include "forms/main_form.h"
#include "sample_dictionary.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int DictionaryLines = 70;

bool writeDictionary(const QString &path, int lines)
{
    WordFile file(path);
    file.lines = sampleLines(lines);
    return file.Save() == 1;
}

// A folder of its own for each benchmark, removed afterwards.
struct Folder
{
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    QString slashed() const { return dir.path() + QLatin1Char('/'); }
};

void WordFileLoad(benchmark::State &state)
{
    Folder folder;
    const QString path = folder.path(QStringLiteral("tom_0.wrd"));
    writeDictionary(path, DictionaryLines);
    for (auto _ : state) {
        WordFile file(path);
        benchmark::DoNotOptimize(file.lines.size());
    }
}
BENCHMARK(WordFileLoad);

// A save ends with the file flushed to the disk, which dominates.
void WordFileSave(benchmark::State &state)
{
    Folder folder;
    const QString path = folder.path(QStringLiteral("tom_0.wrd"));
    writeDictionary(path, DictionaryLines);
    WordFile file(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(file.Save());
}
BENCHMARK(WordFileSave)->Unit(benchmark::kMicrosecond);

void ScanOf100(benchmark::State &state)
{
    Folder folder;
    for (int n = 0; n < 100; ++n)
        writeDictionary(folder.path(QStringLiteral("tom_%1.wrd").arg(n)), 8);
    DictLibrary library(folder.slashed(), folder.slashed());
    for (auto _ : state)
        benchmark::DoNotOptimize(library.Scan());
}
BENCHMARK(ScanOf100)->Unit(benchmark::kMicrosecond);

// A new store and its words, as every dictionary change builds them.
void LoadLines(benchmark::State &state)
{
    const QStringList lines = sampleLines(DictionaryLines);
    for (auto _ : state) {
        GWORDW words(WordStoreCapacity);
        words.LoadLines(lines);
        benchmark::DoNotOptimize(words.WordCount());
    }
}
BENCHMARK(LoadLines);

// Draws as the flash window makes them: a new pass when none is left.
void DrawWord(benchmark::State &state)
{
    GWORDW words(WordStoreCapacity);
    words.LoadLines(sampleLines(DictionaryLines));
    for (auto _ : state) {
        BWORDW *word = words.DrawWord();
        if (!word) {
            words.MarkAllAvailable();
            word = words.DrawWord();
        }
        benchmark::DoNotOptimize(word);
    }
}
BENCHMARK(DrawWord);

// The real main window, offscreen, over a folder with one full dictionary:
// flags read, list refilled, word store rebuilt, status bar rewritten.
void DictionaryChanged(benchmark::State &state)
{
    Folder folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.dir.path());
    QDir().mkpath(QStringLiteral("dict"));
    writeDictionary(folder.path(QStringLiteral("dict/tom_0.wrd")), DictionaryLines);
    ProcessObjects objects;
    objects.state = std::make_unique<PRG_STAT>();
    objects.registry = std::make_unique<INIT>(folder.path(QStringLiteral("LX.ini")));
    objects.words = std::make_unique<GWORDW>(WordStoreCapacity);
    {
        TForm1 window(objects);
        for (auto _ : state)
            window.DictionaryChanged();
    }
    QDir::setCurrent(previous);
}
BENCHMARK(DictionaryChanged)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--write-dictionary") == 0) {
        if (argc != 4) {
            std::fputs("usage: lexomat_bench --write-dictionary <path> <lines>\n", stderr);
            return 2;
        }
        return writeDictionary(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3])) ? 0 : 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
