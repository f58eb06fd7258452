// Adding the starter course to a folder when a dictionary cannot be written:
// nothing of it may stay behind.

#include "dict/word_file.h"
#include "tools/wrd/starter_course.h"
#include "folder_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList lines(const QString &prefix, int count)
{
    QStringList result;
    for (int i = 0; i < count; ++i)
        result.append(prefix + QString::number(i) + u",слово,"_s);
    return result;
}

// A saver that fails at its given call and writes before it.
StarterCourse::Saver failingAt(int failing, int &calls)
{
    return [failing, &calls](WordFile &file) {
        return ++calls == failing ? -1 : file.Save();
    };
}

} // namespace

class TestStarterCourse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedSaveRemovesWhatWasWritten_data();
    void failedSaveRemovesWhatWasWritten();
    void failedSaveRemovesTheFolderItMade();
};

void TestStarterCourse::failedSaveRemovesWhatWasWritten_data()
{
    QTest::addColumn<int>("failing");
    QTest::newRow("first") << 1;
    QTest::newRow("second") << 2;
    QTest::newRow("last") << 3;
}

void TestStarterCourse::failedSaveRemovesWhatWasWritten()
{
    QFETCH(int, failing);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString starter = dir.filePath(u"starter"_s);
    QVERIFY(QDir().mkpath(starter));
    for (int n = 0; n < 3; ++n)
        writeDictionary(starter + u"/tom_"_s + QString::number(n) + u".wrd"_s, lines(u"w"_s + QString::number(n) + u'_', 65));

    const QString folder = dir.filePath(u"dict"_s);
    QVERIFY(QDir().mkpath(folder));
    writeDictionary(folder + u"/tom_1.wrd"_s, lines(u"own"_s, 12));
    const QMap<QString, QByteArray> before = snapshot(folder);

    int calls = 0;
    StarterCourse course(starter, folder, failingAt(failing, calls));
    QVERIFY(!course.Run());
    QCOMPARE(calls, failing);
    QVERIFY(course.Dictionaries().isEmpty());
    QCOMPARE(course.Errors().size(), 1);
    QVERIFY2(course.Errors().first().endsWith(u": cannot write the dictionary"_s), qPrintable(course.Errors().first()));
    QCOMPARE(snapshot(folder), before);

    // The same course goes in whole once the dictionaries can be written.
    StarterCourse again(starter, folder);
    QVERIFY(again.Run());
    QCOMPARE(again.Dictionaries().size(), 3);
    QCOMPARE(WordFile(folder + u"/tom_0.wrd"_s).lines, lines(u"w0_"_s, 65));
    QCOMPARE(WordFile(folder + u"/tom_2.wrd"_s).lines, lines(u"w1_"_s, 65));
    QCOMPARE(WordFile(folder + u"/tom_3.wrd"_s).lines, lines(u"w2_"_s, 65));
    QCOMPARE(WordFile(folder + u"/tom_1.wrd"_s).lines, lines(u"own"_s, 12));
}

void TestStarterCourse::failedSaveRemovesTheFolderItMade()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString starter = dir.filePath(u"starter"_s);
    QVERIFY(QDir().mkpath(starter));
    writeDictionary(starter + u"/tom_0.wrd"_s, lines(u"a"_s, 66));
    writeDictionary(starter + u"/tom_1.wrd"_s, lines(u"b"_s, 66));

    int calls = 0;
    StarterCourse course(starter, dir.filePath(u"home/dict"_s), failingAt(2, calls));
    QVERIFY(!course.Run());
    QCOMPARE(calls, 2);
    QVERIFY(!QFileInfo::exists(dir.filePath(u"home"_s)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"starter"_s});
}

QTEST_APPLESS_MAIN(TestStarterCourse)
#include "tst_starter_course.moc"
