// The review schedule in the record of answers: what it keeps beside each
// word is what replaying the word's answers gives, whatever order they
// arrive in; an old record gets its schedules once, from the answers it
// holds; and a schedule that the file holds damaged is never used.
#include "progress/progress_store.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr AnswerKind R = AnswerKind::Right;
constexpr AnswerKind W = AnswerKind::Wrong;
constexpr AnswerKind U = AnswerKind::Unanswered;
constexpr AnswerKind H = AnswerKind::Hint;
constexpr AnswerKind S = AnswerKind::Shown;

constexpr qint64 Hour = 3600 * 1000;

// Noon of a day after 1 March 2026, local time, and minutes after it.
qint64 onDay(int day, int minutes = 0)
{
    return QDateTime(QDate(2026, 3, 1).addDays(day), QTime(12, 0)).toMSecsSinceEpoch() + minutes * 60000;
}

AnswerEvent outcome(const QString &english, AnswerKind kind)
{
    return {english, {u"м-"_s + english, QString(), QString()}, kind};
}

WordKey key(const QString &english)
{
    return WordKey::FromEvent(outcome(english, R));
}

// Runs statements on the file directly, as another program would.
QString sqlite(const QString &path, const QStringList &statements)
{
    const QString name = u"by-hand"_s;
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        if (!db.open())
            return u"cannot open"_s;
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if (!query.exec(statement))
                return u"error: "_s + query.lastError().text() + u" in "_s + statement;
            if (query.next())
                result = query.value(0).toString();
        }
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

// A record as the first version of the program left it: answers and their
// per-word counts, no schedules.
QStringList firstVersionSchema()
{
    return {
        u"CREATE TABLE answers (id INTEGER PRIMARY KEY, time INTEGER NOT NULL, dictionary TEXT NOT NULL, "
        "word TEXT NOT NULL, meaning1 TEXT NOT NULL, meaning2 TEXT NOT NULL, meaning3 TEXT NOT NULL, "
        "kind TEXT NOT NULL CHECK (kind IN ('right', 'wrong', 'unanswered', 'hint', 'shown')))"_s,
        u"CREATE TABLE words (word TEXT NOT NULL, meaning1 TEXT NOT NULL, meaning2 TEXT NOT NULL, "
        "meaning3 TEXT NOT NULL, box INTEGER NOT NULL, right INTEGER NOT NULL, wrong INTEGER NOT NULL, "
        "unanswered INTEGER NOT NULL, hints INTEGER NOT NULL, shown INTEGER NOT NULL, last_time INTEGER NOT NULL, "
        "PRIMARY KEY (word, meaning1, meaning2, meaning3)) WITHOUT ROWID"_s,
        u"CREATE TABLE days (day TEXT PRIMARY KEY, answers INTEGER NOT NULL) WITHOUT ROWID"_s,
        u"PRAGMA user_version = 1"_s,
        u"BEGIN"_s,
    };
}

struct Arrival
{
    qint64 time;
    AnswerKind kind;
};

bool sound(const WordSchedule &s)
{
    return std::isfinite(s.memory.stability) && std::isfinite(s.memory.difficulty)
        && (s.reviews == 0 || (s.memory.stability >= Fsrs::MinStability && s.memory.difficulty >= 1));
}

} // namespace

Q_DECLARE_METATYPE(QList<Arrival>)

class TestScheduleRecord : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"progress.sqlite"_s);
    }

    // Answers recorded in the order given; the schedule kept must be the one
    // of the answers in time order, and the one written out here.
    void keptScheduleIsTheReplay_data()
    {
        QTest::addColumn<QList<Arrival>>("arrivals");
        QTest::addColumn<int>("reviews");
        QTest::addColumn<int>("lastReview"); // day after 1 March 2026
        QTest::addColumn<int>("due");

        // Good on day 0, Again on day 2, Good on day 5: the reference
        // implementation brings the word back on day 9.
        const QList<Arrival> week{{onDay(0), R}, {onDay(2), W}, {onDay(5), R}};
        QTest::newRow("in time order") << week << 3 << 5 << 9;
        QTest::newRow("backwards") << QList<Arrival>{week[2], week[1], week[0]} << 3 << 5 << 9;
        QTest::newRow("the middle one last") << QList<Arrival>{week[0], week[2], week[1]} << 3 << 5 << 9;
        // Only the first rated answer of a day counts, also when it comes
        // late; a first Good is due three days on, a first Again one.
        QTest::newRow("a day's first answer arrives last")
            << QList<Arrival>{{onDay(0, 6), W}, {onDay(0, 9), W}, {onDay(0, 1), R}} << 1 << 0 << 3;
        QTest::newRow("shown first, then right the same day")
            << QList<Arrival>{{onDay(0, 1), S}, {onDay(0, 2), R}, {onDay(0, 3), W}} << 1 << 0 << 3;
        QTest::newRow("shown only") << QList<Arrival>{{onDay(0), S}, {onDay(3), S}} << 0 << 0 << 0;
        QTest::newRow("shown out of order changes nothing")
            << QList<Arrival>{{onDay(4), R}, {onDay(1), S}} << 1 << 4 << 7;
        // The clock was put forward a year, then back: the answer from the
        // future stays the last review, at its own time.
        QTest::newRow("an answer from the future")
            << QList<Arrival>{{onDay(0), R}, {onDay(365), H}, {onDay(1), R}, {onDay(2), W}} << 4 << 365 << -1;
        QTest::newRow("the same moment twice") << QList<Arrival>{{onDay(0), U}, {onDay(0), R}} << 1 << 0 << 1;
    }

    void keptScheduleIsTheReplay()
    {
        QFETCH(QList<Arrival>, arrivals);
        QFETCH(int, reviews);
        QFETCH(int, lastReview);
        QFETCH(int, due);
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QList<TimedAnswer> timeline;
        for (const Arrival &arrival : std::as_const(arrivals)) {
            QVERIFY2(store.Record(outcome(u"cat"_s, arrival.kind), u"tom_0.wrd"_s, arrival.time),
                     qPrintable(store.ErrorText()));
            timeline.append({arrival.time, arrival.kind});
        }
        const WordSchedule kept = store.Words().value(key(u"cat"_s)).schedule;
        QCOMPARE(kept, ReplaySchedule(timeline));
        QCOMPARE(kept.reviews, reviews);
        const qint64 first = QDate(2026, 3, 1).toJulianDay();
        QCOMPARE(kept.lastReview, reviews ? first + lastReview : 0);
        if (due >= 0)
            QCOMPARE(kept.due, reviews ? first + due : 0);
        QVERIFY(kept.due > kept.lastReview || reviews == 0);

        // And the same after the record is opened again.
        store.Close();
        QCOMPARE(store.Open(m_path, ProgressStore::Mode::Read), ProgressStore::OpenResult::Opened);
        QCOMPARE(store.Words().value(key(u"cat"_s)).schedule, kept);
    }

    // Many words, their answers shuffled across weeks, thousands on one day
    // and some from the future: every schedule kept is the replay, and none
    // is negative or not a number.
    void shuffledRecordKeepsEveryReplay()
    {
        ProgressStore store;
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QRandomGenerator random(25);
        QHash<QString, QList<TimedAnswer>> timelines;
        const AnswerKind kinds[] = {R, R, R, W, U, H, S};
        for (int i = 0; i < 3000; ++i) {
            const QString word = u"w%1"_s.arg(random.bounded(12));
            // Most on one day, the rest spread over two months and a few years ahead.
            const int day = i % 3 == 0 ? 10 : i % 50 == 0 ? 1000 + random.bounded(500) : random.bounded(60);
            const qint64 time = onDay(day) + random.bounded(4 * Hour);
            const AnswerKind kind = kinds[random.bounded(7)];
            QVERIFY2(store.Record(outcome(word, kind), u"tom_0.wrd"_s, time), qPrintable(store.ErrorText()));
            timelines[word].append({time, kind});
        }
        const QHash<WordKey, WordProgress> words = store.Words();
        QCOMPARE(words.size(), timelines.size());
        for (auto it = timelines.cbegin(); it != timelines.cend(); ++it) {
            const WordSchedule kept = words.value(key(it.key())).schedule;
            QCOMPARE(kept, ReplaySchedule(it.value()));
            QVERIFY(sound(kept));
            QVERIFY(kept.Sane());
        }
    }

    // A record of the first version: opening it to record brings every word
    // its schedule from the answers, tells how far it has come, and keeps
    // the answers and counts as they were.
    void oldRecordGetsItsSchedules()
    {
        QStringList statements = firstVersionSchema();
        QHash<QString, QList<TimedAnswer>> timelines;
        QRandomGenerator random(7);
        const char *names[] = {"right", "wrong", "unanswered", "hint", "shown"};
        for (int i = 0; i < 5000; ++i) {
            const QString word = u"w%1"_s.arg(random.bounded(40));
            const int kind = random.bounded(5);
            // Recorded out of time order, as two computers' answers may be.
            const qint64 time = onDay(random.bounded(90)) + random.bounded(10 * Hour);
            statements << u"INSERT INTO answers (time, dictionary, word, meaning1, meaning2, meaning3, kind) "
                          "VALUES (%1, 'tom_0.wrd', '%2', 'м-%2', '', '', '%3')"_s.arg(time)
                              .arg(word, QLatin1String(names[kind]));
            timelines[word].append({time, static_cast<AnswerKind>(kind)});
        }
        statements << u"INSERT INTO answers (time, dictionary, word, meaning1, meaning2, meaning3, kind) "
                      "VALUES (5, 'tom_0.wrd', 'lone', 'м-lone', '', '', 'right')"_s;
        for (auto it = timelines.cbegin(); it != timelines.cend(); ++it) {
            statements << u"INSERT INTO words VALUES ('%1', 'м-%1', '', '', 3, 1, 2, 3, 4, 5, 6)"_s.arg(it.key());
        }
        statements << u"COMMIT"_s;
        QCOMPARE(sqlite(m_path, statements), QString());

        ProgressStore store;
        QList<std::pair<qint64, qint64>> told;
        store.SetMigrationProgress([&told](qint64 done, qint64 total) { told.append({done, total}); });
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QVERIFY(!told.isEmpty());
        QCOMPARE(told.last(), (std::pair<qint64, qint64>{5001, 5001}));
        for (qsizetype i = 1; i < told.size(); ++i)
            QVERIFY(told[i].first >= told[i - 1].first);

        QCOMPARE(sqlite(m_path, {u"PRAGMA user_version"_s}), QString::number(ProgressStore::SchemaVersion));
        QCOMPARE(store.AnswerCount(), 5001);
        const QHash<WordKey, WordProgress> words = store.Words();
        QCOMPARE(words.size(), timelines.size());
        for (auto it = timelines.cbegin(); it != timelines.cend(); ++it) {
            const WordProgress &word = words[key(it.key())];
            QCOMPARE(word.schedule, ReplaySchedule(it.value()));
            QVERIFY(word.schedule.Reviewed());
            // The counts of the first version stay.
            QCOMPARE(word.box, 3);
            QCOMPARE(word.shown, 5);
        }

        // Opened again, nothing is replayed a second time.
        store.Close();
        told.clear();
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QVERIFY(told.isEmpty());
    }

    // A new record has nothing to replay and says nothing about it.
    void newRecordIsSilent()
    {
        ProgressStore store;
        bool told = false;
        store.SetMigrationProgress([&told](qint64, qint64) { told = true; });
        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QVERIFY(!told);
        QCOMPARE(sqlite(m_path, {u"PRAGMA user_version"_s}), QString::number(ProgressStore::SchemaVersion));
    }

    // A schedule the file holds that no program of ours could have made
    // (changed by hand or damaged) is taken from the answers instead, when
    // read and when the next answer comes.
    void unsoundScheduleIsReplayed_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("negative stability") << u"stability = -4"_s;
        QTest::newRow("no stability") << u"stability = 0"_s;
        QTest::newRow("difficulty out of range") << u"difficulty = 11.5"_s;
        QTest::newRow("due before the review") << u"due = last_review - 3"_s;
        QTest::newRow("reviews without memory") << u"reviews = 2, stability = 0, difficulty = 0"_s;
        QTest::newRow("memory without reviews") << u"reviews = 0"_s;
        QTest::newRow("text for a number") << u"stability = 'lots'"_s;
    }

    void unsoundScheduleIsReplayed()
    {
        QFETCH(QString, change);
        const QList<TimedAnswer> timeline{{onDay(0), R}, {onDay(3), R}};
        {
            ProgressStore store;
            QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
            for (const TimedAnswer &answer : timeline)
                QVERIFY(store.Record(outcome(u"cat"_s, answer.kind), u"tom_0.wrd"_s, answer.time));
        }
        QCOMPARE(sqlite(m_path, {u"UPDATE words SET "_s + change}), QString());

        ProgressStore store;
        QCOMPARE(store.Open(m_path, ProgressStore::Mode::Read), ProgressStore::OpenResult::Opened);
        QCOMPARE(store.Words().value(key(u"cat"_s)).schedule, ReplaySchedule(timeline));
        store.Close();

        QCOMPARE(store.Open(m_path), ProgressStore::OpenResult::Opened);
        QVERIFY(store.Record(outcome(u"cat"_s, W), u"tom_0.wrd"_s, onDay(20)));
        QCOMPARE(store.Words().value(key(u"cat"_s)).schedule,
                 ReplaySchedule(timeline + QList<TimedAnswer>{{onDay(20), W}}));
        QCOMPARE(sqlite(m_path, {u"SELECT stability FROM words"_s}).toDouble(),
                 ReplaySchedule(timeline + QList<TimedAnswer>{{onDay(20), W}}).memory.stability);
    }
};

QTEST_GUILESS_MAIN(TestScheduleRecord)
#include "tst_schedule_record.moc"
