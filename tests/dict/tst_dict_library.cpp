#include "dict/dict_library.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A dictionary of n lines in the stored form, written without the code under
// test.
void writeDictionary(const QString &path, int lineCount)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QByteArray bytes("\xFF\xFE", 2);
    for (int i = 0; i < lineCount; ++i) {
        for (const QChar ch : u"word%1,\r\n"_s.arg(i))
            bytes.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
    }
    file.write(bytes);
}

QStringList listed(const DictLibrary &library)
{
    QStringList names;
    for (int i = 0; i < library.fileCount; ++i)
        names << library.names[static_cast<std::size_t>(i)];
    return names;
}

} // namespace

class TestDictLibrary : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_folder;  // an existing dictionary folder, ending with '/'
    QString m_default; // the fallback folder, missing until something creates it

    QString at(const QString &name) const { return m_folder + name; }

private Q_SLOTS:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_folder = m_tmp->filePath(u"dicts"_s) + u'/';
        m_default = m_tmp->filePath(u"default/dict"_s) + u'/';
        QVERIFY(QDir().mkpath(m_folder));
    }

    void numberInName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("number");
        QTest::newRow("canonical") << u"tom_12.wrd"_s << qint64(12);
        QTest::newRow("digits apart") << u"tom_1 (2).wrd"_s << qint64(12);
        QTest::newRow("leading zeros") << u"tom_007.wrd"_s << qint64(7);
        QTest::newRow("no digit") << u"lesson.wrd"_s << qint64(0);
        QTest::newRow("largest") << u"tom_2147483647.wrd"_s << qint64(2147483647);
        QTest::newRow("one beyond") << u"tom_2147483648.wrd"_s << qint64(-1);
        QTest::newRow("30 digits") << u"tom_123456789012345678901234567890.wrd"_s << qint64(-1);
        QTest::newRow("30 digits, mostly zeros") << u"tom_000000000000000000000000000009.wrd"_s << qint64(9);
        QTest::newRow("non-ascii digits") << u"tom_\u0663\uFF14.wrd"_s << qint64(0);
    }

    void numberInName()
    {
        QFETCH(QString, name);
        QFETCH(qint64, number);
        QCOMPARE(DictLibrary::NumberInName(name), number);
    }

    void scanListsByNumber_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("numeric order") << QStringList{u"tom_10.wrd"_s, u"tom_0.wrd"_s, u"tom_2.wrd"_s}
                                       << QStringList{u"tom_0.wrd"_s, u"tom_2.wrd"_s, u"tom_10.wrd"_s};
        QTest::newRow("canonical names")
            << QStringList{u"tom_007.wrd"_s, u"lesson.wrd"_s, u"Tom_4.WRD"_s, u"tom_1 (2).wrd"_s}
            << QStringList{u"tom_0.wrd"_s, u"tom_4.wrd"_s, u"tom_7.wrd"_s, u"tom_12.wrd"_s};
        QTest::newRow("extension case and place")
            << QStringList{u"tom_4.Wrd"_s, u"tom_5.txt"_s, u"tom_6.wrd.bak"_s, u"x.WRDS"_s, u"tom_8wrd"_s}
            << QStringList{u"tom_0.wrd"_s, u"tom_6.wrd"_s};
        QTest::newRow("duplicate numbers") << QStringList{u"tom_5.wrd"_s, u"tom_05.wrd"_s, u"a5.wrd"_s}
                                           << QStringList{u"tom_5.wrd"_s, u"tom_5.wrd"_s, u"tom_5.wrd"_s};
        QTest::newRow("beyond 32 bits left out")
            << QStringList{u"tom_123456789012345678901234567890.wrd"_s, u"tom_2147483648.wrd"_s,
                           u"tom_2147483647.wrd"_s, u"tom_1.wrd"_s}
            << QStringList{u"tom_1.wrd"_s, u"tom_2147483647.wrd"_s};
        QTest::newRow("hidden") << QStringList{u".tom_3.wrd"_s} << QStringList{u"tom_3.wrd"_s};
        QTest::newRow("none") << QStringList{u"readme.txt"_s} << QStringList{};
    }

    void scanListsByNumber()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, names);
        for (const QString &name : files)
            writeDictionary(at(name), 1);
        // Opened elsewhere: opening a listed name here could create a file.
        DictLibrary library(m_default, m_default);
        library.folder = m_folder;
        QCOMPARE(library.Scan(), names.size());
        QCOMPARE(library.fileCount, names.size());
        QCOMPARE(listed(library), names);
    }

    void scanCountsFolders()
    {
        QVERIFY(QDir().mkdir(at(u"tom_3.wrd"_s)));
        writeDictionary(at(u"tom_1.wrd"_s), 1);
        DictLibrary library(m_folder, m_default);
        QCOMPARE(listed(library), (QStringList{u"tom_1.wrd"_s, u"tom_3.wrd"_s}));
    }

    void scanKeepsTheLowestHundred()
    {
        QList<int> numbers;
        for (int n = 0; n < 150; ++n)
            numbers << n;
        std::shuffle(numbers.begin(), numbers.end(), *QRandomGenerator::global());
        for (int n : std::as_const(numbers))
            writeDictionary(at(u"tom_%1.wrd"_s.arg(n)), 1);
        DictLibrary library(m_folder, m_default);
        QCOMPARE(library.fileCount, 100);
        QCOMPARE(library.names.front(), u"tom_0.wrd"_s);
        QCOMPARE(library.names.back(), u"tom_99.wrd"_s);
        // A new dictionary must not take the name of one that is not listed.
        QCOMPARE(library.NewFileName(), at(u"tom_150.wrd"_s));
    }

    void unlistableFolder()
    {
        writeDictionary(at(u"tom_4.wrd"_s), 1);
        DictLibrary library(m_folder, m_default);
        QVERIFY(QDir(m_folder).removeRecursively());
        QCOMPARE(library.Scan(), -1);
        QCOMPARE(library.fileCount, -1);
        QCOMPARE(library.names[0], u"tom_4.wrd"_s);
        QCOMPARE(library.IndexOf(at(u"tom_4.wrd"_s)), 0);
        library.Next();
        QCOMPARE(library.currentPath, at(u"tom_4.wrd"_s));
        QCOMPARE(library.FindNotFull(), u"0"_s);
        QCOMPARE(library.NewFileName(), at(u"tom_0.wrd"_s));
    }

    void nextAndPreviousWrapAround()
    {
        for (const char *name : {"tom_0.wrd", "tom_2.wrd", "tom_10.wrd"})
            writeDictionary(at(QString::fromLatin1(name)), 8);
        DictLibrary library(m_folder, m_default, at(u"tom_10.wrd"_s));
        QCOMPARE(library.currentPath, at(u"tom_10.wrd"_s));
        library.Next();
        QCOMPARE(library.currentPath, at(u"tom_0.wrd"_s));
        QCOMPARE(library.file->path, library.currentPath);
        library.Previous();
        QCOMPARE(library.currentPath, at(u"tom_10.wrd"_s));
        library.Previous();
        QCOMPARE(library.currentPath, at(u"tom_2.wrd"_s));
        library.Next();
        QCOMPARE(library.currentPath, at(u"tom_10.wrd"_s));
        QCOMPARE(library.file->lines.size(), 8);
    }

    void stepSavesTheEditedDictionaryFirst()
    {
        writeDictionary(at(u"tom_5.wrd"_s), 6);
        DictLibrary library(m_folder, m_default);
        QCOMPARE(library.currentPath, at(u"tom_5.wrd"_s));
        library.file->lines << u"new,новое,"_s;
        library.file->modified = 1;
        library.Next(); // the only dictionary: saved, then opened again
        QCOMPARE(library.currentPath, at(u"tom_5.wrd"_s));
        QCOMPARE(library.file->modified, 0);
        QCOMPARE(library.file->lines.size(), 7);
        QCOMPARE(library.file->lines.last(), u"new,новое,"_s);
        library.file->lines.removeLast();
        library.file->modified = 1;
        library.Previous();
        QCOMPARE(library.file->lines.size(), 6);
    }

    void listedDictionaryDeletedMeanwhileComesBackEmpty()
    {
        writeDictionary(at(u"tom_0.wrd"_s), 8);
        writeDictionary(at(u"tom_1.wrd"_s), 8);
        DictLibrary library(m_folder, m_default);
        QVERIFY(QFile::remove(at(u"tom_1.wrd"_s)));
        library.Next();
        QCOMPARE(library.currentPath, at(u"tom_1.wrd"_s));
        QVERIFY(QFile::exists(at(u"tom_1.wrd"_s)));
        QCOMPARE(library.file->lines, QStringList());
    }

    void indexOf()
    {
        writeDictionary(at(u"tom_0.wrd"_s), 1);
        writeDictionary(at(u"tom_3.wrd"_s), 1);
        DictLibrary library(m_folder, m_default);
        QCOMPARE(library.IndexOf(at(u"tom_0.wrd"_s)), 1);
        QCOMPARE(library.IndexOf(at(u"tom_3.wrd"_s)), 2);
        QCOMPARE(library.IndexOf(at(u"tom_1.wrd"_s)), 0);
        QCOMPARE(library.IndexOf(at(u"TOM_3.wrd"_s)), 0);
        QCOMPARE(library.IndexOf(m_default + u"tom_3.wrd"_s), 0);
        QCOMPARE(library.IndexOf(QString(m_tmp->path() + u"/dicts//tom_3.wrd"_s)), 0);
    }

    void findNotFull()
    {
        writeDictionary(at(u"tom_0.wrd"_s), 70);
        QVERIFY(QDir().mkdir(at(u"tom_1.wrd"_s))); // listed, but cannot be read
        writeDictionary(at(u"tom_2.wrd"_s), 75);
        writeDictionary(at(u"tom_3.wrd"_s), 69);
        writeDictionary(at(u"tom_4.wrd"_s), 2);
        DictLibrary library(m_folder, m_default, at(u"tom_0.wrd"_s));
        QCOMPARE(library.FindNotFull(), at(u"tom_3.wrd"_s));
        QCOMPARE(library.FindNotFull(), at(u"tom_3.wrd"_s)); // the probes saved nothing
        QVERIFY(QFile::remove(at(u"tom_3.wrd"_s)));
        QCOMPARE(library.FindNotFull(), at(u"tom_4.wrd"_s));
        QVERIFY(QFile::remove(at(u"tom_4.wrd"_s)));
        QCOMPARE(library.FindNotFull(), u"0"_s);
    }

    void findNotFullCreatesAListedMissingName()
    {
        // «lesson.wrd» is listed as «tom_0.wrd», which does not exist yet.
        writeDictionary(at(u"lesson.wrd"_s), 70);
        DictLibrary library(m_folder, m_default, at(u"lesson.wrd"_s));
        QCOMPARE(library.currentPath, at(u"tom_0.wrd"_s));
        QVERIFY(QFile::exists(at(u"tom_0.wrd"_s)));
        QCOMPARE(library.file->status, 0);
    }

    void newFileName_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QStringList{} << u"tom_0.wrd"_s;
        QTest::newRow("0 1 3") << QStringList{u"tom_0.wrd"_s, u"tom_1.wrd"_s, u"tom_3.wrd"_s} << u"tom_2.wrd"_s;
        QTest::newRow("1 only") << QStringList{u"tom_1.wrd"_s} << u"tom_0.wrd"_s;
        QTest::newRow("0 by its digits") << QStringList{u"lesson.wrd"_s, u"tom_01.wrd"_s} << u"tom_2.wrd"_s;
    }

    void newFileName()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        DictLibrary library(m_folder, m_default, at(u"zzz.wrd"_s));
        for (const QString &file : files)
            writeDictionary(at(file), 1);
        QFile::remove(at(u"zzz.wrd"_s));
        QCOMPARE(library.NewFileName(), at(name));
    }

    void firstDictionaryOfAnEmptyFolder_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("empty folder") << true;
        QTest::newRow("missing folder") << false;
    }

    void firstDictionaryOfAnEmptyFolder()
    {
        QFETCH(bool, folderExists);
        const QString dir = m_tmp->filePath(u"a/b/words"_s);
        if (folderExists)
            QVERIFY(QDir().mkpath(dir));
        DictLibrary library(dir, m_default);
        const QString folder = folderExists ? QString(dir + u'/') : m_default;
        QCOMPARE(library.folder, folder);
        QCOMPARE(library.currentPath, QString(folder + u"tom_0.wrd"_s));
        QCOMPARE(library.file->path, library.currentPath);
        QCOMPARE(QFileInfo(library.currentPath).size(), 0);
        QCOMPARE(library.file->status, 0);
        QCOMPARE(library.Scan(), 1);
    }

    void namedDictionaryOfAnEmptyFolder_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("empty folder") << true;
        QTest::newRow("missing folder") << false;
    }

    void namedDictionaryOfAnEmptyFolder()
    {
        QFETCH(bool, folderExists);
        const QString dir = m_tmp->filePath(u"a/b/words/"_s);
        if (folderExists)
            QVERIFY(QDir().mkpath(dir));
        const QString folder = folderExists ? dir : m_default;
        const QString named = folder + u"tom_7.wrd"_s;
        DictLibrary library(dir, m_default, named);
        QCOMPARE(library.folder, folder);
        QCOMPARE(library.currentPath, named);
        QVERIFY(QFileInfo(named).isFile());
        QCOMPARE(library.file->status, 0);
    }

    void namedDictionary()
    {
        writeDictionary(at(u"tom_0.wrd"_s), 70);
        writeDictionary(at(u"tom_1.wrd"_s), 69);
        writeDictionary(at(u"tom_3.wrd"_s), 10);
        writeDictionary(at(u"english.wrd"_s), 10); // listed as a second tom_0
        {
            DictLibrary library(m_folder, m_default, at(u"tom_3.wrd"_s));
            QCOMPARE(library.currentPath, at(u"tom_3.wrd"_s));
        }
        {
            DictLibrary library(m_folder, m_default, at(u"tom_9.wrd"_s)); // gone
            QCOMPARE(library.currentPath, at(u"tom_1.wrd"_s));
            QVERIFY(!QFile::exists(at(u"tom_9.wrd"_s)));
        }
        {
            DictLibrary library(m_folder, m_default, at(u"english.wrd"_s));
            QCOMPARE(library.currentPath, at(u"tom_1.wrd"_s));
        }
        {
            // Another folder: the chosen one wins over the folder of the path.
            QTemporaryDir other;
            writeDictionary(other.filePath(u"tom_3.wrd"_s), 10);
            DictLibrary library(m_folder, m_default, other.filePath(u"tom_3.wrd"_s));
            QCOMPARE(library.currentPath, at(u"tom_1.wrd"_s));
        }
    }

    void switchToANonCanonicalName()
    {
        writeDictionary(at(u"tom_0.wrd"_s), 10);
        writeDictionary(at(u"english.wrd"_s), 12);
        const QString other = m_tmp->filePath(u"other/"_s);
        QVERIFY(QDir().mkpath(other));
        writeDictionary(other + u"tom_0.wrd"_s, 6);
        DictLibrary library(other, m_default);
        library.file->lines << u"edited,"_s;
        library.file->modified = 1;

        library.SwitchTo(at(u"english.wrd"_s));
        QCOMPARE(library.folder, m_folder);
        QCOMPARE(library.currentPath, at(u"tom_0.wrd"_s));
        QCOMPARE(library.file->lines.size(), 10);
        QCOMPARE(WordFile(other + u"tom_0.wrd"_s).lines.size(), 7); // saved to its own path
    }

    void switchToANonCanonicalNameWhenAllAreFull()
    {
        writeDictionary(at(u"tom_0.wrd"_s), 70);
        writeDictionary(at(u"tom_1.wrd"_s), 80);
        writeDictionary(at(u"english.wrd"_s), 12);
        DictLibrary library(m_folder, m_default);
        library.SwitchTo(at(u"english.wrd"_s));
        QCOMPARE(library.currentPath, at(u"english.wrd"_s));
        QCOMPARE(library.file->lines.size(), 12);
        library.Next();
        QCOMPARE(library.currentPath, at(u"english.wrd"_s));
        library.Previous();
        QCOMPARE(library.currentPath, at(u"english.wrd"_s));
    }

    void switchToCanonicalAndToAMissingFolder()
    {
        writeDictionary(at(u"tom_0.wrd"_s), 10);
        writeDictionary(at(u"tom_2.wrd"_s), 10);
        DictLibrary library(m_folder, m_default);
        library.SwitchTo(at(u"tom_2.wrd"_s));
        QCOMPARE(library.currentPath, at(u"tom_2.wrd"_s));

        const QString fresh = m_tmp->filePath(u"new/deeper/tom_4.wrd"_s);
        library.SwitchTo(fresh);
        QCOMPARE(library.folder, m_tmp->filePath(u"new/deeper/"_s));
        QCOMPARE(library.currentPath, fresh);
        QVERIFY(QFileInfo(fresh).isFile());
    }
};

QTEST_GUILESS_MAIN(TestDictLibrary)
#include "tst_dict_library.moc"
