// The record of answers: what it derives per word from a known run of
// outcomes, what it keeps across openings and file moves, and how it
// survives a damaged or foreign file.
#include "dict/word_file.h"
#include "progress/folder_progress.h"
#include "progress/progress_report.h"
#include "progress/progress_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<AnswerKind>)

namespace {

constexpr AnswerKind R = AnswerKind::Right;
constexpr AnswerKind W = AnswerKind::Wrong;
constexpr AnswerKind U = AnswerKind::Unanswered;
constexpr AnswerKind H = AnswerKind::Hint;
constexpr AnswerKind S = AnswerKind::Shown;

// Noon of 1 March 2026, local time: whole days either side stay in their day.
const qint64 Noon = QDateTime(QDate(2026, 3, 1), QTime(12, 0)).toMSecsSinceEpoch();
constexpr qint64 Day = 24 * 3600 * 1000;

AnswerEvent outcome(const QString &english, AnswerKind kind, const QString &meaning = QString())
{
    AnswerEvent e;
    e.english = english;
    e.meanings = {meaning.isEmpty() ? u"м-"_s + english : meaning, QString(), QString()};
    e.kind = kind;
    return e;
}

WordKey key(const QString &english)
{
    return WordKey::FromEvent(outcome(english, R));
}

QString line(const QString &english)
{
    return key(english).ToLine();
}

void writeDictionary(const QString &path, const QStringList &lines)
{
    WordFile file(path);
    file.lines = lines;
    QCOMPARE(file.Save(), 1);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// What SQLite itself says: the first value the statement gives, empty when
// it gives none.
QString sqlite(const QString &path, const QString &sql)
{
    const QString name = u"inspect"_s;
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (!query.exec(sql))
                result = u"error: "_s + query.lastError().text();
            else if (query.next())
                result = query.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

class TestProgressStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    void record(ProgressStore &store, const QList<AnswerKind> &kinds, const QString &english = u"cat"_s,
                const QString &dictionary = u"tom_0.wrd"_s)
    {
        qint64 time = Noon;
        for (const AnswerKind kind : kinds)
            QVERIFY2(store.Record(outcome(english, kind), dictionary, time += 1000), qPrintable(store.ErrorText()));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"data/lexomat/progress.sqlite"_s);
    }

    void boxAndStageFromOutcomes_data()
    {
        QTest::addColumn<QList<AnswerKind>>("kinds");
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("stage");
        QTest::newRow("one right") << QList<AnswerKind>{R} << 1 << int(Stage::Learning);
        QTest::newRow("three right") << QList<AnswerKind>{R, R, R} << 3 << int(Stage::Learning);
        QTest::newRow("four right") << QList<AnswerKind>{R, R, R, R} << 4 << int(Stage::Learnt);
        QTest::newRow("at most box 5") << QList<AnswerKind>{R, R, R, R, R, R, R} << 5 << int(Stage::Learnt);
        QTest::newRow("wrong sends back to 1") << QList<AnswerKind>{R, R, R, R, R, W} << 1 << int(Stage::Learning);
        QTest::newRow("no answer sends back to 1") << QList<AnswerKind>{R, R, R, R, U} << 1 << int(Stage::Learning);
        QTest::newRow("a hint sends back to 1") << QList<AnswerKind>{R, R, R, R, H, R} << 2 << int(Stage::Learning);
        QTest::newRow("wrong first") << QList<AnswerKind>{W} << 1 << int(Stage::Learning);
        QTest::newRow("back up after a miss") << QList<AnswerKind>{W, R, R, R} << 4 << int(Stage::Learnt);
        QTest::newRow("shown lifts a new word") << QList<AnswerKind>{S} << 1 << int(Stage::Learning);
        QTest::newRow("shown keeps a learnt word") << QList<AnswerKind>{R, R, R, R, S, S} << 4 << int(Stage::Learnt);
    }
    void boxAndStageFromOutcomes()
    {
        QFETCH(QList<AnswerKind>, kinds);
        QFETCH(int, box);
        QFETCH(int, stage);
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        record(store, kinds);
        const ProgressMap words = store.Words();
        QCOMPARE(words.size(), 1);
        const WordProgress cat = words.value(key(u"cat"_s));
        QCOMPARE(cat.box, box);
        QCOMPARE(int(cat.stage()), stage);
        QCOMPARE(cat.right, int(kinds.count(R)));
        QCOMPARE(cat.wrong, int(kinds.count(W)));
        QCOMPARE(cat.unanswered, int(kinds.count(U)));
        QCOMPARE(cat.hints, int(kinds.count(H)));
        QCOMPARE(cat.shown, int(kinds.count(S)));
        QCOMPARE(cat.lastTime, Noon + 1000 * kinds.size());
        QCOMPARE(store.AnswerCount(), kinds.size());
    }

    // The same word with other meanings is another word; a word without an
    // English word is not recorded at all.
    void wordsAreTheirFields()
    {
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QVERIFY(store.Record(outcome(u"run"_s, R, u"бежать"_s), u"tom_0.wrd"_s, Noon));
        QVERIFY(store.Record(outcome(u"run"_s, W, u"управлять"_s), u"tom_0.wrd"_s, Noon));
        QVERIFY(store.Record(outcome(QString(), W, u"пусто"_s), u"tom_0.wrd"_s, Noon));
        const ProgressMap words = store.Words();
        QCOMPARE(words.size(), 2);
        QCOMPARE(words.value(WordKey::FromLine(u"run,бежать,"_s)).right, 1);
        QCOMPARE(words.value(WordKey::FromLine(u"run,управлять,"_s)).wrong, 1);
        QCOMPARE(store.AnswerCount(), 2);
    }

    void keptAcrossOpenings()
    {
        {
            ProgressStore store;
            QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
            record(store, {R, R, W, R});
            record(store, {U}, u"dog"_s);
        }
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QCOMPARE(store.AnswerCount(), 5);
        QCOMPARE(store.Words().value(key(u"cat"_s)).box, 2);
        QCOMPARE(store.Words().value(key(u"dog"_s)).unanswered, 1);
        record(store, {R});
        QCOMPARE(store.Words().value(key(u"cat"_s)).box, 3);
        QCOMPARE(sqlite(m_path, u"PRAGMA user_version"_s), QString::number(ProgressStore::SchemaVersion));
        QCOMPARE(sqlite(m_path, u"PRAGMA journal_mode"_s), u"wal"_s);
    }

    void answersPerDay()
    {
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        const QDate today = QDateTime::fromMSecsSinceEpoch(Noon).date();
        const struct
        {
            int daysAgo;
            int answers;
        } plan[] = {{0, 3}, {1, 1}, {29, 2}, {30, 5}, {-1, 4}};
        for (const auto &day : plan) {
            for (int i = 0; i < day.answers; ++i)
                QVERIFY(store.Record(outcome(u"cat"_s, W), u"tom_0.wrd"_s, Noon - day.daysAgo * Day + i));
        }
        const QList<int> days = store.AnswersPerDay(today, 30);
        QCOMPARE(days.size(), 30);
        QList<int> expected(30, 0);
        expected[29] = 3;
        expected[28] = 1;
        expected[0] = 2;
        QCOMPARE(days, expected);
    }

    // Counts of a dictionary, of the folder, and the same after the files
    // were renamed and moved: the words carry their progress with them.
    void folderCountsFollowTheWords()
    {
        const QString folder = m_dir->filePath(u"dict"_s);
        QDir().mkpath(folder);
        writeDictionary(folder + u"/tom_0.wrd"_s,
                        {line(u"cat"_s), line(u"dog"_s), line(u"cow"_s), line(u"cat"_s), u""_s, line(u"owl"_s)});
        writeDictionary(folder + u"/tom_1.wrd"_s, {line(u"dog"_s), line(u"fox"_s), line(u"elk"_s)});
        writeDictionary(folder + u"/notes.txt"_s, {line(u"ant"_s)});

        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        record(store, {R, R, R, R}, u"cat"_s);      // learnt
        record(store, {R, W}, u"dog"_s);            // learning
        record(store, {H, S}, u"fox"_s);            // learning
        record(store, {U, U, U}, u"ant"_s);         // in no dictionary of the folder
        record(store, {R, R, R, R, R}, u"bee"_s, u"tom_9.wrd"_s);

        const auto check = [&](const QString &dir, const QString &first, const QString &second) {
            const FolderWords words = FolderWords::Read(dir);
            QCOMPARE(words.dictionaries.size(), 2);
            QCOMPARE(words.dictionaries[0].name, first);
            QCOMPARE(words.dictionaries[1].name, second);
            const ProgressMap map = store.Words();
            const WordsProgress a = Summarise(words.dictionaries[0].words, map);
            QCOMPARE(a.stages, (StageCounts{2, 1, 1}));
            QCOMPARE(a.answers, (AnswerCounts{5, 1, 0, 0, 0}));
            const WordsProgress b = Summarise(words.dictionaries[1].words, map);
            QCOMPARE(b.stages, (StageCounts{1, 2, 0}));
            QCOMPARE(b.answers, (AnswerCounts{1, 1, 0, 1, 1}));
            const WordsProgress all = Summarise(words.AllWords(), map);
            QCOMPARE(all.stages, (StageCounts{3, 2, 1}));
            QCOMPARE(all.answers, (AnswerCounts{5, 1, 0, 1, 1}));
        };
        check(folder, u"tom_0.wrd"_s, u"tom_1.wrd"_s);

        const QString moved = m_dir->filePath(u"elsewhere"_s);
        QDir().mkpath(moved);
        QVERIFY(QFile::rename(folder + u"/tom_0.wrd"_s, moved + u"/tom_5.wrd"_s));
        QVERIFY(QFile::rename(folder + u"/tom_1.wrd"_s, moved + u"/Tom_12.WRD"_s));
        check(moved, u"tom_5.wrd"_s, u"Tom_12.WRD"_s);
    }

    void hardestWords()
    {
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        record(store, {W, W, R}, u"a"_s);       // 2 misses, box 2
        record(store, {W, U, U}, u"b"_s);       // 3 misses, box 1
        record(store, {U, W, R, R}, u"c"_s);    // 2 misses, box 3
        record(store, {W, R, R, R, R}, u"d"_s); // learnt: not hard any more
        record(store, {H, H}, u"e"_s);          // hinted only
        record(store, {H}, u"f"_s);
        record(store, {R, R}, u"g"_s);          // never missed
        record(store, {W, W}, u"h"_s, u"tom_1.wrd"_s);
        record(store, {W, W, W, W}, u"far"_s);  // not among the words asked about

        QList<WordKey> words;
        for (const QString &w : {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s, u"h"_s, u"new"_s})
            words << key(w);
        const ProgressMap map = store.Words();
        QStringList found;
        for (const WordKey &w : HardestWords(words, map, 70))
            found << w.english;
        QCOMPARE(found.join(u' '), u"b h a c e f"_s);
        QCOMPARE(HardestWords(words, map, 2), (QList<WordKey>{key(u"b"_s), key(u"h"_s)}));
    }

    // Everything the progress window shows, from a folder and a record.
    void reportOfFolderAndRecord()
    {
        const QString folder = m_dir->filePath(u"dict"_s);
        QDir().mkpath(folder);
        writeDictionary(folder + u"/tom_0.wrd"_s, {line(u"cat"_s), line(u"dog"_s)});
        writeDictionary(folder + u"/tom_2.wrd"_s, {line(u"fox"_s), line(u"elk"_s), line(u"yak"_s)});
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        record(store, {W, W}, u"fox"_s);
        record(store, {R, R, R, R}, u"cat"_s);
        record(store, {U}, u"owl"_s);

        // The current dictionary as edited but not yet saved: one more word.
        const QStringList edited{line(u"cat"_s), line(u"dog"_s), line(u"owl"_s)};
        const QDate today = QDateTime::fromMSecsSinceEpoch(Noon).date();
        const ProgressReport report =
            ProgressReport::Gather(&store, folder, folder + u"/tom_0.wrd"_s, edited, today);
        QVERIFY(report.recorded);
        QCOMPARE(report.currentName, u"tom_0.wrd"_s);
        QCOMPARE(report.current.stages, (StageCounts{1, 1, 1}));
        QCOMPARE(report.dictionaryCount, 2);
        QCOMPARE(report.folder.stages, (StageCounts{3, 2, 1}));
        QCOMPARE(report.days.size(), ProgressReport::Days);
        QCOMPARE(report.days.last(), 7);
        QCOMPARE(report.HardestKeys(), (QList<WordKey>{key(u"fox"_s), key(u"owl"_s)}));
        QCOMPARE(report.hardest[0].progress.wrong, 2);

        const ProgressReport none = ProgressReport::Gather(nullptr, folder, folder + u"/tom_0.wrd"_s, edited, today);
        QVERIFY(!none.recorded);
        QCOMPARE(none.folder.stages, (StageCounts{6, 0, 0}));
        QCOMPARE(none.days, QList<int>(ProgressReport::Days, 0));
        QVERIFY(none.hardest.isEmpty());
    }

    // A file that is no database, or one whose pages were overwritten, is
    // kept as it is beside a fresh record, which then works.
    void damagedFileIsKeptBesideAFreshOne_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("not a database") << 0;
        QTest::newRow("pages overwritten") << 1;
        QTest::newRow("header overwritten") << 2;
        QTest::newRow("every page but the first overwritten") << 3;
    }
    void damagedFileIsKeptBesideAFreshOne()
    {
        QFETCH(int, how);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        if (how == 0) {
            writeBytes(m_path, QByteArray("these are my notes, not a database\n").repeated(200));
        } else {
            {
                ProgressStore store;
                QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
                for (int i = 0; i < 3000; ++i)
                    QVERIFY(store.Record(outcome(u"word%1"_s.arg(i), W), u"tom_0.wrd"_s, Noon + i));
            }
            QByteArray bytes = readBytes(m_path);
            QVERIFY(bytes.size() > 64 * 1024);
            if (how == 1) {
                for (qsizetype at = 4096; at + 600 < bytes.size(); at += 4096 * 3)
                    bytes.replace(at, 600, QByteArray(600, '\xA5'));
            } else if (how == 2) {
                bytes.replace(0, 16, QByteArray(16, 'x'));
            } else {
                bytes.replace(4096, bytes.size() - 4096, QByteArray(bytes.size() - 4096, '\x5A'));
            }
            writeBytes(m_path, bytes);
        }
        const QByteArray damaged = readBytes(m_path);

        ProgressStore store;
        if (how == 0 || how == 2) {
            QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Renewed);
        } else {
            // Whole as far as the opening looks; the damage shows when it is reached.
            QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
            QVERIFY(store.DamagedCopy().isEmpty());
            if (how == 1) {
                QVERIFY(store.Words().isEmpty());
                QVERIFY(!store.ErrorText().isEmpty());
            } else {
                QVERIFY2(store.Record(outcome(u"first"_s, W), u"tom_0.wrd"_s, Noon), qPrintable(store.ErrorText()));
                QCOMPARE(store.Words().value(key(u"first"_s)).wrong, 1);
            }
        }
        QVERIFY(store.IsOpen());
        const QString copy = store.DamagedCopy();
        QVERIFY(!copy.isEmpty());
        QCOMPARE(QFileInfo(copy).absolutePath(), QFileInfo(m_path).absolutePath());
        QVERIFY2(QFileInfo(copy).fileName().startsWith(u"progress.sqlite.damaged-"_s), qPrintable(copy));
        QCOMPARE(readBytes(copy), damaged);
        QCOMPARE(store.AnswerCount(), how == 3 ? 1 : 0);
        record(store, {R, R});
        QCOMPARE(store.Words().value(key(u"cat"_s)).box, 2);
        store.Close();
        QCOMPARE(sqlite(m_path, u"PRAGMA integrity_check"_s), u"ok"_s);

        // A second damage keeps the first copy too.
        writeBytes(m_path, QByteArray("broken again").repeated(100));
        ProgressStore again;
        QCOMPARE(again.Open(m_path), ProgressStore::OpenResult::Renewed);
        QVERIFY(again.DamagedCopy() != copy);
        QCOMPARE(readBytes(copy), damaged);
    }

    // Reading never changes the file, damaged or not.
    void readingLeavesTheFileAlone()
    {
        {
            ProgressStore store;
            QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
            record(store, {R, W});
        }
        ProgressStore reader;
        QCOMPARE(reader.Open(m_path, ProgressStore::Mode::Read), ProgressStore::OpenResult::Opened);
        QCOMPARE(reader.Words().value(key(u"cat"_s)).wrong, 1);
        QVERIFY(!reader.Record(outcome(u"cat"_s, R), u"tom_0.wrd"_s, Noon));
        reader.Close();

        writeBytes(m_path, QByteArray("garbage").repeated(500));
        const QStringList before = QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files);
        QCOMPARE(reader.Open(m_path, ProgressStore::Mode::Read), ProgressStore::OpenResult::Failed);
        QVERIFY2(reader.ErrorText().contains(u"damaged"_s), qPrintable(reader.ErrorText()));
        QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files), before);

        QCOMPARE(reader.Open(m_dir->filePath(u"missing.sqlite"_s), ProgressStore::Mode::Read),
                 ProgressStore::OpenResult::Failed);
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"missing.sqlite"_s)));
    }

    // A record of a later version is not ours to change: no recording, and
    // the file stays as it is.
    void newerRecordIsLeftAlone()
    {
        {
            ProgressStore store;
            QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
            record(store, {R});
        }
        QCOMPARE(sqlite(m_path, u"PRAGMA user_version = 7"_s), QString());
        QCOMPARE(sqlite(m_path, u"PRAGMA user_version"_s), u"7"_s);
        const QStringList before = QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files);
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Failed);
        QVERIFY2(store.ErrorText().contains(u"newer"_s), qPrintable(store.ErrorText()));
        QVERIFY(!store.IsOpen());
        QVERIFY(!store.Record(outcome(u"cat"_s, R), u"tom_0.wrd"_s, Noon));
        QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files), before);
        QCOMPARE(sqlite(m_path, u"SELECT count(*) FROM answers"_s), u"1"_s);
    }

    void cannotBeOpened()
    {
        // Its folder would have to be made where a file stands.
        writeBytes(m_dir->filePath(u"data"_s), "a file, not a folder");
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Failed);
        QVERIFY(!store.ErrorText().isEmpty());
        QVERIFY(!store.Record(outcome(u"cat"_s, R), u"tom_0.wrd"_s, Noon));
        QVERIFY(store.Words().isEmpty());
        QCOMPARE(store.AnswersPerDay(QDate(2026, 3, 1), 30), QList<int>(30, 0));

        // A folder where the file should be.
        QDir().mkpath(m_dir->filePath(u"other/progress.sqlite"_s));
        QCOMPARE(store.Open(m_dir->filePath(u"other/progress.sqlite"_s)), ProgressStore::OpenResult::Failed);
    }
};

QTEST_GUILESS_MAIN(TestProgressStore)
#include "tst_progress_store.moc"
