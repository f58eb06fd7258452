// The review schedule over a large record: "Повторить сегодня" and "Успехи"
// over 100 000 answers to 5 000 words, and the one-time migration that
// gives a record of the first version its schedules.
#include "dict/word_file.h"
#include "forms/progress_form.h"
#include "progress/progress_report.h"
#include "progress/progress_store.h"
#include "progress/review_today.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Words = 5000;
constexpr int Answers = 100000;
constexpr int PerDictionary = 66;
constexpr qint64 DayMs = 86400000LL;

QString lineOf(int word)
{
    return QStringLiteral("word%1,значение %1,другое %1,").arg(word);
}

// The answer n of the record: each word in turn, twenty times over the last
// hundred days, mostly right.
struct Answer
{
    WordKey key;
    AnswerKind kind;
    qint64 time;
};

Answer answer(int n, qint64 now)
{
    const int word = n % Words;
    const int round = n / Words;
    quint32 seed = quint32(n) * 2654435761u;
    const auto kind = static_cast<AnswerKind>((seed >> 7) % 4 == 0 ? (seed >> 11) % 4 : 0);
    const qint64 time = now - qint64(100 - round * 5) * DayMs + (word % 600) * 60000LL;
    return {WordKey::FromLine(lineOf(word)), kind, time};
}

// A folder of 5 000 words in dictionaries of 66 and a record of 100 000
// answers to them, made once for every benchmark of this file.
struct ScheduledFolder
{
    ScheduledFolder()
    {
        QDir().mkpath(dictFolder());
        for (int first = 0, number = 0; first < Words; first += PerDictionary, ++number) {
            WordFile file(dictFolder() + QStringLiteral("/tom_%1.wrd").arg(number));
            for (int w = first; w < std::min(first + PerDictionary, Words); ++w)
                file.lines << lineOf(w);
            file.Save();
        }
        store.Open(dir.filePath(QStringLiteral("progress.sqlite")));
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (int n = 0; n < Answers; ++n) {
            const Answer a = answer(n, now);
            store.Record({a.key.english, a.key.meanings, a.kind}, QStringLiteral("tom_0.wrd"), a.time);
        }
    }

    QString dictFolder() const { return dir.filePath(QStringLiteral("dict")); }

    QTemporaryDir dir;
    ProgressStore store;
};

ScheduledFolder &scheduledFolder()
{
    static ScheduledFolder folder;
    return folder;
}

// "Повторить сегодня": the folder's words read, the record's words read, the
// due words chosen and the review dictionary written.
void ReviewToday(benchmark::State &state)
{
    ScheduledFolder &folder = scheduledFolder();
    const QString current = folder.dictFolder() + QStringLiteral("/tom_0.wrd");
    const QStringList currentLines = WordFile(current).lines;
    int due = 0;
    for (auto _ : state) {
        const ReviewPlan plan = ReviewPlan::Make(ReviewSourceWords(folder.dictFolder(), current, currentLines),
                                                 folder.store.Words(), QDate::currentDate().toJulianDay());
        QList<WordKey> words;
        for (const ScheduledWord &word : plan.due)
            words.append(word.key);
        if (WriteReviewDictionary(folder.dictFolder(), words).isEmpty())
            state.SkipWithError("the review dictionary could not be written");
        due = plan.dueCount;
    }
    state.counters["due"] = due;
}
BENCHMARK(ReviewToday)->Unit(benchmark::kMillisecond);

// "Успехи" with the forecast over the same record: gathered, built and shown.
void ProgressWindowWithForecast(benchmark::State &state)
{
    ScheduledFolder &folder = scheduledFolder();
    const QString current = folder.dictFolder() + QStringLiteral("/tom_0.wrd");
    const QStringList currentLines = WordFile(current).lines;
    for (auto _ : state) {
        const ProgressReport report = ProgressReport::Gather(&folder.store, folder.dictFolder(), current, currentLines,
                                                             QDate::currentDate());
        TProgressForm window(report, nullptr);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(report.review.forecast.size());
    }
}
BENCHMARK(ProgressWindowWithForecast)->Unit(benchmark::kMillisecond);

// A record as the first version of the program left it: 100 000 answers and
// the words' counts, no schedules.
bool writeFirstVersionRecord(const QString &path)
{
    const QString name = QStringLiteral("first-version");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        const QStringList schema{
            QStringLiteral("CREATE TABLE answers (id INTEGER PRIMARY KEY, time INTEGER NOT NULL, dictionary TEXT NOT NULL, "
                           "word TEXT NOT NULL, meaning1 TEXT NOT NULL, meaning2 TEXT NOT NULL, meaning3 TEXT NOT NULL, "
                           "kind TEXT NOT NULL CHECK (kind IN ('right', 'wrong', 'unanswered', 'hint', 'shown')))"),
            QStringLiteral("CREATE TABLE words (word TEXT NOT NULL, meaning1 TEXT NOT NULL, meaning2 TEXT NOT NULL, "
                           "meaning3 TEXT NOT NULL, box INTEGER NOT NULL, right INTEGER NOT NULL, wrong INTEGER NOT NULL, "
                           "unanswered INTEGER NOT NULL, hints INTEGER NOT NULL, shown INTEGER NOT NULL, "
                           "last_time INTEGER NOT NULL, PRIMARY KEY (word, meaning1, meaning2, meaning3)) WITHOUT ROWID"),
            QStringLiteral("CREATE TABLE days (day TEXT PRIMARY KEY, answers INTEGER NOT NULL) WITHOUT ROWID"),
            QStringLiteral("PRAGMA user_version = 1"),
        };
        for (const QString &statement : schema)
            ok = ok && query.exec(statement);
        ok = ok && db.transaction();
        ok = ok && query.prepare(QStringLiteral("INSERT INTO answers (time, dictionary, word, meaning1, meaning2, "
                                                "meaning3, kind) VALUES (?, 'tom_0.wrd', ?, ?, ?, ?, ?)"));
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        QHash<WordKey, WordProgress> words;
        for (int n = 0; ok && n < Answers; ++n) {
            const Answer a = answer(n, now);
            query.bindValue(0, a.time);
            query.bindValue(1, a.key.english);
            for (int m = 0; m < 3; ++m)
                query.bindValue(2 + m, a.key.meanings[static_cast<std::size_t>(m)]);
            query.bindValue(5, KindName(a.kind));
            ok = query.exec();
            words[a.key].Add(a.kind, a.time);
        }
        ok = ok && query.prepare(QStringLiteral("INSERT INTO words VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (auto it = words.cbegin(); ok && it != words.cend(); ++it) {
            const WordProgress &p = it.value();
            const QVariantList values{it.key().english, it.key().meanings[0], it.key().meanings[1], it.key().meanings[2],
                                      p.box, p.right, p.wrong, p.unanswered, p.hints, p.shown, p.lastTime};
            for (int i = 0; i < values.size(); ++i)
                query.bindValue(i, values[i]);
            ok = query.exec();
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// Opening a first-version record of 100 000 answers to record in it: every
// word's schedule replayed from its answers, once.
void MigrateFirstVersionRecord(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("first.sqlite"));
    if (!writeFirstVersionRecord(kept)) {
        state.SkipWithError("the first-version record could not be written");
        return;
    }
    const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
    qint64 reported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);
        QFile::copy(kept, path);
        state.ResumeTiming();
        ProgressStore store;
        store.SetMigrationProgress([&reported](qint64 done, qint64) { reported = done; });
        if (store.Open(path) != ProgressStore::OpenResult::Opened)
            state.SkipWithError("the record could not be opened");
    }
    state.counters["answers_replayed"] = double(reported);
}
BENCHMARK(MigrateFirstVersionRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
