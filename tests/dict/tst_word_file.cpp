#include "dict/cp1251.h"
#include "dict/merge_report.h"
#include "dict/word_file.h"
#include "save_loop_versions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray utf16le(QStringView text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar ch : text)
        bytes.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
    return bytes;
}

QByteArray utf16be(QStringView text)
{
    QByteArray bytes("\xFE\xFF", 2);
    for (const QChar ch : text)
        bytes.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xFF));
    return bytes;
}

QByteArray utf8WithMark(QStringView text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

// «кот» in the stored form: its UTF-8 bytes D0 BA D0 BE D1 82 seen as
// Windows-1251 characters.
const QString StoredKot = u"\u0420\u0454\u0420\u0455\u0421\u201A"_s;

// Lines in the stored form, joined as a file holds them.
QString stored(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        for (const char byte : line.toUtf8())
            text += QChar(Cp1251::toUnicode(static_cast<unsigned char>(byte)));
        text += u"\r\n"_s;
    }
    return text;
}

QStringList numberedLines(int n)
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines << u"word%1,слово %1,"_s.arg(i);
    return lines;
}

} // namespace

class TestWordFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name = u"tom_0.wrd"_s) const { return m_dir.filePath(name); }

    static void writeBytes(const QString &filePath, const QByteArray &bytes)
    {
        QFile file(filePath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    static QByteArray readBytes(const QString &filePath)
    {
        QFile file(filePath);
        if (!file.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return file.readAll();
    }

    // Lines saved and loaded back through a fresh WordFile.
    QStringList roundTrip(const QStringList &lines)
    {
        const QString p = path(u"round.wrd"_s);
        QFile::remove(p);
        {
            WordFile out(p);
            out.lines = lines;
            if (out.Save() != 1)
                return {u"<save failed>"_s};
        }
        return WordFile(p).lines;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        // Every test starts from an empty folder.
        QDir dir(m_dir.path());
        for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QVERIFY(QFile::remove(dir.filePath(name)) || QDir(dir.filePath(name)).removeRecursively());
        }
    }

    void codePageIsOneToOne()
    {
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t ch = Cp1251::toUnicode(static_cast<unsigned char>(byte));
            QCOMPARE(Cp1251::fromUnicode(ch), std::optional<unsigned char>(static_cast<unsigned char>(byte)));
        }
        QCOMPARE(Cp1251::toUnicode(0x98), u'\u0098');
        QCOMPARE(Cp1251::toUnicode(0xC0), u'А');
        QCOMPARE(Cp1251::toUnicode(0xFF), u'я');
        QCOMPARE(Cp1251::fromUnicode(u'é'), std::nullopt);
        QCOMPARE(Cp1251::fromUnicode(u'\u0400'), std::nullopt);
    }

    void statusByLineCount_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("status");
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("5") << 5 << 0;
        QTest::newRow("6") << 6 << 1;
        QTest::newRow("69") << 69 << 1;
        QTest::newRow("70") << 70 << -2;
        QTest::newRow("71") << 71 << -2;
    }

    void statusByLineCount()
    {
        QFETCH(int, lineCount);
        QFETCH(int, status);
        writeBytes(path(), utf16le(QString(numberedLines(lineCount).join(u"\r\n"_s) + u"\r\n"_s)));
        WordFile file(path());
        QCOMPARE(file.lines.size(), lineCount);
        QCOMPARE(file.status, status);
        QCOMPARE(file.Load(), status);
    }

    void emptyContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("mark only") << QByteArray("\xFF\xFE");
        QTest::newRow("big-endian mark only") << QByteArray("\xFE\xFF");
        QTest::newRow("utf-8 mark only") << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("zero first") << QByteArray("\xFF\xFE\0\0a\0", 6);
    }

    void emptyContent()
    {
        QFETCH(QByteArray, bytes);
        writeBytes(path(), bytes);
        WordFile file(path());
        QCOMPARE(file.lines, QStringList());
        QCOMPARE(file.status, 0);
    }

    void missingFileIsCreatedEmptyAndNotSavedWithoutEdits()
    {
        {
            WordFile file(path());
            QVERIFY(QFile::exists(path()));
            QCOMPARE(QFileInfo(path()).size(), 0);
            QCOMPARE(file.lines, QStringList());
            QCOMPARE(file.status, 0);
        }
        QCOMPARE(readBytes(path()), QByteArray());

        {
            WordFile file(path());
            file.lines << u"cat,кот,"_s;
            file.modified = 1;
        }
        QCOMPARE(readBytes(path()).left(2), QByteArray("\xFF\xFE"));
        QCOMPARE(WordFile(path()).lines, QStringList{u"cat,кот,"_s});
    }

    void missingFolderIsUnreadable()
    {
        const QString p = path(u"no/such/folder/tom_0.wrd"_s);
        WordFile file(p);
        QCOMPARE(file.status, -1);
        QVERIFY(!QFile::exists(p));
    }

    void unreadableFileLoadsNoLines()
    {
        writeBytes(path(), utf16le(u"a,\r\nb,\r\n"));
        WordFile file(path());
        QCOMPARE(file.lines.size(), 2);
        // The same path now names a folder: nothing can be read from it.
        QVERIFY(QFile::remove(path()));
        QVERIFY(QDir().mkdir(path()));
        QCOMPARE(file.Load(), -1);
        QCOMPARE(file.status, -1);
        QCOMPARE(file.lines, QStringList());
    }

    void readOnlyFileStillLoads()
    {
        writeBytes(path(), utf16le(u"a,\r\nb,\r\n"));
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
        WordFile file(path());
        QCOMPARE(file.lines, (QStringList{u"a,"_s, u"b,"_s}));
        QCOMPARE(file.status, 0);
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QStringList ascii{u"cat,"_s, u"dog,"_s};
        const QString asciiText = u"cat,\r\ndog,\r\n"_s;
        const QString storedText = QString(u"cat,"_s + StoredKot + u",\r\nend,"_s);
        const QStringList stored{u"cat,кот,"_s, u"end,"_s};

        QTest::newRow("utf-16le ascii") << utf16le(asciiText) << ascii;
        QTest::newRow("utf-16le stored") << utf16le(storedText) << stored;
        QTest::newRow("utf-16be ascii") << utf16be(asciiText) << ascii;
        QTest::newRow("utf-16be stored") << utf16be(storedText) << stored;
        QTest::newRow("utf-8 mark ascii") << utf8WithMark(asciiText) << ascii;
        QTest::newRow("utf-8 mark stored") << utf8WithMark(storedText) << stored;
        QTest::newRow("no mark ascii") << asciiText.toLatin1() << ascii;
        // Plain UTF-8 without a mark: each byte is one Windows-1251 character,
        // which is the stored form itself.
        QTest::newRow("no mark plain utf-8")
            << QByteArray("cat,\xD0\xBA\xD0\xBE\xD1\x82,\r\nend,") << stored;
        QTest::newRow("no mark plain utf-8, four bytes")
            << QByteArray("smile,\xF0\x9F\x98\x80,\r\n") << QStringList{u"smile,😀,"_s};
        QTest::newRow("utf-16le odd last byte")
            << QByteArray(utf16le(u"a,\r\nb,") + 'x') << QStringList{u"a,"_s, u"b,"_s};
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        writeBytes(path(), bytes);
        WordFile file(path());
        QCOMPARE(file.lines, lines);
    }

    // Lines that cannot be in the stored form are real text and stay as read.
    void realTextIsKept_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QString text = u"cat,кот,кошка,\r\ndog,собака,\r\n"_s;
        const QStringList real{u"cat,кот,кошка,"_s, u"dog,собака,"_s};
        QTest::newRow("utf-16le") << utf16le(text) << real;
        QTest::newRow("utf-16be") << utf16be(text) << real;
        QTest::newRow("utf-8 mark") << utf8WithMark(text) << real;
        QTest::newRow("windows-1251 without mark")
            << QByteArray("cat,\xEA\xEE\xF2,\xEA\xEE\xF8\xEA\xE0,\r\ndog,\xF1\xEE\xE1\xE0\xEA\xE0,\r\n") << real;
        // Characters that Windows-1251 lacks cannot be stored ones.
        QTest::newRow("latin-1 in utf-16") << utf16le(u"caf\u00e9,na\u00efve,\r\n") << QStringList{u"caf\u00e9,na\u00efve,"_s};
        // Both halves are Windows-1251 letters, «Аё» would read as an
        // overlong form of '8'.
        QTest::newRow("overlong") << QByteArray("\xC0\xB8,\r\n") << QStringList{u"Аё,"_s};
        QTest::newRow("sequence cut off") << utf16le(QString(u"a,"_s + StoredKot.left(5) + u"\r\n"_s))
                                          << QStringList{QString(u"a,"_s + StoredKot.left(5))};
        QTest::newRow("stored and real lines")
            << utf16le(QString(u"cat,"_s + StoredKot + u",\r\nмышь,\r\n"_s))
            << QStringList{u"cat,кот,"_s, u"мышь,"_s};
    }

    void realTextIsKept()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        writeBytes(path(), bytes);
        {
            WordFile file(path());
            QCOMPARE(file.lines, lines);
            file.modified = 1; // saved on destruction
        }
        // The save writes the stored form, which loads back to the same text.
        QCOMPARE(readBytes(path()).left(2), QByteArray("\xFF\xFE"));
        QCOMPARE(WordFile(path()).lines, lines);
    }

    void windows1251Table()
    {
        // A markless file of every upper byte: not UTF-8 (it starts with a
        // continuation byte), so each byte reads as its Windows-1251 character.
        QByteArray bytes;
        for (int b = 0x80; b <= 0xFF; ++b)
            bytes.append(char(b));
        writeBytes(path(), bytes);
        const QString expected =
            u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\u0098™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
            u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"_s;
        QCOMPARE(WordFile(path()).lines, QStringList{expected});
    }

    void lineBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("cr lf") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("cr") << u"a\rb\r"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lf") << u"a\nb\n"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("u+2028") << u"a\u2028b\u2028"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("cr lf u+2028") << u"a\r\n\u2028b"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("cr u+2028") << u"a\r\u2028b"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lf u+2028") << u"a\n\u2028b"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("u+2028 cr lf") << u"a\u2028\r\nb"_s << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("u+2028 twice") << u"a\u2028\u2028b"_s << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("cr lf u+2028 u+2028") << u"a\r\n\u2028\u2028b"_s << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("lf cr") << u"a\n\rb"_s << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("empty line between") << u"a\r\n\r\nb\r\n"_s << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("last line without break") << u"a\r\nb"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("single line without break") << u"a"_s << QStringList{u"a"_s};
        QTest::newRow("break only") << u"\r\n"_s << QStringList{u""_s};
        QTest::newRow("empty line at end") << u"a\r\n\r\n"_s << QStringList{u"a"_s, u""_s};
        QTest::newRow("zero ends the text") << u"a\r\nb\0c\r\nd\r\n"_s << QStringList{u"a"_s, u"b"_s};
    }

    void lineBreaks()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        writeBytes(path(), utf16le(text));
        QCOMPARE(WordFile(path()).lines, lines);
    }

    void lastLineGetsItsBreakOnSave()
    {
        writeBytes(path(), utf16le(u"a,\r\nb,"));
        WordFile file(path());
        QCOMPARE(file.Save(), 1);
        QCOMPARE(readBytes(path()), utf16le(u"a,\r\nb,\r\n"));
    }

    void exampleLineByteForByte()
    {
        const QByteArray expected = QByteArray::fromHex(
            "FFFE 6300 6100 7400 2C00 2004 5404 2004 5504 2104 1A20 2C00 0D00 0A00");
        {
            WordFile file(path());
            file.lines = QStringList{u"cat,кот,"_s};
            QCOMPARE(file.Save(), 1);
            QCOMPARE(file.lines, QStringList{u"cat,кот,"_s}); // lines keep the real text
            QCOMPARE(file.Save(), 1);
        }
        QCOMPARE(readBytes(path()), expected);
        QCOMPARE(WordFile(path()).lines, QStringList{u"cat,кот,"_s});
    }

    void noLinesSaveAsMarkOnly()
    {
        writeBytes(path(), utf16le(u"a,\r\n"));
        WordFile file(path());
        file.lines.clear();
        QCOMPARE(file.Save(), 1);
        QCOMPARE(readBytes(path()), QByteArray("\xFF\xFE"));
    }

    void saveAndLoadRoundTrip_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("cyrillic") << QStringList{u"cat,кот,кошка,котёнок,"_s, u"ЁЖИК,Ёж,"_s, u""_s};
        QTest::newRow("byte 0x98") << QStringList{u"ј,Ј,"_s}; // U+0458 is D1 98 in UTF-8
        QTest::newRow("latin-1") << QStringList{u"café,naïve,"_s, u"straße,ÿ,\u0080\u00A0,"_s};
        QTest::newRow("outside the bmp") << QStringList{u"smile,😀,"_s, u"clef,𝄞,𐐷,"_s};
        const QChar high(char16_t(0xD800));
        const QChar low(char16_t(0xDFFF));
        QTest::newRow("lone surrogates") << QStringList{QString(high + u","_s), QString(u"x"_s + low + u"y,"_s),
                                                        QString(QString(low) + high + u","_s)};
        QTest::newRow("boundaries") << QStringList{u"\u007F\u0080\u07FF\u0800\uFFFD\uFFFF,"_s};
        QTest::newRow("separators inside a line") << QStringList{u"a\u2028b\u2029c\u0085d,"_s};
        QTest::newRow("mark inside a line") << QStringList{u"\uFEFFword,"_s, u"\uFFFEword,"_s};
        QTest::newRow("empty lines") << QStringList{u""_s, u""_s, u"x"_s};
    }

    void saveAndLoadRoundTrip()
    {
        QFETCH(QStringList, lines);
        QCOMPARE(roundTrip(lines), lines);
    }

    void everyCodeUnitRoundTrips()
    {
        // Every code unit but the two that end a line, in lines of 512.
        QStringList lines;
        QString line;
        for (char32_t unit = 1; unit <= 0xFFFF; ++unit) {
            if (unit == u'\r' || unit == u'\n')
                continue;
            line.append(QChar(static_cast<char16_t>(unit)));
            if (line.size() == 512) {
                lines << line;
                line.clear();
            }
        }
        lines << line;
        const QStringList back = roundTrip(lines);
        QCOMPARE(back.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(back.at(i) == lines.at(i), qPrintable(u"line %1 differs"_s.arg(i)));
    }

    void destructorSavesOnlyWhenModified()
    {
        writeBytes(path(), utf16le(u"a,\r\n"));
        {
            WordFile file(path());
            file.lines << u"b,"_s;
        }
        QCOMPARE(readBytes(path()), utf16le(u"a,\r\n"));
        {
            WordFile file(path());
            file.lines << u"b,"_s;
            file.modified = 1;
        }
        QCOMPARE(WordFile(path()).lines, (QStringList{u"a,"_s, u"b,"_s}));
    }

    void saveFailsWhereNothingCanBeWritten()
    {
        WordFile inMissingFolder(path(u"missing/tom_0.wrd"_s));
        inMissingFolder.lines << u"a,"_s;
        QCOMPARE(inMissingFolder.Save(), -1);

        QVERIFY(QDir().mkdir(path()));
        WordFile onFolder(path());
        onFolder.lines << u"a,"_s;
        QCOMPARE(onFolder.Save(), -1);
        QVERIFY(QFileInfo(path()).isDir());
    }

    // A saving process killed at any moment leaves the old or the new file,
    // never a mixture or a cut.
    void killedSaveLeavesACompleteFile()
    {
        const QStringList versions[2] = {SaveLoop::version(0), SaveLoop::version(1)};
        QByteArray expected[2];
        for (int v = 0; v < 2; ++v) {
            const QString reference = path(u"reference%1.wrd"_s.arg(v));
            WordFile file(reference);
            file.lines = versions[v];
            QCOMPARE(file.Save(), 1);
            expected[v] = readBytes(reference);
        }
        QVERIFY(expected[0] != expected[1]);

        const QString folder = path(u"crash"_s);
        QVERIFY(QDir().mkdir(folder));
        const QString target = folder + u"/tom_0.wrd"_s;
        writeBytes(target, expected[0]);

        QElapsedTimer clock;
        clock.start();
        int runs = 0;
        int seen[2] = {0, 0};
        for (; runs < 300 && clock.elapsed() < 20000; ++runs) {
            QProcess saver;
            saver.start(QStringLiteral(SAVE_LOOP_BINARY), {target});
            QVERIFY2(saver.waitForReadyRead(5000), "the saving helper did not start");
            const auto delay = QRandomGenerator::global()->bounded(8000);
            QThread::usleep(delay);
            saver.kill();
            QVERIFY(saver.waitForFinished(5000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

            const QByteArray now = readBytes(target);
            const int which = now == expected[0] ? 0 : now == expected[1] ? 1 : -1;
            QVERIFY2(which >= 0, qPrintable(u"run %1, killed after %2 us: file of %3 bytes is neither version"_s
                                                 .arg(runs).arg(delay).arg(now.size())));
            ++seen[which];
        }
        qInfo("%d kills: %d old, %d new", runs, seen[0], seen[1]);
        QVERIFY(runs >= 100);
        QVERIFY2(seen[1] > 0, "the helper never finished a save before it was killed");
        const QStringList last = WordFile(target).lines;
        QVERIFY(last == versions[0] || last == versions[1]);
    }

    // What another program or file sync wrote while the dictionary was open
    // is merged into the save, never overwritten.
    void saveMergesWhatChangedOnDisk_data()
    {
        QTest::addColumn<QByteArray>("underneath"); // the file's new bytes; empty: removed
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<bool>("merged");           // a merge is told
        QTest::addColumn<QStringList>("told");      // lines told as added from disk
        const QStringList loaded{u"cat,кошка,"_s, u"dog,собака,"_s};
        const QByteArray loadedBytes = utf16le(stored(loaded));

        QTest::newRow("the same bytes written again") << loadedBytes << QStringList{loaded[0], loaded[1], u"sun,солнце,"_s}
                                                      << false << QStringList{};
        QTest::newRow("a word added by the other computer")
            << utf16le(stored({loaded[0], loaded[1], u"tree,дерево,"_s}))
            << QStringList{loaded[0], loaded[1], u"sun,солнце,"_s, u"tree,дерево,"_s} << true
            << QStringList{u"tree,дерево,"_s};
        QTest::newRow("a word deleted by the other computer") << utf16le(stored({loaded[1]}))
                                                              << QStringList{loaded[1], u"sun,солнце,"_s} << true
                                                              << QStringList{};
        QTest::newRow("the same lines in another encoding")
            << QByteArray(QString(loaded.join(u"\n"_s) + u"\n"_s).toUtf8())
            << QStringList{loaded[0], loaded[1], u"sun,солнце,"_s} << false << QStringList{};
        QTest::newRow("removed underneath") << QByteArray() << QStringList{loaded[0], loaded[1], u"sun,солнце,"_s}
                                            << false << QStringList{};
    }

    void saveMergesWhatChangedOnDisk()
    {
        QFETCH(QByteArray, underneath);
        QFETCH(QStringList, saved);
        QFETCH(bool, merged);
        QFETCH(QStringList, told);
        writeBytes(path(), utf16le(stored({u"cat,кошка,"_s, u"dog,собака,"_s})));
        QList<DictionaryMerge> reports;
        MergeReport::setHandler([&reports](const DictionaryMerge &merge) { reports.append(merge); });
        {
            WordFile file(path());
            file.lines.append(u"sun,солнце,"_s);
            file.modified = 1;
            if (underneath.isEmpty())
                QVERIFY(QFile::remove(path()));
            else
                writeBytes(path(), underneath);
            QCOMPARE(file.Save(), 1);
            QCOMPARE(file.lines, saved);
            // Saved once more, as when the dictionary is left: the merge is
            // not made or told a second time.
            QCOMPARE(file.Save(), 1);
        }
        MergeReport::setHandler({});
        QCOMPARE(WordFile(path()).lines, saved);
        QCOMPARE(reports.size(), merged ? 1 : 0);
        if (!reports.isEmpty()) {
            QCOMPARE(reports.first().path, path());
            QCOMPARE(reports.first().merge.added, told);
        }
    }
};

QTEST_GUILESS_MAIN(TestWordFile)
#include "tst_word_file.moc"
