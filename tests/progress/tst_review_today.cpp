// What "Повторить сегодня" takes and where it writes it: the words due
// today, most at risk first and at most a review dictionary's worth, the
// days to come, and the one review dictionary of a folder, rewritten only
// while it is as written and passed by when new words look for room.
#include "dict/dict_library.h"
#include "dict/review_mark.h"
#include "dict/word_file.h"
#include "progress/review_today.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Today = 2461000;

// Words as (last review days ago, stability, due in days).
using Schedules = QList<std::array<double, 3>>;

WordKey word(int n)
{
    return {u"w%1"_s.arg(n), {u"м%1"_s.arg(n), QString(), QString()}};
}

// A word reviewed last on lastReview with stability, due on due.
WordProgress reviewed(qint64 lastReview, double stability, qint64 due)
{
    WordProgress progress;
    progress.right = 1;
    progress.schedule.reviews = 1;
    progress.schedule.memory = {stability, 5};
    progress.schedule.lastReview = lastReview;
    progress.schedule.due = due;
    return progress;
}

QStringList englishOf(const QList<ScheduledWord> &words)
{
    QStringList english;
    for (const ScheduledWord &w : words)
        english << w.key.english;
    return english;
}

void writeLines(const QString &path, const QStringList &lines)
{
    WordFile file(path);
    file.lines = lines;
    QCOMPARE(file.Save(), 1);
}

QStringList linesOf(const QString &path)
{
    return WordFile(path).lines;
}

QList<WordKey> words(int first, int count)
{
    QList<WordKey> keys;
    for (int i = first; i < first + count; ++i)
        keys << word(i);
    return keys;
}

} // namespace

class TestReviewToday : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each row: words as (last review days ago, stability, due in days), the
    // words due today in the order taken, the forecast's first days, and the
    // day the next words fall due (days from today, 0 for none).
    void plan_data()
    {
        QTest::addColumn<Schedules>("schedules");
        QTest::addColumn<QStringList>("due");
        QTest::addColumn<QList<int>>("forecast");
        QTest::addColumn<int>("next");
        using S = Schedules::value_type;
        QTest::newRow("nothing reviewed") << QList<S>{} << QStringList{} << QList<int>{0, 0, 0} << 0;
        QTest::newRow("due day reached though recall is high")
            << QList<S>{{1, 100, 0}, {1, 100, 5}} << QStringList{u"w0"_s} << QList<int>{0, 0, 0} << 5;
        // Stability 2 reviewed 3 days ago: recall below 0.9 before the due day.
        QTest::newRow("recall fallen below the retention before the due day")
            << QList<S>{{3, 2, 4}, {1, 10, 9}} << QStringList{u"w0"_s} << QList<int>{0, 0, 0} << 9;
        QTest::newRow("lowest recall first, then the earlier due day")
            << QList<S>{{5, 10, -1}, {20, 10, 0}, {5, 10, -3}, {3, 1, 0}}
            << QStringList{u"w3"_s, u"w1"_s, u"w2"_s, u"w0"_s} << QList<int>{0, 0, 0} << 0;
        QTest::newRow("forecast by the day each falls due")
            << QList<S>{{0, 1, 1}, {0, 1, 1}, {0, 2.5, 3}, {0, 30, 30}} << QStringList{}
            << QList<int>{2, 0, 1} << 1;
        QTest::newRow("a review dated after today (clock put back) is not due")
            << QList<S>{{-3, 1, 4}} << QStringList{} << QList<int>{0, 0, 0, 1} << 4;
    }

    void plan()
    {
        QFETCH(Schedules, schedules);
        QFETCH(QStringList, due);
        QFETCH(QList<int>, forecast);
        QFETCH(int, next);
        ProgressMap record;
        QList<WordKey> keys;
        for (int i = 0; i < schedules.size(); ++i) {
            const auto &[ago, stability, dueIn] = schedules[i];
            keys << word(i);
            record.insert(word(i), reviewed(Today - qint64(ago), stability, Today + qint64(dueIn)));
        }
        // A word answered only in the learning mode has no schedule.
        WordProgress shown;
        shown.shown = 3;
        keys << word(99);
        record.insert(word(99), shown);

        const ReviewPlan plan = ReviewPlan::Make(keys, record, Today);
        QCOMPARE(englishOf(plan.due), due);
        QCOMPARE(plan.dueCount, due.size());
        QCOMPARE(plan.forecast.size(), ReviewPlan::ForecastDays);
        QCOMPARE(plan.forecast.mid(0, forecast.size()), forecast);
        QCOMPARE(plan.nextDay, next == 0 ? 0 : Today + next);
        for (const ScheduledWord &w : plan.due)
            QVERIFY(w.schedule.DueOn(Today));
    }

    // More due than a review dictionary holds: the most at risk are taken,
    // all are counted; fewer than the game needs: the next most urgent
    // make up the rest.
    void capAndTopUp()
    {
        ProgressMap record;
        QList<WordKey> keys = words(0, 80);
        for (int i = 0; i < 80; ++i)
            record.insert(word(i), reviewed(Today - 10, 1 + i * 0.01, Today - 1));
        ReviewPlan plan = ReviewPlan::Make(keys, record, Today);
        QCOMPARE(plan.dueCount, 80);
        QCOMPARE(plan.due.size(), ReviewPlan::MaxWords);
        QCOMPARE(plan.due.first().key, word(0));
        QCOMPARE(plan.due.last().key, word(65));
        QVERIFY(plan.topUp.isEmpty());

        record.clear();
        for (int i = 0; i < 10; ++i)
            record.insert(word(i), reviewed(Today - 1, 50 - i, i < 2 ? Today : Today + 30));
        plan = ReviewPlan::Make(words(0, 10), record, Today);
        QCOMPARE(englishOf(plan.due), (QStringList{u"w1"_s, u"w0"_s}));
        QCOMPARE(englishOf(plan.topUp), (QStringList{u"w9"_s, u"w8"_s, u"w7"_s, u"w6"_s}));
    }

    // The review dictionary is written over while it holds what was
    // written; once the learner changes it, it is theirs and the next
    // review takes a new number. A folder look for room passes it by.
    void oneReviewDictionary()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        writeLines(folder + u"tom_0.wrd"_s, {u"a,а,"_s, u"b,б,"_s});
        writeLines(folder + u"tom_2.wrd"_s, {u"c,в,"_s});
        {
            DictLibrary library(folder, folder, folder + u"tom_0.wrd"_s);
            QCOMPARE(library.FindNotFull(), folder + u"tom_0.wrd"_s);
        }

        const QString first = WriteReviewDictionary(folder, words(0, 7));
        QCOMPARE(first, folder + u"tom_1.wrd"_s);
        QCOMPARE(linesOf(first).size(), 7);
        QCOMPARE(ReviewMark::Current(folder), u"tom_1.wrd"_s);
        // The words of the review dictionary are not a source of the next.
        QCOMPARE(ReviewSourceWords(folder), (QList<WordKey>{WordKey::FromLine(u"a,а,"_s), WordKey::FromLine(u"b,б,"_s),
                                                            WordKey::FromLine(u"c,в,"_s)}));

        QCOMPARE(WriteReviewDictionary(folder, words(10, 100)), first);
        QCOMPARE(linesOf(first).size(), ReviewPlan::MaxWords);
        QCOMPARE(linesOf(first).first(), word(10).ToLine());

        // A review dictionary with room is passed by: a new dictionary is
        // begun instead. Edited, it is the learner's again.
        QFile::remove(folder + u"tom_2.wrd"_s);
        writeLines(folder + u"tom_0.wrd"_s, QStringList(70, u"x,х,"_s));
        {
            DictLibrary library(folder, folder, folder + u"tom_0.wrd"_s);
            QCOMPARE(library.FindNotFull(), u"0"_s);
            writeLines(first, linesOf(first) << u"mine,моё,"_s);
            QCOMPARE(library.FindNotFull(), first);
        }
        const QStringList edited = linesOf(first);
        QCOMPARE(WriteReviewDictionary(folder, words(20, 6)), folder + u"tom_2.wrd"_s);
        QCOMPARE(linesOf(first), edited);
        QCOMPARE(ReviewMark::Current(folder), u"tom_2.wrd"_s);
    }

    // A mark that is no mark of this program names no review dictionary.
    void foreignMarks_data()
    {
        QTest::addColumn<QByteArray>("mark");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no digest") << QByteArray("tom_1.wrd\n");
        QTest::newRow("wrong digest") << QByteArray("tom_1.wrd\t0123\n");
        QTest::newRow("a path outside") << QByteArray("../tom_1.wrd\t0123\n");
        QTest::newRow("a missing file") << QByteArray("tom_7.wrd\tabc\n");
    }

    void foreignMarks()
    {
        QFETCH(QByteArray, mark);
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        writeLines(folder + u"tom_1.wrd"_s, {u"a,а,"_s});
        QFile file(ReviewMark::PathIn(folder));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(mark);
        file.close();
        QCOMPARE(ReviewMark::Current(folder), QString());
        DictLibrary library(folder, folder, folder + u"tom_1.wrd"_s);
        QCOMPARE(library.FindNotFull(), folder + u"tom_1.wrd"_s);
        // Nothing of the learner's is written over.
        QCOMPARE(WriteReviewDictionary(folder, words(0, 6)), folder + u"tom_0.wrd"_s);
        QCOMPARE(linesOf(folder + u"tom_1.wrd"_s), QStringList{u"a,а,"_s});
    }
};

QTEST_GUILESS_MAIN(TestReviewToday)
#include "tst_review_today.moc"
