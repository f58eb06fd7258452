#include "dict/word_file.h"
#include "import/folder_import.h"
#include "tools/folder_files.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList numberedLines(const QString &prefix, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(prefix + QString::number(i) + u",значение "_s + QString::number(i) + u","_s);
    return lines;
}



using LineCounts = QMap<int, int>; // dictionary number -> lines

} // namespace

class TestFolderImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillsLikeTheWordEditor_data();
    void fillsLikeTheWordEditor();
    void failedSavePutsEverythingBack_data();
    void failedSavePutsEverythingBack();
    void failedImportRemovesTheFolderItMade();
    void refusesAFileForAFolder();
    void planFollowsTheLibrarysNames_data();
    void planFollowsTheLibrarysNames();
};

void TestFolderImport::fillsLikeTheWordEditor_data()
{
    QTest::addColumn<LineCounts>("before");
    QTest::addColumn<int>("words");
    QTest::addColumn<LineCounts>("after");
    QTest::addColumn<QStringList>("portions"); // "<number>+<added>[ new]"

    QTest::newRow("empty folder") << LineCounts{} << 150 << LineCounts{{0, 70}, {1, 70}, {2, 10}}
                                  << QStringList{u"0+70 new"_s, u"1+70 new"_s, u"2+10 new"_s};
    QTest::newRow("first with room, then the lowest free number")
        << LineCounts{{0, 70}, {1, 65}, {3, 70}} << 20 << LineCounts{{0, 70}, {1, 70}, {2, 15}, {3, 70}}
        << QStringList{u"1+5"_s, u"2+15 new"_s};
    QTest::newRow("every dictionary with room in turn")
        << LineCounts{{0, 10}, {1, 20}} << 100 << LineCounts{{0, 70}, {1, 60}}
        << QStringList{u"0+60"_s, u"1+40"_s};
    QTest::newRow("continues after full dictionaries")
        << LineCounts{{0, 70}, {1, 70}} << 5 << LineCounts{{0, 70}, {1, 70}, {2, 5}}
        << QStringList{u"2+5 new"_s};
    QTest::newRow("new dictionary takes the lowest free number")
        << LineCounts{{2, 69}} << 3 << LineCounts{{0, 2}, {2, 70}} << QStringList{u"2+1"_s, u"0+2 new"_s};
    QTest::newRow("too few words to play still has room")
        << LineCounts{{0, 3}} << 2 << LineCounts{{0, 5}} << QStringList{u"0+2"_s};
}

void TestFolderImport::fillsLikeTheWordEditor()
{
    QFETCH(LineCounts, before);
    QFETCH(int, words);
    QFETCH(LineCounts, after);
    QFETCH(QStringList, portions);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder));
    QMap<int, QStringList> oldLines;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        oldLines[it.key()] = numberedLines(u"old"_s + QString::number(it.key()) + u'_', it.value());
        writeDictionary(folder + u"/tom_"_s + QString::number(it.key()) + u".wrd"_s, oldLines[it.key()]);
    }

    const QStringList lines = numberedLines(u"new"_s, words);
    FolderImport import(folder);
    // The plan, made first, touches nothing and is what the import does.
    const QMap<QString, QByteArray> untouched = snapshot(folder);
    const QList<FolderImport::Portion> plan = import.Plan(lines.size());
    QCOMPARE(snapshot(folder), untouched);
    QVERIFY2(import.Run(lines), qPrintable(import.Errors().join(u'\n')));
    QCOMPARE(import.Portions(), plan);

    QStringList seen;
    for (const FolderImport::Portion &portion : import.Portions()) {
        const QString name = QFileInfo(portion.path).fileName();
        seen.append(name.mid(4, name.size() - 8) + u'+' + QString::number(portion.added)
                    + (portion.created ? u" new"_s : QString()));
    }
    QCOMPARE(seen, portions);

    // Old lines stay first and in order; the new ones follow in list order.
    QStringList added;
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), after.size());
    for (const FolderImport::Portion &portion : import.Portions()) {
        const int number = QFileInfo(portion.path).fileName().mid(4).chopped(4).toInt();
        const WordFile file(portion.path);
        QCOMPARE(file.lines.mid(0, oldLines.value(number).size()), oldLines.value(number));
        added += file.lines.mid(oldLines.value(number).size());
    }
    QCOMPARE(added, lines);
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const WordFile file(folder + u"/tom_"_s + QString::number(it.key()) + u".wrd"_s);
        QCOMPARE(file.lines.size(), it.value());
    }
}

void TestFolderImport::failedSavePutsEverythingBack_data()
{
    QTest::addColumn<int>("failingSave");
    QTest::addColumn<bool>("garbleFirst"); // the failing save leaves half a file behind
    QTest::addColumn<bool>("oddName");     // the folder holds a name Lexomat lists under another

    for (int failing = 1; failing <= 4; ++failing) {
        QTest::addRow("save %d fails", failing) << failing << false << false;
        QTest::addRow("save %d fails halfway", failing) << failing << true << false;
    }
    QTest::newRow("listed name created on the way") << 1 << false << true;
}

void TestFolderImport::failedSavePutsEverythingBack()
{
    QFETCH(int, failingSave);
    QFETCH(bool, garbleFirst);
    QFETCH(bool, oddName);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + u'/';
    if (oddName) {
        writeDictionary(folder + u"lesson.wrd"_s, numberedLines(u"l"_s, 70));
    } else {
        writeDictionary(folder + u"tom_0.wrd"_s, numberedLines(u"a"_s, 60));
        writeDictionary(folder + u"tom_1.wrd"_s, numberedLines(u"b"_s, 65));
        QFile notes(folder + u"notes.txt"_s);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a dictionary");
    }
    const QMap<QString, QByteArray> before = snapshot(folder);

    // 100 words: 10 into tom_0, 5 into tom_1, 70 into tom_2, 15 into tom_3.
    int saves = 0;
    FolderImport import(folder, [&](WordFile &file) {
        if (++saves != failingSave)
            return file.Save();
        if (garbleFirst) {
            QFile half(file.path);
            if (half.open(QIODevice::WriteOnly))
                half.write("\xFF\xFE\x61");
        }
        return -1;
    });
    QVERIFY(!import.Run(numberedLines(u"n"_s, 100)));
    QCOMPARE(saves, failingSave);
    QCOMPARE(import.Errors().size(), 1);
    QVERIFY2(import.Errors().first().endsWith(u": cannot write the dictionary"_s), qPrintable(import.Errors().first()));
    QVERIFY(import.Portions().isEmpty());
    QCOMPARE(snapshot(folder), before);
}

void TestFolderImport::failedImportRemovesTheFolderItMade()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"new/dict"_s);
    int saves = 0;
    FolderImport import(folder, [&](WordFile &file) { return ++saves == 2 ? -1 : file.Save(); });
    QVERIFY(!import.Run(numberedLines(u"n"_s, 80)));
    QVERIFY(!QFileInfo::exists(folder));
}

void TestFolderImport::refusesAFileForAFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"plain"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    FolderImport import(path);
    QVERIFY(!import.Run({u"a,b,"_s}));
    QCOMPARE(import.Errors(), QStringList{path + u": not a folder"_s});
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"plain"_s});
}

void TestFolderImport::planFollowsTheLibrarysNames_data()
{
    QTest::addColumn<QStringList>("files"); // name=lines
    QTest::addColumn<int>("words");

    // Listed as tom_0.wrd, which does not exist: the import creates it.
    QTest::newRow("name without digits") << QStringList{u"lesson.wrd=70"_s} << 75;
    QTest::newRow("copy beside a dictionary") << QStringList{u"tom_1.wrd=60"_s, u"tom_1.wrd.bak=10"_s} << 90;
    QTest::newRow("upper case name") << QStringList{u"Tom_2.WRD=5"_s, u"tom_0.wrd=69"_s} << 3;
    QTest::newRow("missing folder") << QStringList{} << 71;
}

void TestFolderImport::planFollowsTheLibrarysNames()
{
    QFETCH(QStringList, files);
    QFETCH(int, words);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"dict"_s);
    if (!files.isEmpty())
        QVERIFY(QDir().mkpath(folder));
    for (const QString &file : files) {
        const QStringList parts = file.split(u'=');
        writeDictionary(folder + u'/' + parts[0], numberedLines(parts[0], parts[1].toInt()));
    }
    FolderImport import(folder);
    const QList<FolderImport::Portion> plan = import.Plan(words);
    QVERIFY(import.Run(numberedLines(u"n"_s, words)));
    QCOMPARE(import.Portions(), plan);
    int planned = 0;
    for (const FolderImport::Portion &portion : plan)
        planned += portion.added;
    QCOMPARE(planned, words);
}

QTEST_APPLESS_MAIN(TestFolderImport)
#include "tst_folder_import.moc"
