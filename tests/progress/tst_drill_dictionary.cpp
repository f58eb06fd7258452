// The dictionary of the hardest words: its name, its lines in the stored
// form, and that it reads back as the same words.
#include "dict/dict_library.h"
#include "dict/word_file.h"
#include "progress/drill_dictionary.h"
#include "progress/folder_progress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void writeDictionary(const QString &path, int lines)
{
    WordFile file(path);
    for (int i = 0; i < lines; ++i)
        file.lines << u"w%1,m%1,"_s.arg(i);
    QCOMPARE(file.Save(), 1);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

WordKey word(const QString &english, const QString &m1 = {}, const QString &m2 = {}, const QString &m3 = {})
{
    return {english, {m1, m2, m3}};
}

} // namespace

class TestDrillDictionary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writtenUnderTheLowestFreeNumber()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        for (const int n : {0, 1, 3})
            writeDictionary(folder + u"tom_%1.wrd"_s.arg(n), 8);
        DictLibrary library(folder, folder, folder + u"tom_0.wrd"_s);

        const QList<WordKey> words{word(u"cat"_s, u"кот"_s), word(u"run"_s, u"бежать"_s, u"управлять"_s),
                                   word(u"gap"_s, u"один"_s, QString(), u"три"_s), word(u"bare"_s),
                                   word(u"all"_s, u"а"_s, u"б"_s, u"в"_s)};
        const QString path = WriteDrillDictionary(library, words);
        QCOMPARE(path, folder + u"tom_2.wrd"_s);

        // The stored form: UTF-16LE with its mark, UTF-8 through Windows-1251,
        // every line ended by CR LF.
        const QByteArray bytes = readBytes(path);
        const QByteArray cat = QByteArray::fromHex("fffe630061007400" "2c00200454042004550421041a20" "2c000d000a00");
        QVERIFY2(bytes.startsWith(cat), bytes.left(40).toHex().constData());

        const WordFile file(path);
        QCOMPARE(file.lines,
                 (QStringList{u"cat,кот,"_s, u"run,бежать,управлять,"_s, u"gap,один,,три,"_s, u"bare,"_s,
                              u"all,а,б,в,"_s}));
        QVERIFY(file.undecoded.isEmpty());
        // Read back, each line is the same word again, so it keeps its progress.
        QCOMPARE(DictionaryWords(file.lines), words);
    }

    void atMostAFullDictionary()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        writeDictionary(folder + u"tom_0.wrd"_s, 10);
        DictLibrary library(folder, folder, folder + u"tom_0.wrd"_s);
        QList<WordKey> words;
        for (int i = 0; i < 80; ++i)
            words << word(u"hard%1"_s.arg(i), u"трудно"_s);
        const QString path = WriteDrillDictionary(library, words);
        QCOMPARE(path, folder + u"tom_1.wrd"_s);
        const WordFile file(path);
        QCOMPARE(file.lines.size(), WordFile::FullAt);
        QCOMPARE(DictionaryWords(file.lines), words.mid(0, WordFile::FullAt));
    }

    void nothingLeftWhenItCannotBeWritten()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"dict"_s) + u'/';
        QDir().mkpath(folder);
        writeDictionary(folder + u"tom_0.wrd"_s, 10);
        DictLibrary library(folder, folder, folder + u"tom_0.wrd"_s);
        // The folder turns into a file behind the library's back.
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(dir.filePath(u"dict"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(WriteDrillDictionary(library, {word(u"cat"_s, u"кот"_s)}), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"dict"_s});
        QCOMPARE(readBytes(dir.filePath(u"dict"_s)), QByteArray());
    }
};

QTEST_APPLESS_MAIN(TestDrillDictionary)
#include "tst_drill_dictionary.moc"
