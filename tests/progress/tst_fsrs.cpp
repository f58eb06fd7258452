// The review schedule's model against the reference implementation: the
// vectors in fsrs_vectors.json were made by tools/fsrs/make_vectors.js with
// ts-fsrs (how, is written there). Every review of every sequence must give
// the same stability and difficulty to 1e-6 and the same due day, and the
// chance of recall on later days must agree too. And the calendar days the
// schedule counts in.
#include "progress/word_schedule.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

#include <cmath>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

// Day 0 of the vectors: 1 January 2024.
const qint64 FirstDay = QDate(2024, 1, 1).toJulianDay();

QJsonArray sequences()
{
    static const QJsonArray all = [] {
        QFile file(QStringLiteral(FSRS_VECTORS));
        if (!file.open(QIODevice::ReadOnly))
            return QJsonArray();
        return QJsonDocument::fromJson(file.readAll()).object().value(u"sequences"_s).toArray();
    }();
    return all;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-6;
}

} // namespace

class TestFsrs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void vectorsAreThere()
    {
        // 200 random sequences at least, and the edge cases before them.
        QVERIFY2(sequences().size() >= 220, qPrintable(u"only %1 sequences"_s.arg(sequences().size())));
    }

    void matchesTheReference_data()
    {
        QTest::addColumn<QJsonObject>("sequence");
        for (const QJsonValue &value : sequences()) {
            const QJsonObject sequence = value.toObject();
            QTest::newRow(qPrintable(sequence.value(u"name"_s).toString())) << sequence;
        }
    }

    void matchesTheReference()
    {
        QFETCH(QJsonObject, sequence);
        WordSchedule schedule;
        int n = 0;
        for (const QJsonValue &value : sequence.value(u"reviews"_s).toArray()) {
            const QJsonObject review = value.toObject();
            const qint64 day = FirstDay + review.value(u"day"_s).toInteger();
            const QString where = u"review %1 on day %2"_s.arg(++n).arg(review.value(u"day"_s).toInteger());
            const double before = schedule.Retrievability(day);
            QVERIFY2(near(before, review.value(u"retrievability"_s).toDouble()),
                     qPrintable(where + u": retrievability %1"_s.arg(before, 0, 'f', 8)));
            schedule = schedule.AfterReview(static_cast<Fsrs::Rating>(review.value(u"rating"_s).toInt()), day);
            QVERIFY2(near(schedule.memory.stability, review.value(u"stability"_s).toDouble()),
                     qPrintable(where + u": stability %1, reference %2"_s.arg(schedule.memory.stability, 0, 'f', 8)
                                            .arg(review.value(u"stability"_s).toDouble(), 0, 'f', 8)));
            QVERIFY2(near(schedule.memory.difficulty, review.value(u"difficulty"_s).toDouble()),
                     qPrintable(where + u": difficulty %1, reference %2"_s.arg(schedule.memory.difficulty, 0, 'f', 8)
                                            .arg(review.value(u"difficulty"_s).toDouble(), 0, 'f', 8)));
            QCOMPARE(schedule.due - FirstDay, review.value(u"due"_s).toInteger());
            QCOMPARE(schedule.reviews, n);
            QVERIFY(schedule.Sane());
        }
        for (const QJsonValue &value : sequence.value(u"checks"_s).toArray()) {
            const QJsonObject check = value.toObject();
            const qint64 day = FirstDay + check.value(u"day"_s).toInteger();
            QVERIFY2(near(schedule.Retrievability(day), check.value(u"retrievability"_s).toDouble()),
                     qPrintable(u"day %1"_s.arg(check.value(u"day"_s).toInteger())));
        }
    }

    // The quick day count agrees with the calendar in zones with summer
    // time, with offsets of 30 and 45 minutes, and in the zone that skipped
    // a whole day (Samoa, end of 2011).
    void localDaysAreCalendarDays_data()
    {
        QTest::addColumn<QByteArray>("zone");
        for (const char *zone : {"UTC", "Europe/Moscow", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe",
                                 "Asia/Kathmandu", "Pacific/Apia"})
            QTest::newRow(zone) << QByteArray(zone);
    }

    void localDaysAreCalendarDays()
    {
        QFETCH(QByteArray, zone);
        const QByteArray previous = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        // The program's local time is the zone's.
        const QDateTime moment = QDateTime::fromMSecsSinceEpoch(1700000000000);
        QCOMPARE(moment.offsetFromUtc(), QTimeZone(zone).offsetFromUtc(moment));
        LocalDays days;
        int checked = 0;
        for (const int year : {2011, 2025}) {
            const qint64 start = QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
            // Every 7 minutes and 13 seconds through the year, and back.
            for (qint64 t = start; t < start + 366LL * 86400000; t += 433000, ++checked)
                QCOMPARE(days(t), DayOf(t));
            for (qint64 t = start + 366LL * 86400000; t > start; t -= 3600000 * 5 + 1)
                QCOMPARE(days(t), DayOf(t));
        }
        // Before 1970 too.
        for (qint64 t = -86400000LL * 400; t < 0; t += 3599999)
            QCOMPARE(days(t), DayOf(t));
        if (previous.isEmpty())
            qunsetenv("TZ");
        else
            qputenv("TZ", previous);
        tzset();
        QVERIFY(checked > 100000);
    }
};

QTEST_APPLESS_MAIN(TestFsrs)
#include "tst_fsrs.moc"
