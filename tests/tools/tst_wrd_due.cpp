// "lexomat-wrd due" on a record whose schedules the reference FSRS
// implementation worked out (due_vectors.json, made by a script in
// tools/fsrs), and on bad command lines.
#include "folder_files.h"
#include "progress/progress_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using namespace Qt::StringLiterals;

namespace {

// The vectors' answers fall on calendar days of universal time; the record
// and the command must count the same days.
const bool InUtc = [] {
    qputenv("TZ", "UTC");
    tzset();
    return true;
}();

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

Result runWrd(const QStringList &arguments, const QString &dataHome)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_DATA_HOME"_s, dataHome);
    environment.insert(u"TZ"_s, u"UTC"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(WRD_BINARY), arguments);
    Result result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.code = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QJsonObject vectors()
{
    QFile file(QStringLiteral(DUE_VECTORS));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

class TestWrdDue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every word's schedule as the reference makes it, the most urgent
    // first, from answers recorded out of time order, and nothing written.
    void agreesWithTheReference()
    {
        QVERIFY(InUtc);
        const QJsonObject data = vectors();
        const QJsonArray words = data[u"words"_s].toArray();
        QVERIFY(words.size() > 100);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"dict"_s);
        QDir().mkpath(folder);
        const QString recordPath = dir.filePath(u"record.sqlite"_s);

        QHash<QString, QJsonObject> expected;
        QStringList lines;
        {
            ProgressStore store;
            QCOMPARE(store.Open(recordPath), ProgressStore::OpenResult::Opened);
            for (const QJsonValue &value : words) {
                const QJsonObject word = value.toObject();
                const WordKey key = WordKey::FromLine(word[u"line"_s].toString());
                lines.append(word[u"line"_s].toString());
                if (word[u"expected"_s].isObject())
                    expected.insert(key.english, word[u"expected"_s].toObject());
                for (const QJsonValue &answer : word[u"answers"_s].toArray()) {
                    const QJsonArray pair = answer.toArray();
                    const std::optional<AnswerKind> kind = KindFromName(pair[1].toString());
                    QVERIFY(kind);
                    QVERIFY(store.Record({key.english, key.meanings, *kind}, u"tom_0.wrd"_s,
                                         static_cast<qint64>(pair[0].toDouble())));
                }
            }
        }
        // The words spread over dictionaries of up to 66 words.
        for (qsizetype i = 0; i < lines.size(); i += 66)
            writeDictionary(folder + u"/tom_%1.wrd"_s.arg(i / 66), lines.mid(i, 66));
        const auto recordBefore = snapshot(dir.path());
        const auto dictionariesBefore = snapshot(folder);

        const Result result = runWrd({u"due"_s, folder, u"--record"_s, recordPath, u"--date"_s,
                                      data[u"date"_s].toString(), u"--tsv"_s},
                                     dir.path());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, 0);
        QStringList rows = result.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.takeFirst(), u"word\tmeanings\treviews\tstability\tdifficulty\tretrievability\tdue"_s);
        QCOMPARE(rows.size(), expected.size());
        double previous = -1;
        for (const QString &row : std::as_const(rows)) {
            const QStringList cells = row.split(u'\t');
            QCOMPARE(cells.size(), 7);
            QVERIFY2(expected.contains(cells[0]), qPrintable(row));
            const QJsonObject want = expected[cells[0]];
            QCOMPARE(cells[2].toInt(), want[u"reviews"_s].toInt());
            QVERIFY2(qAbs(cells[3].toDouble() - want[u"stability"_s].toDouble()) <= 1e-6, qPrintable(row));
            QVERIFY2(qAbs(cells[4].toDouble() - want[u"difficulty"_s].toDouble()) <= 1e-6, qPrintable(row));
            const double retrievability = cells[5].toDouble();
            QVERIFY2(qAbs(retrievability - want[u"retrievability"_s].toDouble()) <= 1e-6, qPrintable(row));
            QCOMPARE(cells[5].section(u'.', 1).size(), 6);
            QCOMPARE(cells[6], want[u"due"_s].toString());
            QVERIFY2(retrievability >= previous, qPrintable(row));
            previous = retrievability;
        }
        // SQLite may leave its empty side files of a read; the record and
        // the dictionaries stay as they were.
        const auto after = snapshot(dir.path());
        QVERIFY(after[u"record.sqlite"_s] == recordBefore[u"record.sqlite"_s]);
        QVERIFY(after.value(u"record.sqlite-wal"_s).isEmpty());
        QVERIFY(snapshot(folder) == dictionariesBefore);
    }

    void badCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder") << QStringList{u"due"_s} << 2 << u"due needs DIR"_s;
        QTest::newRow("date without value") << QStringList{u"due"_s, u"."_s, u"--date"_s} << 2 << u"--date needs"_s;
        QTest::newRow("date not a date") << QStringList{u"due"_s, u"."_s, u"--date"_s, u"2025-02-30"_s} << 2
                                         << u"'2025-02-30'"_s;
        QTest::newRow("date of another form") << QStringList{u"due"_s, u"."_s, u"--date"_s, u"1.3.2025"_s} << 2
                                              << u"YYYY-MM-DD"_s;
        QTest::newRow("unknown option") << QStringList{u"due"_s, u"."_s, u"--all"_s} << 2 << u"due needs DIR"_s;
        QTest::newRow("missing folder") << QStringList{u"due"_s, u"/nonexistent/lexomat"_s} << 1
                                        << u"no such folder"_s;
    }

    void badCommandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const Result result = runWrd(arguments, dir.path());
        QCOMPARE(result.code, code);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestWrdDue)
#include "tst_wrd_due.moc"
