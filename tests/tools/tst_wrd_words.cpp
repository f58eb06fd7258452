// "lexomat-wrd words" on a short text whose figures are worked out by hand,
// with the installed dictionary and WordNet folding its forms.
#include "dict/word_file.h"
#include "folder_files.h"
#include "reading/epub_maker.h"
#include "platform/single_instance.h"
#include "progress/progress_store.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
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

// 35 running words: 14 function words, 2 names (Mr, Bilbo), "river" and
// "house" twice each in the folder, "child" twice learnt; known 22, 62.8 %.
// New, by base word: run 2 (running, ran), goose 2, mouse 2, and be, fast,
// other, see, swim, hide, stand once each. 95 % of 35 is 33.25: 22 + 2 + 2 +
// 2 + 6 × 1 = 34 takes nine words; 98 % (34.3) takes all ten.
const QByteArray Story = "The children were running to the river. A child ran faster than the others.\n"
                         "They saw geese and mice by the houses. The geese swam; the mice hid.\n\n"
                         "Mr. Bilbo's house stood near the river.\n";

const QStringList NewWords{u"be:1"_s,    u"fast:1"_s,  u"goose:2"_s, u"hide:1"_s,  u"mouse:2"_s,
                           u"other:1"_s, u"run:2"_s,   u"see:1"_s,   u"stand:1"_s, u"swim:1"_s};

} // namespace

class TestWrdWords : public QObject
{
    Q_OBJECT

private:
    Result run(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_s, m_dir->filePath(u"data"_s));
        environment.insert(u"XDG_STATE_HOME"_s, m_dir->filePath(u"state"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir->filePath(u"runtime"_s));
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

    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QString m_story;
    QString m_record;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(path(u"runtime"_s));
        QFile::setPermissions(path(u"runtime"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_folder = path(u"dict"_s);
        QDir().mkpath(m_folder);
        writeDictionary(m_folder + u"/tom_0.wrd"_s, {u"river,река,"_s, u"house,дом,"_s});
        m_story = path(u"story.txt"_s);
        QFile story(m_story);
        QVERIFY(story.open(QIODevice::WriteOnly));
        story.write(Story);
        story.close();
        m_record = path(u"record.sqlite"_s);
        ProgressStore store;
        QCOMPARE(store.Open(m_record), ProgressStore::OpenResult::Opened);
        for (int i = 0; i < 4; ++i)
            QVERIFY(store.Record({u"child"_s, {u"ребёнок"_s, QString(), QString()}, AnswerKind::Right}, u"tom_9.wrd"_s,
                                 1700000000000 + i));
    }

    void summaryWorkedOutByHand()
    {
        const Result result = run({u"words"_s, m_story, u"--folder"_s, m_folder, u"--record"_s, m_record});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, 0);
        QVERIFY2(result.out.contains(u": text, 35 running words, "_s), qPrintable(result.out));
        QVERIFY(result.out.contains(u"Known now: 62.8 % of the running words\n"_s));
        for (const QString &group : {u"function words +14 running words, 8 words"_s, u"in the folder +4 running words, 2 words"_s,
                                     u"learnt +2 running words, 1 words"_s, u"names +2 running words, 2 words"_s}) {
            QVERIFY2(result.out.contains(QRegularExpression(u"\n  "_s + group + u"\n"_s)), qPrintable(group));
        }
        QVERIFY(result.out.contains(u"New words: 10; 9 of them lift it to 95 %, 10 to 98 %\n"_s));
    }

    void newWordsAsTabSeparatedColumns()
    {
        const Result result = run({u"words"_s, m_story, u"--folder"_s, m_folder, u"--record"_s, m_record,
                                   u"--coverage"_s, u"98"_s, u"--tsv"_s});
        QCOMPARE(result.code, 0);
        QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), u"count\tword\tmeanings\texample"_s);
        QStringList words;
        int previous = INT_MAX;
        for (const QString &line : std::as_const(lines)) {
            const QStringList columns = line.split(u'\t');
            QCOMPARE(columns.size(), 4);
            const int count = columns[0].toInt();
            QVERIFY2(count <= previous, qPrintable(line)); // most frequent first
            previous = count;
            QVERIFY2(!columns[2].isEmpty(), qPrintable(line));
            words.append(columns[1] + u':' + columns[0]);
        }
        QCOMPARE(lines.constFirst().section(u'\t', 3), u"The children were running to the river."_s);
        words.sort();
        QCOMPARE(words, NewWords);
    }

    void addsTheWordsAsNewDictionaries()
    {
        const QMap<QString, QByteArray> before = snapshot(m_folder);
        const Result result = run({u"words"_s, m_story, u"--into"_s, m_folder, u"--record"_s, m_record});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, 0);
        QVERIFY2(result.out.contains(u"9 words added in 1 new dictionary:\n  9 to "_s), qPrintable(result.out));
        // The old dictionary is as it was; the words went to the lowest free number.
        QCOMPARE(snapshot(m_folder).value(u"tom_0.wrd"_s), before.value(u"tom_0.wrd"_s));
        const WordFile added(m_folder + u"/tom_1.wrd"_s);
        QCOMPARE(added.lines.size(), 9);
        QCOMPARE(added.status, WordFile::Playable);
        QStringList words;
        for (const QString &line : added.lines) {
            QVERIFY2(line.count(u',') >= 2, qPrintable(line)); // a word and a meaning at least
            words.append(line.section(u',', 0, 0));
        }
        QVERIFY(words.contains(u"goose"_s));
        QVERIFY(!words.contains(u"river"_s));
        QVERIFY(!words.contains(u"child"_s));
    }

    void refusesWhileLexomatRuns()
    {
        qputenv("XDG_RUNTIME_DIR", path(u"runtime"_s).toLocal8Bit());
        const SingleInstanceLock running(SingleInstanceLock::ProgramName);
        QCOMPARE(running.state(), SingleInstanceLock::State::Acquired);
        const QMap<QString, QByteArray> before = snapshot(m_folder);
        const Result result = run({u"words"_s, m_story, u"--into"_s, m_folder});
        QCOMPARE(result.code, 1);
        QVERIFY(result.err.contains(u"Lexomat is running"_s));
        QCOMPARE(snapshot(m_folder), before);
    }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("content"); // of input.epub
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");

        QTest::newRow("no file") << QStringList{u"words"_s} << QByteArray() << 2 << u"words needs FILE"_s;
        QTest::newRow("a coverage not offered")
            << QStringList{u"words"_s, u"@story"_s, u"--coverage"_s, u"90"_s} << QByteArray() << 2
            << u"--coverage is 95 or 98"_s;
        QTest::newRow("missing file") << QStringList{u"words"_s, u"@nothing.txt"_s} << QByteArray() << 1
                                      << u"nothing.txt: no such file"_s;
        QTest::newRow("a ZIP that is no book") << QStringList{u"words"_s, u"@input.epub"_s}
                                               << EpubMaker::zip({{u"notes.txt"_s, "Some words."}})
                                               << 1 << u"input.epub: a ZIP archive but no EPUB book"_s;
        QTest::newRow("no English words") << QStringList{u"words"_s, u"@input.epub"_s}
                                          << QByteArray("12 345 \xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82") << 1
                                          << u"input.epub: no English words"_s;
    }

    void badInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, content);
        QFETCH(int, code);
        QFETCH(QString, message);

        if (!content.isEmpty()) {
            QFile input(path(u"input.epub"_s));
            QVERIFY(input.open(QIODevice::WriteOnly));
            input.write(content);
        }
        for (QString &argument : arguments) {
            if (argument == u"@story"_s)
                argument = m_story;
            else if (argument.startsWith(u'@'))
                argument = path(argument.mid(1));
        }
        const QMap<QString, QByteArray> before = snapshot(m_folder);
        const Result result = run(arguments + QStringList{u"--into"_s, m_folder});
        QCOMPARE(result.code, code);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(snapshot(m_folder), before);
    }
};

QTEST_GUILESS_MAIN(TestWrdWords)
#include "tst_wrd_words.moc"
