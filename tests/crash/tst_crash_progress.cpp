// The record of answers killed with SIGKILL at random moments, from its
// creation on: what is left always passes SQLite's integrity check, its
// answers and its sums per word and per day agree, no committed answer is
// lost, and the next opening finds it whole.
#include "kill_loop.h"
#include "progress/progress_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The first value of each statement, read with SQLite's own means.
QStringList inspect(const QString &path, const QStringList &statements, QString &error)
{
    const QString name = u"inspect"_s;
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            for (const QString &sql : statements) {
                QSqlQuery query(db);
                if (!query.exec(sql) || !query.next()) {
                    error = sql + u": "_s + query.lastError().text();
                    break;
                }
                values << query.value(0).toString();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return values;
}

} // namespace

class TestCrashProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWhileRecording()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"data/lexomat/progress.sqlite"_s);
        KillLoop loop;
        loop.program = QStringLiteral(PROGRESS_LOOP_BINARY);
        loop.arguments = {path};
        loop.maxRuns = 300;
        loop.maxMilliseconds = 60000;
        loop.maxDelayMicroseconds = 30000;

        qint64 kept = 0;
        int inspections = 0;
        const bool ok = loop.run([&](QString &why) -> QString {
            ++inspections;
            if (!QFileInfo::exists(path))
                return u"no file yet"_s;
            const QStringList checks{u"PRAGMA integrity_check"_s, u"PRAGMA user_version"_s,
                                     u"SELECT count(*) FROM answers"_s,
                                     u"SELECT coalesce(sum(right + wrong + unanswered + hints + shown), 0) FROM words"_s,
                                     u"SELECT coalesce(sum(answers), 0) FROM days"_s};
            QString error;
            const QStringList values = inspect(path, checks, error);
            QString state;
            if (values.value(0) != u"ok"_s && !values.isEmpty()) {
                why = u"integrity check: "_s + values.value(0);
            } else if (values.size() == 2 && values[1] == u"0"_s) {
                // Killed before the schema's one transaction committed: an
                // empty database, which the next opening sets up.
                state = u"not set up yet"_s;
            } else if (!error.isEmpty()) {
                why = error;
            } else if (values[2] != values[3] || values[2] != values[4]) {
                why = u"answers %1, per word %2, per day %3"_s.arg(values[2], values[3], values[4]);
            } else if (values[2].toLongLong() < kept) {
                why = u"%1 answers, %2 before the kill"_s.arg(values[2]).arg(kept);
            } else {
                state = values[2].toLongLong() > kept ? u"more answers"_s : u"as before"_s;
                kept = values[2].toLongLong();
            }
            // Now and then the next run starts from nothing again.
            if (!state.isEmpty() && inspections % 15 == 0) {
                for (const QString &suffix : {QString(), u"-wal"_s, u"-shm"_s})
                    QFile::remove(path + suffix);
                kept = 0;
            }
            return state;
        });
        QVERIFY2(ok, qPrintable(loop.failure));
        qInfo("%s", qPrintable(loop.summary()));
        QVERIFY(loop.runs >= 100);
        QVERIFY2(loop.seen[u"more answers"_s] > 0, "the helper never recorded an answer before it was killed");

        ProgressStore store;
        QCOMPARE(store.Open(path), ProgressStore::OpenResult::Opened);
        AnswerEvent event;
        event.english = u"after"_s;
        QVERIFY(store.Record(event, u"tom_0.wrd"_s, 1));
    }
};

QTEST_GUILESS_MAIN(TestCrashProgress)
#include "tst_crash_progress.moc"
