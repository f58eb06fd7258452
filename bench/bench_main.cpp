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
#include "forms/progress_form.h"
#include "progress/journal_indexer.h"
#include "progress/progress_report.h"
#include "progress/progress_store.h"
#include "sample_dictionary.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

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

// A folder of ten full dictionaries and a record of answers to their words.
struct RecordedFolder
{
    explicit RecordedFolder(int answers)
    {
        QDir().mkpath(folder.path(QStringLiteral("dict")));
        for (int d = 0; d < 10; ++d) {
            WordFile file(folder.path(QStringLiteral("dict/tom_%1.wrd").arg(d)));
            for (int i = 0; i < DictionaryLines; ++i)
                file.lines << QStringLiteral("d%1w%2,значение %2,другое %2,").arg(d).arg(i);
            file.Save();
            lines << file.lines;
        }
        store.Open(folder.path(QStringLiteral("progress.sqlite")));
        quint32 seed = 1;
        for (int n = 0; n < answers; ++n)
            record(seed, n);
    }

    // One answer for a word drawn from the folder, mostly right.
    bool record(quint32 &seed, qint64 n)
    {
        seed = seed * 1103515245u + 12345u;
        const WordKey key = WordKey::FromLine(lines[static_cast<qsizetype>((seed >> 8) % lines.size())]);
        const auto kind = static_cast<AnswerKind>((seed >> 4) % 3 == 0 ? (seed >> 12) % 5 : 0);
        // Spread over the last sixty days.
        const qint64 time = QDateTime::currentMSecsSinceEpoch() - (n % 60) * 86400000LL;
        return store.Record({key.english, key.meanings, kind}, QStringLiteral("tom_0.wrd"), time);
    }

    QString dictFolder() const { return folder.path(QStringLiteral("dict")); }

    Folder folder;
    QStringList lines;
    ProgressStore store;
};

// The value below which the given share of the values lie.
double quantile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(share * double(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// One answer written as a turn ends, into a record that already holds
// 100 000: a transaction of its own, committed to the write-ahead journal.
// "median_us" and "p99_us" are taken over the single writes: now and then a
// write also moves the journal into the database file.
void RecordAnswer(benchmark::State &state)
{
    RecordedFolder recorded(100000);
    quint32 seed = 7;
    qint64 n = 0;
    std::vector<double> times;
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        if (!recorded.record(seed, ++n))
            state.SkipWithError("the record could not be written");
        times.push_back(double(clock.nsecsElapsed()) / 1000.0);
    }
    state.counters["median_us"] = quantile(times, 0.5);
    state.counters["p99_us"] = quantile(times, 0.99);
}
BENCHMARK(RecordAnswer)->Unit(benchmark::kMicrosecond);

// The same with this computer's journal: the answer appended to the journal
// and on the disk (fdatasync) before the index takes it. The journal lies in
// the system's temporary folder, so its file system decides the cost.
void RecordAnswerWithJournal(benchmark::State &state)
{
    RecordedFolder recorded(100000);
    auto journal = std::make_unique<AnswerJournal>(recorded.folder.path(QStringLiteral("journal/0123456789abcdef.jsonl")),
                                                   QStringLiteral("0123456789abcdef"));
    if (!journal->Open())
        state.SkipWithError("the journal could not be opened");
    recorded.store.SetJournal(std::move(journal));
    quint32 seed = 7;
    qint64 n = 0;
    std::vector<double> times;
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        if (!recorded.record(seed, ++n))
            state.SkipWithError("the answer could not be written");
        times.push_back(double(clock.nsecsElapsed()) / 1000.0);
    }
    state.counters["median_us"] = quantile(times, 0.5);
    state.counters["p99_us"] = quantile(times, 0.99);
}
BENCHMARK(RecordAnswerWithJournal)->Unit(benchmark::kMicrosecond);

// Another computer's journal of 100 000 answers (to the 700 words of ten
// dictionaries, over sixty days) read into an index that holds this
// computer's 100 000 answers: what the first update after a sync does.
void IndexForeignJournal(benchmark::State &state)
{
    RecordedFolder recorded(100000);
    recorded.store.Close();
    const QString index = recorded.folder.path(QStringLiteral("progress.sqlite"));
    const QString kept = recorded.folder.path(QStringLiteral("kept.sqlite"));
    QFile::copy(index, kept);
    const QString journals = recorded.folder.path(QStringLiteral("journal"));
    QDir().mkpath(journals);
    {
        QFile file(journals + QStringLiteral("/fedcba9876543210.jsonl"));
        file.open(QIODevice::WriteOnly);
        quint32 seed = 3;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (qint64 n = 1; n <= 100000; ++n) {
            seed = seed * 1103515245u + 12345u;
            const WordKey key =
                WordKey::FromLine(recorded.lines[static_cast<qsizetype>((seed >> 8) % recorded.lines.size())]);
            const auto kind = static_cast<AnswerKind>((seed >> 4) % 3 == 0 ? (seed >> 12) % 5 : 0);
            file.write(AnswerJournal::Line({QStringLiteral("fedcba9876543210"), n, now - (n % 60) * 86400000LL,
                                            QStringLiteral("tom_0.wrd"), key, kind}));
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(index + suffix);
        QFile::remove(index);
        QFile::copy(kept, index);
        state.ResumeTiming();
        ProgressStore store;
        store.Open(index, ProgressStore::Mode::Index);
        const JournalIndexer::Result result = JournalIndexer::Update(store, journals);
        if (result.added != 100000)
            state.SkipWithError("the journal was not indexed whole");
    }
}
BENCHMARK(IndexForeignJournal)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first answer of a run: the record of 100 000 answers opened (its
// header and schema checked, the journal set up) and the answer written.
void OpenAndFirstAnswer(benchmark::State &state)
{
    QString path;
    {
        RecordedFolder recorded(100000);
        recorded.store.Close();
        path = recorded.folder.path(QStringLiteral("progress.sqlite"));
        const QString kept = QDir::temp().filePath(QStringLiteral("lexomat-bench-record.sqlite"));
        QFile::remove(kept);
        QFile::copy(path, kept);
        path = kept;
    }
    AnswerEvent event;
    event.meanings = {QStringLiteral("значение"), QString(), QString()};
    qint64 n = 0;
    for (auto _ : state) {
        ProgressStore store;
        if (store.Open(path) != ProgressStore::OpenResult::Opened)
            state.SkipWithError("the record could not be opened");
        event.english = QStringLiteral("first%1").arg(++n);
        benchmark::DoNotOptimize(store.Record(event, QStringLiteral("tom_0.wrd"), n));
    }
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}
BENCHMARK(OpenAndFirstAnswer)->Unit(benchmark::kMillisecond);

// "Успехи" over a record of 100 000 answers: the folder read, the record's
// words and days read, the window built and shown once.
void ProgressWindowOpen(benchmark::State &state)
{
    RecordedFolder recorded(100000);
    const QString current = recorded.dictFolder() + QStringLiteral("/tom_0.wrd");
    const QStringList currentLines = recorded.lines.mid(0, DictionaryLines);
    for (auto _ : state) {
        const ProgressReport report = ProgressReport::Gather(&recorded.store, recorded.dictFolder(), current,
                                                             currentLines, QDate::currentDate());
        TProgressForm window(report, nullptr);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(report.hardest.size());
    }
}
BENCHMARK(ProgressWindowOpen)->Unit(benchmark::kMillisecond);

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
