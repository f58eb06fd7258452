// "lexomat-wrd progress" on a record and a folder whose counts are known.
#include "dict/word_file.h"
#include "folder_files.h"
#include "progress/progress_store.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

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
    environment.insert(u"XDG_STATE_HOME"_s, dataHome + u"/state"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(WRD_BINARY), arguments);
    Result result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.code = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void record(ProgressStore &store, const QString &line, const QList<AnswerKind> &kinds)
{
    const WordKey key = WordKey::FromLine(line);
    for (const AnswerKind kind : kinds)
        QVERIFY(store.Record({key.english, key.meanings, kind}, u"tom_0.wrd"_s, 1700000000000));
}

} // namespace

class TestWrdProgress : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QString m_record;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->filePath(u"dict"_s);
        QDir().mkpath(m_folder);
        writeDictionary(m_folder + u"/tom_0.wrd"_s, {u"cat,кот,"_s, u"dog,пёс,"_s, u"owl,сова,"_s});
        writeDictionary(m_folder + u"/tom_10.wrd"_s, {u"fox,лиса,"_s, u"elk,лось,"_s});
        // The same word as in tom_0: one word, counted once in the total.
        writeDictionary(m_folder + u"/tom_2.wrd"_s, {u"cat,кот,"_s, u"yak,як,"_s});
        m_record = m_dir->filePath(u"record.sqlite"_s);
        ProgressStore store;
        QCOMPARE(store.Open(m_record), ProgressStore::OpenResult::Opened);
        using K = AnswerKind;
        record(store, u"cat,кот,"_s, {K::Right, K::Right, K::Right, K::Right}); // learnt
        record(store, u"dog,пёс,"_s, {K::Wrong, K::Unanswered, K::Right});     // learning
        record(store, u"fox,лиса,"_s, {K::Hint, K::Shown, K::Shown});           // learning
        record(store, u"cat,кошка,"_s, {K::Wrong});                             // in no dictionary
    }

    void tabSeparated()
    {
        const Result result = runWrd({u"progress"_s, m_folder, u"--tsv"_s, u"--record"_s, m_record}, m_dir->path());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, u"dictionary\tnew\tlearning\tlearnt\tright\twrong\tunanswered\thints\tshown\n"
                             "tom_0.wrd\t1\t1\t1\t5\t1\t1\t0\t0\n"
                             "tom_2.wrd\t1\t0\t1\t4\t0\t0\t0\t0\n"
                             "tom_10.wrd\t1\t1\t0\t0\t0\t0\t1\t2\n"
                             "total\t3\t2\t1\t5\t1\t1\t1\t2\n"_s);
    }

    // Without --record, the record of the user's data folder, as the program keeps it.
    void alignedColumnsFromTheDefaultRecord()
    {
        const QString dataHome = m_dir->filePath(u"home-data"_s);
        QDir().mkpath(dataHome + u"/lexomat"_s);
        QVERIFY(QFile::copy(m_record, dataHome + u"/lexomat/progress.sqlite"_s));
        const Result result = runWrd({u"progress"_s, m_folder}, dataHome);
        QCOMPARE(result.code, 0);
        const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], u"dictionary  new  learning  learnt  right  wrong  unanswered  hints  shown"_s);
        QCOMPARE(lines[1], u"tom_0.wrd     1         1       1      5      1           1      0      0"_s);
        QCOMPARE(lines[4], u"total         3         2       1      5      1           1      1      2"_s);
    }

    void withoutARecordEveryWordIsNew()
    {
        const QString missing = m_dir->filePath(u"none.sqlite"_s);
        const Result result = runWrd({u"progress"_s, u"--tsv"_s, m_folder, u"--record"_s, missing}, m_dir->path());
        QCOMPARE(result.code, 0);
        QVERIFY2(result.err.contains(u"no record at "_s + missing), qPrintable(result.err));
        QVERIFY(result.out.endsWith(u"total\t6\t0\t0\t0\t0\t0\t0\t0\n"_s));
        QVERIFY(!QFileInfo::exists(missing));
    }

    void faults()
    {
        // A damaged record is reported and left as it is.
        const QString damaged = m_dir->filePath(u"damaged.sqlite"_s);
        {
            QFile file(damaged);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("not a record").repeated(50));
        }
        const auto before = snapshot(m_dir->path());
        Result result = runWrd({u"progress"_s, m_folder, u"--record"_s, damaged}, m_dir->path());
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(u"damaged"_s), qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QCOMPARE(snapshot(m_dir->path()), before);

        result = runWrd({u"progress"_s, m_dir->filePath(u"nowhere"_s), u"--record"_s, m_record}, m_dir->path());
        QCOMPARE(result.code, 1);
        QVERIFY(result.err.contains(u"no such folder"_s));

        for (const QStringList &arguments : {QStringList{u"progress"_s}, QStringList{u"progress"_s, u"--tsv"_s},
                                             QStringList{u"progress"_s, m_folder, u"--record"_s},
                                             QStringList{u"progress"_s, m_folder, m_folder},
                                             QStringList{u"progress"_s, m_folder, u"--csv"_s}}) {
            result = runWrd(arguments, m_dir->path());
            QVERIFY2(result.code == 2, qPrintable(arguments.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestWrdProgress)
#include "tst_wrd_progress.moc"
