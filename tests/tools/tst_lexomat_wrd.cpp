// lexomat-wrd as its users run it: a separate process, its exit status, what
// it prints, and what it leaves in the folders.

#include "dict/word_file.h"
#include "folder_files.h"
#include "platform/single_instance.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
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

Result runWrd(const QStringList &arguments, const QString &workingDirectory)
{
    QProcess process;
    process.setProgram(QStringLiteral(WRD_BINARY));
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
    process.start();
    Result result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.code = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void writeBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}



// Dictionary lines "<prefix><n>,значение <n>," for n from first on.
QStringList starterLines(const QString &prefix, int first, int count)
{
    QStringList lines;
    for (int i = first; i < first + count; ++i)
        lines.append(prefix + QString::number(i) + u",значение "_s + QString::number(i) + u","_s);
    return lines;
}

// A starter folder of dictionaries tom_0.wrd, tom_1.wrd, ... with the given lines.
void writeStarter(const QString &folder, const QList<QStringList> &dictionaries)
{
    QVERIFY(QDir().mkpath(folder));
    for (qsizetype n = 0; n < dictionaries.size(); ++n)
        writeDictionary(folder + u"/tom_"_s + QString::number(n) + u".wrd"_s, dictionaries[n]);
}

QByteArray goodLines(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "word" + QByteArray::number(i) + "\t\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE\n"; // слово
    return text;
}

} // namespace

class TestLexomatWrd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void roundTripsAWordList();
    void importsSpreadsheetsAndOtherTrainers();
    void exportReadsWithoutCreating();
    void exportWarnsAboutWhatItLeavesOut();
    void checkNamesFaults();
    void checkAndMergeConflictCopies();
    void createMakesOneNewDictionary();
    void starterCopiesTheCourseIntoANewFolder();
    void starterAddsOnlyWhatTheFolderLacks();
    void starterJoinsALastHandfulToTheDictionaryBefore();
    void starterRefusesWhatItCannotDoWhole();
    void starterFindsTheInstalledCourse();
    void commandLine_data();
    void commandLine();
    void writesNothingWhileLexomatRuns();
    void importLeavesADictionaryItMayNotWriteAlone();
};

void TestLexomatWrd::badInputWritesNothing_data()
{
    QTest::addColumn<QByteArray>("text"); // the content of list.txt
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing file") << QByteArray() << u"missing.txt"_s << u"missing.txt: no such file"_s;
    QTest::newRow("not UTF-8") << "a\tb\nc\td\ne\t\xE0\xE1\n"_ba << u"list.txt"_s
                               << u"list.txt:3: the text is not valid UTF-8"_s;
    QTest::newRow("field over 35") << QByteArray("a\tb\nc\t" + QByteArray(36, 'm') + "\n") << u"list.txt"_s
                                   << QString(u"list.txt:2: meaning 1 \u00AB"_s + QString(36, u'm')
                                              + u"\u00BB has 36 characters; at most 35 fit"_s);
    QTest::newRow("four meanings") << "a\tb\nc\td\ne\tf\ng;1;2;3;4\n"_ba << u"list.txt"_s
                                   << u"list.txt:4: 4 meanings; at most 3 fit"_s;
    QTest::newRow("empty word") << "a\tb\n\t\xD0\xB4\xD0\xB0\n"_ba << u"list.txt"_s
                                << u"list.txt:2: the English word is empty"_s;
    QTest::newRow("comma") << "a,b\tc\n"_ba << u"list.txt"_s
                           << u"list.txt:1: the word \u00ABa,b\u00BB holds a comma, which would split it in two in the dictionary"_s;
    QTest::newRow("no words") << "\n \n\t\n"_ba << u"list.txt"_s << u"list.txt: holds no words"_s;
    // All or nothing: 200 good words before the bad one are not written either.
    QTest::newRow("bad line after 200 good ones")
        << QByteArray(goodLines(200) + "x\t1\t2\t3\t4\n") << u"list.txt"_s << u"list.txt:201: 4 meanings; at most 3 fit"_s;
}

void TestLexomatWrd::badInputWritesNothing()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, listName);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!text.isNull())
        writeBytes(dir.filePath(listName), text);
    QVERIFY(QDir(dir.path()).mkdir(u"dict"_s));
    writeDictionary(dir.filePath(u"dict/tom_0.wrd"_s), {u"cat,кот,"_s, u"dog,собака,"_s});
    const QMap<QString, QByteArray> before = snapshot(dir.filePath(u"dict"_s));

    const Result imported = runWrd({u"import"_s, listName, u"dict"_s}, dir.path());
    QCOMPARE(imported.code, 1);
    QVERIFY2(imported.err.startsWith(message + u'\n'), qPrintable(imported.err));
    QVERIFY(imported.err.endsWith(u"lexomat-wrd: nothing was imported\n"_s));
    QCOMPARE(imported.out, QString());
    QCOMPARE(snapshot(dir.filePath(u"dict"_s)), before);

    const Result created = runWrd({u"create"_s, listName, u"new.wrd"_s}, dir.path());
    QCOMPARE(created.code, 1);
    QCOMPARE(created.err, QString(message + u'\n'));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"new.wrd"_s)));
}

void TestLexomatWrd::roundTripsAWordList()
{
    // 500 words written the ways people write lists: tabs or semicolons,
    // blanks around fields, Windows line ends, blank lines, one to three
    // meanings; each word is told apart by its number.
    const QStringList stems{u"дом"_s, u"ёлка"_s, u"чёрный"_s, u"идти пешком"_s, u"большой-пребольшой"_s};
    QByteArray text;
    QStringList expected;
    for (int i = 0; i < 500; ++i) {
        const QString word = (i % 7 == 0 ? u"Word "_s : u"word-"_s) + QString::number(i);
        QStringList meanings;
        for (int m = 0; m <= i % 3; ++m)
            meanings.append(stems[(i + m) % stems.size()] + u' ' + QString::number(m));
        expected.append(QStringList(QStringList{word} + meanings).join(u'\t'));
        const QString separator = i % 4 == 0 ? u" ; "_s : u"\t"_s;
        text += QString(word + separator + meanings.join(separator)).toUtf8();
        text += i % 5 == 0 ? "\r\n" : "\n";
        if (i % 50 == 0)
            text += "\n";
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeBytes(dir.filePath(u"list.txt"_s), text);
    const Result imported = runWrd({u"import"_s, u"list.txt"_s, u"dict"_s}, dir.path());
    QCOMPARE(imported.code, 0);
    QVERIFY2(imported.out.startsWith(u"500 words added:\n"_s), qPrintable(imported.out));

    QStringList exported;
    for (int n = 0; n < 8; ++n) {
        const Result result = runWrd({u"export"_s, u"dict/tom_"_s + QString::number(n) + u".wrd"_s}, dir.path());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.err, QString());
        exported += result.out.split(u'\n', Qt::SkipEmptyParts);
    }
    QCOMPARE(exported, expected);
    QCOMPARE(QDir(dir.filePath(u"dict"_s)).entryList(QDir::Files).size(), 8);

    const Result checked = runWrd({u"check"_s, u"dict"_s}, dir.path());
    QCOMPARE(checked.code, 0);
    QVERIFY(checked.out.contains(u"dict/tom_6.wrd: 70 lines, status -2 (full)\n"_s));
    QVERIFY(checked.out.contains(u"dict/tom_7.wrd: 10 lines, status 1 (playable)\n"_s));
    QVERIFY(checked.out.endsWith(u"8 dictionaries, 500 lines, 0 faults\n"_s));

    // The exported text imports into the very same files.
    writeBytes(dir.filePath(u"again.txt"_s), QString(expected.join(u'\n') + u'\n').toUtf8());
    QCOMPARE(runWrd({u"import"_s, u"again.txt"_s, u"copy"_s}, dir.path()).code, 0);
    for (int n = 0; n < 8; ++n) {
        const QString name = u"/tom_"_s + QString::number(n) + u".wrd"_s;
        QCOMPARE(readBytes(dir.filePath(u"copy"_s + name)), readBytes(dir.filePath(u"dict"_s + name)));
    }
}

void TestLexomatWrd::importsSpreadsheetsAndOtherTrainers()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Windows-1251, ';', quoted fields and a row of headings, as an older
    // spreadsheet program saves it.
    writeBytes(dir.filePath(u"old.csv"_s), "English;Russian\r\n\"cat\";\"\xEA\xEE\xF2\"\r\n\xE4\xEE\xEC;house\r\n"_ba);
    writeBytes(dir.filePath(u"deck.kvtml"_s),
               QString(u"<?xml version=\"1.0\"?><kvtml version=\"2.0\"><identifiers>"
                       "<identifier id=\"0\"><locale>en</locale></identifier>"
                       "<identifier id=\"1\"><locale>ru</locale></identifier></identifiers><entries>"
                       "<entry id=\"0\"><translation id=\"0\"><text>run</text></translation>"
                       "<translation id=\"1\"><text>бежать/управлять</text></translation></entry>"
                       "</entries></kvtml>"_s).toUtf8());
    const Result csv = runWrd({u"import"_s, u"old.csv"_s, u"dict"_s}, dir.path());
    QCOMPARE(csv.code, 0);
    QCOMPARE(csv.out, u"2 words added:\n  2 to dict/tom_0.wrd (new)\n"_s);
    const Result kvtml = runWrd({u"import"_s, u"deck.kvtml"_s, u"dict"_s}, dir.path());
    QCOMPARE(kvtml.code, 0);
    QCOMPARE(WordFile(dir.filePath(u"dict/tom_0.wrd"_s)).lines,
             (QStringList{u"cat,кот,"_s, u"house,дом,"_s, u"run,бежать,управлять,"_s}));

    // A fault anywhere: nothing is written.
    writeBytes(dir.filePath(u"bad.csv"_s), "a,b\nc,\"d, e\"\n"_ba);
    const QMap<QString, QByteArray> before = snapshot(dir.filePath(u"dict"_s));
    const Result bad = runWrd({u"import"_s, u"bad.csv"_s, u"dict"_s}, dir.path());
    QCOMPARE(bad.code, 1);
    QVERIFY2(bad.err.startsWith(u"bad.csv:2: meaning 1 \u00ABd, e\u00BB holds a comma"_s), qPrintable(bad.err));
    QCOMPARE(snapshot(dir.filePath(u"dict"_s)), before);
}

void TestLexomatWrd::exportReadsWithoutCreating()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Result result = runWrd({u"export"_s, u"tom_4.wrd"_s}, dir.path());
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, u"tom_4.wrd: no such dictionary file\n"_s);
    QVERIFY(!QFileInfo::exists(dir.filePath(u"tom_4.wrd"_s)));
}

void TestLexomatWrd::exportWarnsAboutWhatItLeavesOut()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeDictionary(dir.filePath(u"tom_0.wrd"_s),
                    {u"cat,кот,"_s, u"dog,собака,tail"_s, u",ничей,"_s, u"e,1,2,3,4,"_s, u"ok,да,"_s});
    const Result result = runWrd({u"export"_s, u"tom_0.wrd"_s}, dir.path());
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, u"cat\tкот\ndog\tсобака\ne\t1\t2\t3\nok\tда\n"_s);
    QCOMPARE(result.err, u"tom_0.wrd:2: warning: text after the last comma is no field; left out\n"
                         "tom_0.wrd:3: warning: no English word; left out\n"
                         "tom_0.wrd:4: warning: more than three meanings; Lexomat reads only the first three\n"_s);
}

// Copies that file sync made of a dictionary: listed by check, not counted
// as dictionaries, and brought home by merge; one that is no dictionary is
// left where it is.
void TestLexomatWrd::checkAndMergeConflictCopies()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder));
    writeDictionary(folder + u"/tom_3.wrd"_s, {u"cat,кошка,"_s, u"dog,собака,"_s});
    writeDictionary(folder + u"/tom_3.sync-conflict-20261209-101112-ABCDEFG.wrd"_s, {u"cat,кошка,"_s, u"sun,солнце,"_s});
    writeDictionary(folder + u"/tom_3 (conflicted copy 2026-12-09 101112).wrd"_s, {u"tree,дерево,"_s});
    QVERIFY(QDir().mkpath(folder + u"/tom_3 (Anna's conflicted copy 2026-12-09).wrd"_s));

    const Result checked = runWrd({u"check"_s, u"dict"_s}, dir.path());
    QCOMPARE(checked.code, 1);
    QCOMPARE(checked.out.split(u'\n', Qt::SkipEmptyParts),
             (QStringList{u"dict/tom_3.wrd: 2 lines, status 0 (too few words to play)"_s,
                          u"dict/tom_3 (Anna's conflicted copy 2026-12-09).wrd: named as a copy of tom_3.wrd by Dropbox but no dictionary; left alone"_s,
                          u"dict/tom_3 (conflicted copy 2026-12-09 101112).wrd: a copy of tom_3.wrd that Nextcloud made when it was changed on two computers; lexomat-wrd merge adds its words to tom_3.wrd"_s,
                          u"dict/tom_3.sync-conflict-20261209-101112-ABCDEFG.wrd: a copy of tom_3.wrd that Syncthing made when it was changed on two computers; lexomat-wrd merge adds its words to tom_3.wrd"_s,
                          u"1 dictionary, 2 lines, 3 faults"_s}));

    const Result merged = runWrd({u"merge"_s, u"dict"_s}, dir.path());
    QCOMPARE(merged.err, QString());
    QCOMPARE(merged.code, 0);
    QVERIFY2(merged.out.endsWith(u"2 copies merged\n"_s), qPrintable(merged.out));
    QCOMPARE(WordFile(folder + u"/tom_3.wrd"_s).lines,
             (QStringList{u"cat,кошка,"_s, u"dog,собака,"_s, u"tree,дерево,"_s, u"sun,солнце,"_s}));
    QCOMPARE(QDir(folder + u"/conflicts"_s).entryList(QDir::Files).size(), 2);
    QVERIFY(QFileInfo(folder + u"/tom_3 (Anna's conflicted copy 2026-12-09).wrd"_s).isDir());

    const Result again = runWrd({u"check"_s, u"dict"_s}, dir.path());
    QVERIFY2(again.out.endsWith(u"1 dictionary, 4 lines, 1 fault\n"_s), qPrintable(again.out));
    QCOMPARE(runWrd({u"merge"_s, u"dict"_s}, dir.path()).out,
             u"dict/tom_3 (Anna's conflicted copy 2026-12-09).wrd: no dictionary; left alone\n0 copies merged\n"_s);
}

void TestLexomatWrd::checkNamesFaults()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder + u"/tom_9.wrd"_s)); // a folder with a dictionary's name
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten.append(u"w"_s + QString::number(i) + u",м,"_s);
    writeDictionary(folder + u"/tom_0.wrd"_s, ten);
    writeDictionary(folder + u"/lesson3.wrd"_s, ten.mid(0, 6));
    writeDictionary(folder + u"/tom_03.wrd"_s, ten.mid(0, 1));
    // Real Cyrillic in a UTF-16 file, as another editor would write it: the
    // first line is not in the stored form.
    QByteArray foreign("\xFF\xFE");
    for (const QChar ch : u"cat,кот,\r\ndog,dog,\r\n"_s)
        foreign.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
    writeBytes(folder + u"/tom_2.wrd"_s, foreign);
    const QMap<QString, QByteArray> before = snapshot(folder);

    const Result result = runWrd({u"check"_s, u"dict"_s}, dir.path());
    QCOMPARE(result.code, 1);
    const QStringList expected{
        u"dict/tom_0.wrd: 10 lines, status 1 (playable)"_s,
        u"dict/tom_2.wrd: 2 lines, status 0 (too few words to play)"_s,
        u"dict/tom_2.wrd:1: not in the stored form: \u00ABcat,кот,\u00BB"_s,
        u"dict/lesson3.wrd: 6 lines, status 1 (playable); listed as tom_3.wrd"_s,
        u"dict/tom_03.wrd: 1 line, status 0 (too few words to play); listed as tom_3.wrd"_s,
        u"dict/tom_03.wrd: has the same number as lesson3.wrd; Lexomat opens only tom_3.wrd"_s,
        u"dict/tom_9.wrd: not a file; Lexomat lists it as tom_9.wrd all the same"_s,
        u"5 dictionaries, 19 lines, 3 faults"_s,
    };
    QCOMPARE(result.out.split(u'\n', Qt::SkipEmptyParts), expected);
    QCOMPARE(snapshot(folder), before);

    QCOMPARE(runWrd({u"check"_s, u"nowhere"_s}, dir.path()).err, u"nowhere: no such folder\n"_s);
}

void TestLexomatWrd::createMakesOneNewDictionary()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeBytes(dir.filePath(u"70.txt"_s), goodLines(70));
    writeBytes(dir.filePath(u"71.txt"_s), goodLines(71));

    Result result = runWrd({u"create"_s, u"71.txt"_s, u"a.wrd"_s}, dir.path());
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, u"71.txt:71: 71 words; one dictionary holds at most 70\n"_s);
    QVERIFY(!QFileInfo::exists(dir.filePath(u"a.wrd"_s)));

    result = runWrd({u"create"_s, u"70.txt"_s, u"a.wrd"_s}, dir.path());
    QCOMPARE(result.code, 0);
    const WordFile file(dir.filePath(u"a.wrd"_s));
    QCOMPARE(file.status, WordFile::Full);
    QCOMPARE(file.lines.first(), u"word0,слово,"_s);
    QCOMPARE(file.lines.last(), u"word69,слово,"_s);

    const QByteArray written = readBytes(dir.filePath(u"a.wrd"_s));
    writeBytes(dir.filePath(u"short.txt"_s), goodLines(3));
    result = runWrd({u"create"_s, u"short.txt"_s, u"a.wrd"_s}, dir.path());
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, u"a.wrd: already exists; not replaced\n"_s);
    QCOMPARE(readBytes(dir.filePath(u"a.wrd"_s)), written);
}

void TestLexomatWrd::starterCopiesTheCourseIntoANewFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Result result = runWrd({u"starter"_s, u"--from"_s, QStringLiteral(STARTER_DIR), u"home/dict"_s}, dir.path());
    QCOMPARE(result.code, 0);
    QCOMPARE(result.err, QString());

    // Into a folder without dictionaries the course goes as it is built.
    const QDir starter(QStringLiteral(STARTER_DIR));
    const QStringList names = starter.entryList({u"tom_*.wrd"_s}, QDir::Files);
    QVERIFY(names.size() >= 40);
    QCOMPARE(QDir(dir.filePath(u"home/dict"_s)).entryList(QDir::Files).size(), names.size());
    int words = 0;
    for (const QString &name : names) {
        QCOMPARE(readBytes(dir.filePath(u"home/dict/"_s + name)), readBytes(starter.filePath(name)));
        words += static_cast<int>(WordFile(starter.filePath(name)).lines.size());
    }
    QVERIFY2(result.out.startsWith(QString::number(words) + u" words of the starter course added in "_s
                                   + QString::number(names.size()) + u" new dictionaries:\n"_s),
             qPrintable(result.out));
    QVERIFY(!result.out.contains(u"left out"_s));
}

void TestLexomatWrd::starterAddsOnlyWhatTheFolderLacks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeStarter(dir.filePath(u"starter"_s),
                 {starterLines(u"a"_s, 0, 20), starterLines(u"b"_s, 0, 66), starterLines(u"c"_s, 0, 30),
                  starterLines(u"d"_s, 0, 40)});

    // The learner's folder: the first starter dictionary in other case among
    // words of the learner's own, most of the second, and a dictionary
    // named with the number 1 in another way.
    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder));
    QStringList own = starterLines(u"A"_s, 0, 20);
    own += starterLines(u"mine"_s, 0, 5);
    writeDictionary(folder + u"/tom_0.wrd"_s, own);
    writeDictionary(folder + u"/lesson1.wrd"_s, starterLines(u"b"_s, 0, 60));
    writeDictionary(folder + u"/tom_3.wrd"_s, starterLines(u"zz"_s, 0, 8));
    const QMap<QString, QByteArray> before = snapshot(folder);

    const Result result = runWrd({u"starter"_s, u"dict"_s, u"--from"_s, u"starter"_s}, dir.path());
    QCOMPARE(result.code, 0);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, u"76 words of the starter course added in 2 new dictionaries:\n"
                         "  36 to dict/tom_2.wrd\n"
                         "  40 to dict/tom_4.wrd\n"
                         "80 of its 156 words were in the folder already and were left out\n"_s);

    // Nothing that was there changed; the six new words of the second
    // starter dictionary share a dictionary with the third.
    QMap<QString, QByteArray> after = snapshot(folder);
    QCOMPARE(after.take(u"tom_2.wrd"_s).isEmpty(), false);
    QCOMPARE(after.take(u"tom_4.wrd"_s).isEmpty(), false);
    QCOMPARE(after, before);
    QCOMPARE(WordFile(folder + u"/tom_2.wrd"_s).lines, starterLines(u"b"_s, 60, 6) + starterLines(u"c"_s, 0, 30));
    QCOMPARE(WordFile(folder + u"/tom_4.wrd"_s).lines, starterLines(u"d"_s, 0, 40));
    QCOMPARE(WordFile(folder + u"/tom_4.wrd"_s).status, WordFile::Playable);

    // A second run finds every word there.
    const QMap<QString, QByteArray> filled = snapshot(folder);
    const Result again = runWrd({u"starter"_s, u"--from"_s, u"starter"_s, u"dict"_s}, dir.path());
    QCOMPARE(again.code, 0);
    QCOMPARE(again.out, u"dict holds every word of the starter course already; nothing was added\n"_s);
    QCOMPARE(snapshot(folder), filled);
}

void TestLexomatWrd::starterJoinsALastHandfulToTheDictionaryBefore()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeStarter(dir.filePath(u"starter"_s), {starterLines(u"a"_s, 0, 64), starterLines(u"b"_s, 0, 3)});
    const Result result = runWrd({u"starter"_s, u"--from"_s, u"starter"_s, u"dict"_s}, dir.path());
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, u"67 words of the starter course added in 1 new dictionary:\n  67 to dict/tom_0.wrd\n"_s);
    const WordFile file(dir.filePath(u"dict/tom_0.wrd"_s));
    QCOMPARE(file.status, WordFile::Playable);
    QCOMPARE(file.lines, starterLines(u"a"_s, 0, 64) + starterLines(u"b"_s, 0, 3));
}

void TestLexomatWrd::starterRefusesWhatItCannotDoWhole()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeStarter(dir.filePath(u"starter"_s), {starterLines(u"a"_s, 0, 66), starterLines(u"b"_s, 0, 66)});
    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder));

    // 99 dictionaries leave room in Lexomat's list for one more, not two.
    for (int n = 0; n < 99; ++n)
        writeDictionary(folder + u"/tom_"_s + QString::number(n) + u".wrd"_s, starterLines(u"own"_s, n, 1));
    QMap<QString, QByteArray> before = snapshot(folder);
    Result result = runWrd({u"starter"_s, u"--from"_s, u"starter"_s, u"dict"_s}, dir.path());
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, u"lexomat-wrd: dict: would hold 101 dictionaries; Lexomat lists only the first 100\n"
                         "lexomat-wrd: nothing was added\n"_s);
    QCOMPARE(result.out, QString());
    QCOMPARE(snapshot(folder), before);

    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(QDir().mkpath(folder));
    writeDictionary(folder + u"/tom_0.wrd"_s, starterLines(u"own"_s, 0, 10));
    writeDictionary(folder + u"/tom_1.wrd"_s, starterLines(u"own"_s, 10, 10));
    before = snapshot(folder);
    Unprivileged::handOver(dir.path());

    // The learner's account: a dictionary it may not read hides words the
    // course could repeat, and a folder it may not write takes nothing.
    const QString failure = Unprivileged::run([&]() -> QString {
        QFile unreadable(folder + u"/tom_1.wrd"_s);
        UNPRIV_CHECK(unreadable.setPermissions(QFileDevice::WriteOwner));
        Result refused = runWrd({u"starter"_s, u"--from"_s, u"starter"_s, u"dict"_s}, dir.path());
        UNPRIV_CHECK(refused.code == 1);
        UNPRIV_CHECK(refused.err == u"lexomat-wrd: dict/tom_1.wrd: cannot be read\nlexomat-wrd: nothing was added\n"_s);
        UNPRIV_CHECK(unreadable.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

        UNPRIV_CHECK(QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        refused = runWrd({u"starter"_s, u"--from"_s, u"starter"_s, u"dict"_s}, dir.path());
        UNPRIV_CHECK(QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        UNPRIV_CHECK(refused.code == 1);
        UNPRIV_CHECK(refused.err.endsWith(u"lexomat-wrd: nothing was added\n"_s));
        UNPRIV_CHECK(refused.out.isEmpty());
        return QString();
    });
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(snapshot(folder), before);

    result = runWrd({u"starter"_s, u"--from"_s, u"nowhere"_s, u"dict"_s}, dir.path());
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, u"lexomat-wrd: nowhere: no such folder\nlexomat-wrd: nothing was added\n"_s);
    QCOMPARE(snapshot(folder), before);
}

void TestLexomatWrd::starterFindsTheInstalledCourse()
{
    // An installed tree: the program in bin/, the course where the package
    // puts it beside.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bin = dir.filePath(QStringLiteral(INSTALL_BINDIR));
    QVERIFY(QDir().mkpath(bin));
    const QString program = bin + u"/lexomat-wrd"_s;
    QVERIFY(QFile::copy(QStringLiteral(WRD_BINARY), program));

    QProcess missing;
    missing.start(program, {u"starter"_s, dir.filePath(u"dict"_s)});
    QVERIFY(missing.waitForFinished(30000));
    QCOMPARE(missing.exitCode(), 1);
    QVERIFY2(QString::fromUtf8(missing.readAllStandardError()).contains(u"name their folder with --from DIR"_s),
             "a missing course is reported");
    QVERIFY(!QFileInfo::exists(dir.filePath(u"dict"_s)));

    writeStarter(dir.filePath(QStringLiteral(INSTALL_DATADIR) + u"/lexomat/dict"_s), {starterLines(u"a"_s, 0, 30)});
    QProcess installed;
    installed.start(program, {u"starter"_s, dir.filePath(u"dict"_s)});
    QVERIFY(installed.waitForFinished(30000));
    QCOMPARE(installed.exitCode(), 0);
    QCOMPARE(WordFile(dir.filePath(u"dict/tom_0.wrd"_s)).lines, starterLines(u"a"_s, 0, 30));
}

void TestLexomatWrd::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("shown"); // texts that must appear on stdout + stderr

    QTest::newRow("nothing") << QStringList{} << 2 << QStringList{u"no command given"_s, u"--help"_s};
    QTest::newRow("help") << QStringList{u"--help"_s} << 0
                          << QStringList{u"export FILE.wrd"_s, u"import TEXTFILE FOLDER"_s,
                                         u"create TEXTFILE FILE.wrd"_s, u"check FOLDER"_s,
                                         u"starter [--from DIR] FOLDER"_s, u"Exit status"_s};
    QTest::newRow("export without file") << QStringList{u"export"_s} << 2 << QStringList{u"export needs FILE.wrd"_s};
    QTest::newRow("import with one argument") << QStringList{u"import"_s, u"a.txt"_s} << 2
                                              << QStringList{u"import needs TEXTFILE FOLDER"_s};
    QTest::newRow("check with two folders") << QStringList{u"check"_s, u"a"_s, u"b"_s} << 2
                                            << QStringList{u"check needs FOLDER"_s};
    QTest::newRow("starter without folder") << QStringList{u"starter"_s, u"--from"_s, u"a"_s} << 2
                                            << QStringList{u"starter needs [--from DIR] FOLDER"_s};
    QTest::newRow("starter with two folders") << QStringList{u"starter"_s, u"a"_s, u"b"_s} << 2
                                              << QStringList{u"starter needs [--from DIR] FOLDER"_s};
    QTest::newRow("starter --from without folder") << QStringList{u"starter"_s, u"dict"_s, u"--from"_s} << 2
                                                   << QStringList{u"starter needs [--from DIR] FOLDER"_s};
    QTest::newRow("unknown command") << QStringList{u"combine"_s} << 2 << QStringList{u"unknown command 'combine'"_s};
}

void TestLexomatWrd::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QStringList, shown);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Result result = runWrd(arguments, dir.path());
    QCOMPARE(result.code, code);
    for (const QString &text : shown)
        QVERIFY2(QString(result.out + result.err).contains(text), qPrintable(text));
    QVERIFY(QDir(dir.path()).isEmpty());
}

// Lexomat writes its current dictionary back when it closes: an import
// meanwhile would be lost.
void TestLexomatWrd::writesNothingWhileLexomatRuns()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder));
    writeDictionary(folder + u"/tom_0.wrd"_s, {u"cat,кошка,"_s});
    writeBytes(dir.filePath(u"words.txt"_s), goodLines(3));
    writeStarter(dir.filePath(u"starter"_s), {starterLines(u"a"_s, 0, 10)});
    const QMap<QString, QByteArray> before = snapshot(folder);

    {
        // Where a running Lexomat holds its lock, for this environment.
        const SingleInstanceLock running(SingleInstanceLock::ProgramName);
        QCOMPARE(running.state(), SingleInstanceLock::State::Acquired);
        for (const QStringList &arguments : {QStringList{u"import"_s, u"words.txt"_s, u"dict"_s},
                                             QStringList{u"create"_s, u"words.txt"_s, u"dict/tom_5.wrd"_s},
                                             QStringList{u"starter"_s, u"--from"_s, u"starter"_s, u"dict"_s}}) {
            const Result result = runWrd(arguments, dir.path());
            QCOMPARE(result.code, 1);
            QVERIFY2(result.err.contains(u"Lexomat is running"_s), qPrintable(result.err));
            QCOMPARE(snapshot(folder), before);
        }
        // Reading goes on.
        QCOMPARE(runWrd({u"export"_s, u"dict/tom_0.wrd"_s}, dir.path()).code, 0);
        QCOMPARE(runWrd({u"check"_s, u"dict"_s}, dir.path()).code, 0);
    }
    QCOMPARE(runWrd({u"import"_s, u"words.txt"_s, u"dict"_s}, dir.path()).code, 0);
    QCOMPARE(WordFile(folder + u"/tom_0.wrd"_s).lines.size(), 4);
}

// Run by the learner, not by root: a read-only dictionary is not filled
// up, and one that cannot be read is passed by. The binary is copied to
// where the unprivileged account may run it.
void TestLexomatWrd::importLeavesADictionaryItMayNotWriteAlone()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QFile::copy(QStringLiteral(WRD_BINARY), dir.filePath(u"lexomat-wrd"_s)));
    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder));
    writeDictionary(folder + u"/tom_0.wrd"_s, {u"cat,кошка,"_s});
    writeDictionary(folder + u"/tom_1.wrd"_s, {u"dog,собака,"_s});
    writeBytes(dir.filePath(u"words.txt"_s), goodLines(3));
    QVERIFY(QDir().mkpath(dir.filePath(u"runtime"_s)));
    Unprivileged::handOver(dir.path());
    QVERIFY(QFile::setPermissions(folder + u"/tom_0.wrd"_s, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QFile::setPermissions(folder + u"/tom_1.wrd"_s, QFileDevice::Permissions()));
    const QMap<QString, QByteArray> before = snapshot(folder);

    const QString answer = Unprivileged::run([&dir] {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, dir.filePath(u"runtime"_s));
        env.insert(u"HOME"_s, dir.path());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(dir.filePath(u"lexomat-wrd"_s), {u"import"_s, u"words.txt"_s, u"dict"_s});
        UNPRIV_CHECK(process.waitForFinished(30000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        UNPRIV_CHECK(process.exitCode() == 1);
        UNPRIV_CHECK(err.contains(u"nothing was imported"_s));
        // The dictionary it could not write was never changed.
        UNPRIV_CHECK(!err.contains(u"could not be put back"_s));
        return QString();
    });
    QVERIFY2(answer.isEmpty(), qPrintable(answer));
    QCOMPARE(snapshot(folder), before); // read by root
    const QFileDevice::Permissions kept = QFile::permissions(folder + u"/tom_0.wrd"_s);
    QCOMPARE(kept & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther), QFileDevice::Permissions());
}

QTEST_GUILESS_MAIN(TestLexomatWrd)
#include "tst_lexomat_wrd.moc"
