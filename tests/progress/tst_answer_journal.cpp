// Journals of answers, one per computer, and the index built from them:
// lines read only when whole, a crash that cuts an append short, journals
// that grow, shrink, are replaced, damaged or claimed twice, and the record
// from before journals carried over.
#include "progress/answer_journal.h"
#include "progress/journal_indexer.h"
#include "progress/progress_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const qint64 Noon = QDateTime(QDate(2026, 3, 1), QTime(12, 0)).toMSecsSinceEpoch();

QByteArray answerLine(const QString &computer, qint64 sequence, const QString &english = u"cat"_s,
                      AnswerKind kind = AnswerKind::Right)
{
    return AnswerJournal::Line({computer, sequence, Noon + sequence * 1000, u"tom_0.wrd"_s,
                                {english, {u"м-"_s + english, QString(), QString()}}, kind});
}

// Lines 1..count of a computer's journal, each of its own word.
QByteArray answerLines(const QString &computer, int first, int count, const QString &prefix = u"w"_s)
{
    QByteArray lines;
    for (int n = first; n < first + count; ++n)
        lines += answerLine(computer, n, prefix + QString::number(n));
    return lines;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes, bool append = false)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate)));
    QCOMPARE(file.write(bytes), bytes.size());
}

AnswerEvent answerEvent(const QString &english, AnswerKind kind)
{
    return {english, {u"м-"_s + english, QString(), QString()}, kind};
}

// One change to the journal folder, and what the index holds after the next update.
struct Step
{
    QString file;
    QByteArray bytes;
    bool append = false;
    qint64 answers = 0; // in the index after the update
    int notices = 0;    // told for the first time by that update
};

int answersOfWords(ProgressStore &index)
{
    int sum = 0;
    for (const WordProgress &word : index.Words())
        sum += word.answers();
    return sum;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestAnswerJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsWholeLinesOnly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("damaged");
        QTest::addColumn<int>("unknown");
        QTest::addColumn<int>("unread"); // bytes left for a later reading

        const QByteArray one = answerLine(u"a"_s, 1);
        const QByteArray two = answerLine(u"a"_s, 2);
        QTest::newRow("whole lines") << one + two << 2 << 0 << 0 << 0;
        QTest::newRow("a line still being written") << one + two.left(20) << 1 << 0 << 0 << 20;
        QTest::newRow("no newline yet") << one.chopped(1) << 0 << 0 << 0 << int(one.size() - 1);
        QTest::newRow("damaged middle line") << one + "{\"v\":1,\"comp\n" + two << 2 << 1 << 0 << 0;
        QTest::newRow("an answer without a word") << QByteArray("{\"computer\":\"a\",\"seq\":3,\"time\":1,"
                                                                "\"answer\":\"right\"}\n") + two
                                                  << 1 << 1 << 0 << 0;
        QTest::newRow("fields of a newer version")
            << one.chopped(2) + ",\"mood\":\"ok\",\"place\":[1]}\n" + two << 2 << 0 << 2 << 0;
        QTest::newRow("an outcome of a newer version")
            << QByteArray(answerLine(u"a"_s, 1).replace("\"right\"", "\"skipped\"")) + two << 1 << 0 << 1 << 0;
        QTest::newRow("empty lines") << "\n" + one + "\n\n" << 1 << 0 << 0 << 0;
    }
    void readsWholeLinesOnly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, answers);
        QFETCH(int, damaged);
        QFETCH(int, unknown);
        QFETCH(int, unread);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.jsonl"_s);
        writeBytes(path, bytes);
        const AnswerJournal::Reading reading = AnswerJournal::Read(path, 0, 1000);
        QCOMPARE(reading.error, QString());
        QCOMPARE(reading.answers.size(), answers);
        QCOMPARE(reading.damaged.size(), damaged);
        QCOMPARE(reading.unknown, unknown);
        QCOMPARE(reading.end, bytes.size() - unread);
        if (answers > 0)
            QCOMPARE(reading.answers.last().computer, u"a"_s);
    }

    // The next answer takes the number after the last one written, and a
    // line a crash left half written is gone before it.
    void appendGoesOnFromTheLastWholeLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<qint64>("sequence");
        const QByteArray lines = answerLines(u"c"_s, 1, 3);
        QTest::newRow("new journal") << QByteArray() << QByteArray() << qint64(1);
        QTest::newRow("three answers") << lines << lines << qint64(4);
        QTest::newRow("half a fourth") << lines + answerLine(u"c"_s, 4).left(30) << lines << qint64(4);
        QTest::newRow("only half a line") << answerLine(u"c"_s, 1).left(30) << QByteArray() << qint64(1);
        QTest::newRow("another computer's lines in it")
            << lines + answerLine(u"d"_s, 40) << lines + answerLine(u"d"_s, 40) << qint64(4);
        // Far more than the end of the file that is looked at first.
        const QByteArray many = answerLines(u"c"_s, 1, 700) + QByteArray(70000, '\n');
        QTest::newRow("the last answer far from the end") << many << many << qint64(701);
    }
    void appendGoesOnFromTheLastWholeLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, kept);
        QFETCH(qint64, sequence);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"journal/c.jsonl"_s);
        QDir().mkpath(dir.filePath(u"journal"_s));
        if (!before.isEmpty())
            writeBytes(path, before);
        AnswerJournal journal(path, u"c"_s);
        QVERIFY2(journal.Open(), qPrintable(journal.ErrorText()));
        const auto appended = journal.Append(answerEvent(u"owl"_s, AnswerKind::Wrong), u"tom_1.wrd"_s, Noon);
        QVERIFY(appended);
        QCOMPARE(appended->sequence, sequence);
        QCOMPARE(appended->start, kept.size());
        const QByteArray written = readBytes(path);
        QCOMPARE(written.left(kept.size()), kept);
        const AnswerJournal::Reading reading = AnswerJournal::Read(path, kept.size(), 10);
        QCOMPARE(reading.answers.size(), 1);
        QCOMPARE(reading.end, written.size());
        QCOMPARE(reading.answers[0].sequence, sequence);
        QCOMPARE(reading.answers[0].word.english, u"owl"_s);
        QCOMPARE(reading.answers[0].kind, AnswerKind::Wrong);
    }

    // A process killed at any moment of its appends leaves whole lines
    // only, numbered without a gap, and the next opening goes on from there.
    void killedWhileAppending_data()
    {
        QTest::addColumn<int>("delayUs");
        for (const int delay : {300, 1500, 4000, 9000})
            QTest::addRow("after %d us", delay) << delay;
    }
    void killedWhileAppending()
    {
        QFETCH(int, delayUs);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"k.jsonl"_s);
        for (int round = 0; round < 3; ++round) {
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                AnswerJournal journal(path, u"k"_s);
                if (!journal.Open())
                    _exit(2);
                for (;;)
                    journal.Append(answerEvent(u"word-with-a-long-name-"_s + QString(200, u'я'), AnswerKind::Right), u"t"_s, Noon);
            }
            usleep(static_cast<useconds_t>(delayUs));
            kill(child, SIGKILL);
            int status = 0;
            waitpid(child, &status, 0);
            QVERIFY(WIFSIGNALED(status));
            const QByteArray bytes = readBytes(path);
            const AnswerJournal::Reading reading = AnswerJournal::Read(path, 0, 1 << 30);
            QCOMPARE(reading.damaged.size(), 0);
            // Whatever follows the last newline is no answer, and is cut off by the next opening.
            QVERIFY(reading.end == bytes.size() || !bytes.mid(reading.end).contains('\n'));
            for (qsizetype i = 0; i < reading.answers.size(); ++i)
                QCOMPARE(reading.answers[i].sequence, i + 1);
        }
    }

    // The index after each change of the journal folder.
    void indexFollowsTheJournals_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        const QString a = u"aaaa.jsonl"_s;
        const QString b = u"bbbb.jsonl"_s;
        QTest::newRow("two computers, growing")
            << QList<Step>{{a, answerLines(u"aaaa"_s, 1, 3), false, 3, 0},
                           {b, answerLines(u"bbbb"_s, 1, 2, u"x"_s), false, 5, 0},
                           {a, answerLines(u"aaaa"_s, 4, 2), true, 7, 0}};
        QTest::newRow("a line copied half, then whole")
            << QList<Step>{{a, answerLines(u"aaaa"_s, 1, 2) + answerLine(u"aaaa"_s, 3).left(25), false, 2, 0},
                           {a, answerLine(u"aaaa"_s, 3).mid(25), true, 3, 0}};
        QTest::newRow("cut short, read anew")
            << QList<Step>{{a, answerLines(u"aaaa"_s, 1, 5), false, 5, 0},
                           {a, answerLines(u"aaaa"_s, 1, 3), false, 3, 0}};
        // As long as before, other answers: no word of the first kept.
        QTest::newRow("replaced, same length")
            << QList<Step>{{a, answerLines(u"aaaa"_s, 1, 4, u"p"_s), false, 4, 0},
                           {a, answerLines(u"aaaa"_s, 1, 4, u"q"_s), false, 4, 0}};
        QTest::newRow("replaced, longer")
            << QList<Step>{{a, answerLines(u"aaaa"_s, 1, 2, u"p"_s), false, 2, 0},
                           {a, answerLines(u"aaaa"_s, 1, 3, u"q"_s), false, 3, 0}};
        QTest::newRow("the same lines again add nothing")
            << QList<Step>{{a, answerLines(u"aaaa"_s, 1, 3), false, 3, 0},
                           {b, answerLines(u"bbbb"_s, 1, 1), false, 4, 0},
                           {b, QByteArray(), true, 4, 0}};
        QTest::newRow("a damaged line, told once")
            << QList<Step>{{a, answerLine(u"aaaa"_s, 1) + "}{\n" + answerLine(u"aaaa"_s, 2), false, 2, 1},
                           {a, answerLine(u"aaaa"_s, 3), true, 3, 0}};
        QTest::newRow("two journals of one computer, both kept, told once")
            << QList<Step>{{a, answerLines(u"aaaa"_s, 1, 3), false, 3, 0},
                           {u"aaaa.sync-conflict-20261209-101112-ABCDEFG.jsonl"_s, answerLines(u"aaaa"_s, 1, 2, u"z"_s),
                            false, 5, 1},
                           {a, answerLine(u"aaaa"_s, 4), true, 6, 0}};
    }
    void indexFollowsTheJournals()
    {
        QFETCH(QList<Step>, steps);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"journal"_s);
        QDir().mkpath(folder);
        ProgressStore index;
        QCOMPARE(index.Open(dir.filePath(u"state/progress.sqlite"_s), ProgressStore::Mode::Index),
                 ProgressStore::OpenResult::Opened);
        for (const Step &step : steps) {
            writeBytes(QDir(folder).filePath(step.file), step.bytes, step.append);
            const JournalIndexer::Result result = JournalIndexer::Update(index, folder);
            QCOMPARE(result.error, QString());
            QCOMPARE(index.AnswerCount(), step.answers);
            QCOMPARE(answersOfWords(index), step.answers);
            QCOMPARE(result.notices.size(), step.notices);
        }
        // An index built afresh from the journals as they are now holds the same.
        ProgressStore fresh;
        QCOMPARE(fresh.Open(dir.filePath(u"state/fresh.sqlite"_s), ProgressStore::Mode::Index),
                 ProgressStore::OpenResult::Opened);
        QCOMPARE(JournalIndexer::Update(fresh, folder).error, QString());
        QCOMPARE(fresh.Words(), index.Words());
        QCOMPARE(fresh.AnswersPerDay(QDate(2026, 3, 1), 2), index.AnswersPerDay(QDate(2026, 3, 1), 2));
    }

    // What this computer records goes into its journal and its index at
    // once; updating from the journals afterwards adds nothing, and another
    // computer's index built from the journal knows the same.
    void recordedAnswersAreIndexedOnce()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"journal"_s);
        ProgressStore index;
        QCOMPARE(index.Open(dir.filePath(u"here.sqlite"_s)), ProgressStore::OpenResult::Opened);
        auto journal = std::make_unique<AnswerJournal>(folder + u"/cccc.jsonl"_s, u"cccc"_s);
        QVERIFY(journal->Open());
        index.SetJournal(std::move(journal));
        const AnswerKind kinds[] = {AnswerKind::Right, AnswerKind::Wrong, AnswerKind::Right, AnswerKind::Hint};
        qint64 time = Noon;
        int turn = 0;
        for (const AnswerKind kind : kinds)
            QVERIFY(index.Record(answerEvent(u"cat"_s, kind), u"tom_%1.wrd"_s.arg(turn++ % 2), time += 86400000));
        QCOMPARE(JournalIndexer::Update(index, folder).added, 0);
        QCOMPARE(index.AnswerCount(), 4);

        ProgressStore there;
        QCOMPARE(there.Open(dir.filePath(u"there.sqlite"_s), ProgressStore::Mode::Index),
                 ProgressStore::OpenResult::Opened);
        QCOMPARE(JournalIndexer::Update(there, folder).added, 4);
        QCOMPARE(there.Words(), index.Words());
        // Each answer keeps the dictionary it was given in.
        const auto dictionaries = [](ProgressStore &store) {
            QMap<qint64, QString> byTime;
            for (const JournalAnswer &answer : store.Answers())
                byTime.insert(answer.time, answer.dictionary);
            return byTime;
        };
        QCOMPARE(dictionaries(there), dictionaries(index));
    }

    // The record from before journals becomes this computer's journal once,
    // every answer in it, and goes out of the shared folder.
    void formerRecordBecomesTheJournal()
    {
        QTemporaryDir dir;
        const JournalIndexer::Places places{dir.filePath(u"state/progress.sqlite"_s), dir.filePath(u"share/journal"_s),
                                            u"eeee"_s, dir.filePath(u"share/progress.sqlite"_s)};
        QHash<WordKey, WordProgress> before;
        {
            ProgressStore former;
            QCOMPARE(former.Open(places.former), ProgressStore::OpenResult::Opened);
            qint64 time = Noon;
            for (const QString &english : {u"cat"_s, u"dog"_s, u"cat"_s, u"owl"_s, u"cat"_s})
                QVERIFY(former.Record(answerEvent(english, AnswerKind::Right), u"tom_0.wrd"_s, time += 3600000));
            before = former.Words();
        }
        QString error;
        QVERIFY2(JournalIndexer::MigrateFormer(places, &error), qPrintable(error));
        QVERIFY(!QFileInfo::exists(places.former));
        QVERIFY(QFileInfo::exists(dir.filePath(u"state/progress-before-journals.sqlite"_s)));
        const AnswerJournal::Reading reading = AnswerJournal::Read(places.folder + u"/eeee.jsonl"_s, 0, 100);
        QCOMPARE(reading.answers.size(), 5);
        QCOMPARE(reading.answers.last().sequence, 5);
        QVERIFY(JournalIndexer::MigrateFormer(places, &error));

        ProgressStore index;
        QCOMPARE(index.Open(places.index, ProgressStore::Mode::Index), ProgressStore::OpenResult::Opened);
        QCOMPARE(JournalIndexer::Update(index, places.folder).added, 5);
        QCOMPARE(index.Words(), before);
    }
};

QTEST_GUILESS_MAIN(TestAnswerJournal)
#include "tst_answer_journal.moc"
