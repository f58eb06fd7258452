#include "dictzip_writer.h"
#include "lexicon/dictd_data.h"
#include "lexicon/dictd_index.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using Locations = QList<DictdIndex::Location>;
Q_DECLARE_METATYPE(std::optional<quint64>)

namespace {

constexpr int ChunkLength = 100;

// 350 bytes, every one telling its position, so a read from the wrong
// place or a chunk put in the wrong order shows.
QByteArray sampleText()
{
    QByteArray text;
    for (int i = 0; text.size() < 350; ++i)
        text.append(QByteArray::number(i).rightJustified(4, '0')).append(i % 7 == 0 ? '\n' : ' ');
    return text.left(350);
}

} // namespace

class TestDictdReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeNumber_data()
    {
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<std::optional<quint64>>("value");
        QTest::newRow("zero") << "A"_ba << std::optional<quint64>(0);
        QTest::newRow("last digit") << "/"_ba << std::optional<quint64>(63);
        QTest::newRow("two digits") << "BA"_ba << std::optional<quint64>(64);
        QTest::newRow("mixed") << "C+m"_ba << std::optional<quint64>(2 * 4096 + 62 * 64 + 38);
        QTest::newRow("widest") << "////////"_ba << std::optional<quint64>((quint64(1) << 48) - 1);
        QTest::newRow("too wide") << "BAAAAAAAA"_ba << std::optional<quint64>();
        QTest::newRow("empty") << ""_ba << std::optional<quint64>();
        QTest::newRow("no digit") << "B-A"_ba << std::optional<quint64>();
        QTest::newRow("blank") << "B "_ba << std::optional<quint64>();
    }
    void decodeNumber()
    {
        QFETCH(QByteArray, digits);
        QFETCH(std::optional<quint64>, value);
        QCOMPARE(DictdIndex::decodeNumber(digits), value);
    }

    void find_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QByteArray>("headword");
        QTest::addColumn<Locations>("expected");
        const QByteArray sorted = "a\tA\tB\ngo\tC\tD\ngo-between\tE\tF\ngoal\tG\tH\nrun\tI\tJ\n";
        QTest::newRow("sorted") << sorted << "go"_ba << Locations{{2, 3}};
        QTest::newRow("longer key after") << sorted << "goal"_ba << Locations{{6, 7}};
        QTest::newRow("first") << sorted << "a"_ba << Locations{{0, 1}};
        QTest::newRow("last") << sorted << "run"_ba << Locations{{8, 9}};
        QTest::newRow("missing") << sorted << "gob"_ba << Locations{};
        QTest::newRow("prefix only") << sorted << "g"_ba << Locations{};
        QTest::newRow("unsorted") << "run\tI\tJ\ngo\tC\tD\na\tA\tB\n"_ba << "go"_ba << Locations{{2, 3}};
        QTest::newRow("duplicates keep their order")
            << "a\tB\tB\nhouse\tC\tC\nhouse\tD\tD\nx\tE\tE\n"_ba << "house"_ba << Locations{{2, 2}, {3, 3}};
        QTest::newRow("case folded") << "August\tB\tC\naugust\tD\tE\n"_ba << "AUGUST"_ba << Locations{{1, 2}, {3, 4}};
        QTest::newRow("CR LF") << "go\tC\tD\r\nrun\tI\tJ\r\n"_ba << "run"_ba << Locations{{8, 9}};
        QTest::newRow("fourth field") << "go\tC\tD\tGo\n"_ba << "go"_ba << Locations{{2, 3}};
        QTest::newRow("line without tabs") << "go\nrun\tI\tJ\n"_ba << "go"_ba << Locations{};
        QTest::newRow("one tab") << "go\tC\nrun\tI\tJ\n"_ba << "go"_ba << Locations{};
        QTest::newRow("bad digit") << "go\tC\tD!\n"_ba << "go"_ba << Locations{};
        QTest::newRow("huge length") << "go\tC\t/////////////////\n"_ba << "go"_ba << Locations{};
        QTest::newRow("empty lines") << "\n\ngo\tC\tD\n\n"_ba << "go"_ba << Locations{{2, 3}};
        QTest::newRow("no final break") << "a\tA\tB\ngo\tC\tD"_ba << "go"_ba << Locations{{2, 3}};
        QTest::newRow("empty index") << ""_ba << "go"_ba << Locations{};
        const QByteArray spellings = "colour, color\tC\tD\ncolumn\tE\tF\nhullo, hulloa, hello\tG\tH\n"_ba;
        QTest::newRow("one of several spellings") << spellings << "color"_ba << Locations{{2, 3}};
        QTest::newRow("the first spelling") << spellings << "Colour"_ba << Locations{{2, 3}};
        QTest::newRow("the last of three") << spellings << "hello"_ba << Locations{{6, 7}};
        QTest::newRow("the line as written") << spellings << "colour, color"_ba << Locations{{2, 3}};
        QTest::newRow("part of a spelling") << spellings << "colo"_ba << Locations{};
    }
    void find()
    {
        QFETCH(QByteArray, index);
        QFETCH(QByteArray, headword);
        QFETCH(Locations, expected);
        QCOMPARE(DictdIndex(index).find(headword), expected);
    }

    void read_data()
    {
        QTest::addColumn<quint64>("offset");
        QTest::addColumn<quint64>("length");
        QTest::addColumn<bool>("readable");
        QTest::newRow("inside the first chunk") << quint64(10) << quint64(20) << true;
        QTest::newRow("a whole chunk") << quint64(100) << quint64(100) << true;
        QTest::newRow("across one boundary") << quint64(90) << quint64(20) << true;
        QTest::newRow("across two boundaries") << quint64(95) << quint64(110) << true;
        QTest::newRow("into the short last chunk") << quint64(250) << quint64(100) << true;
        QTest::newRow("last byte") << quint64(349) << quint64(1) << true;
        QTest::newRow("nothing") << quint64(120) << quint64(0) << true;
        QTest::newRow("past the text") << quint64(340) << quint64(20) << false;
        QTest::newRow("offset past the chunks") << quint64(1000) << quint64(1) << false;
        QTest::newRow("length wraps around") << quint64(10) << ~quint64(0) << false;
        QTest::newRow("offset wraps around") << ~quint64(0) << quint64(2) << false;
    }
    void read()
    {
        QFETCH(quint64, offset);
        QFETCH(quint64, length);
        QFETCH(bool, readable);
        const QByteArray text = sampleText();
        const DictdData data = DictdData::fromDictzip(MakeDictzip(text, ChunkLength, "sample.dict"));
        QVERIFY(data.isValid());
        const auto bytes = data.read(offset, length);
        // The chunk table promises whole chunks: past the text's end but
        // inside the last chunk the read fails because the chunk is short.
        QCOMPARE(bytes.has_value(), readable);
        if (readable)
            QCOMPARE(*bytes, text.mid(qsizetype(offset), qsizetype(length)));
        const DictdData plain = DictdData::fromPlain(text);
        QCOMPARE(plain.read(offset, length).has_value(), readable);
    }

    // A damaged file answers what its whole chunks hold and nothing more.
    void damaged_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QList<bool>>("chunksReadable");
        const QByteArray good = MakeDictzip(sampleText(), ChunkLength);
        // Header: 10 bytes, XLEN, "RA" field of 6 + 2 * 4 bytes + 4.
        const qsizetype firstChunk = 12 + 4 + 6 + 2 * 4;
        const auto chunkSize = [&](int i) { return quint8(good[12 + 4 + 6 + 2 * i]) | quint8(good[12 + 4 + 6 + 2 * i + 1]) << 8; };
        const qsizetype thirdChunk = firstChunk + chunkSize(0) + chunkSize(1);

        QTest::newRow("whole") << good << true << QList<bool>{true, true, true, true};
        QTest::newRow("cut in the third chunk")
            << good.left(thirdChunk + 5) << true << QList<bool>{true, true, false, false};
        QTest::newRow("cut in the header") << good.left(20) << false << QList<bool>{false, false, false, false};
        QByteArray garbage = good;
        for (qsizetype i = firstChunk + chunkSize(0); i < thirdChunk; ++i)
            garbage[i] = char(0xFF);
        QTest::newRow("second chunk no deflate data") << garbage << true << QList<bool>{true, false, true, true};
        QByteArray notGzip = good;
        notGzip[1] = 'x';
        QTest::newRow("not gzip") << notGzip << false << QList<bool>{false, false, false, false};
        QByteArray noExtra = good;
        noExtra[3] = 0;
        QTest::newRow("no extra field") << noExtra << false << QList<bool>{false, false, false, false};
        QByteArray longExtra = good;
        longExtra[10] = char(0xFF);
        longExtra[11] = char(0x7F);
        QTest::newRow("extra field past the end") << longExtra << false << QList<bool>{false, false, false, false};
        QByteArray manyChunks = good;
        manyChunks[12 + 4 + 4] = char(0x40);  // 64 chunks in a field with room for 4 sizes
        QTest::newRow("more chunks than sizes") << manyChunks << false << QList<bool>{false, false, false, false};
        QByteArray zeroLength = good;
        zeroLength[12 + 4 + 2] = 0;
        QTest::newRow("chunk length zero") << zeroLength << false << QList<bool>{false, false, false, false};
        QByteArray unterminatedName = good;
        unterminatedName[3] = char(0x04 | 0x08);
        QTest::newRow("name without its end") << unterminatedName.left(firstChunk + 3) << false
                                              << QList<bool>{false, false, false, false};
    }
    void damaged()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, valid);
        QFETCH(QList<bool>, chunksReadable);
        const QByteArray text = sampleText();
        const DictdData data = DictdData::fromDictzip(file);
        QCOMPARE(data.isValid(), valid);
        for (int chunk = 0; chunk < chunksReadable.size(); ++chunk) {
            const quint64 length = chunk == 3 ? 50 : ChunkLength;
            const auto bytes = data.read(quint64(chunk) * ChunkLength, length);
            QVERIFY2(bytes.has_value() == chunksReadable[chunk], qPrintable(u"chunk %1"_s.arg(chunk)));
            if (bytes)
                QCOMPARE(*bytes, text.mid(chunk * ChunkLength, qsizetype(length)));
        }
    }

    // A chunk table that claims shorter chunks than the deflate data holds
    // bounds what one chunk gives: the reader never writes past its buffer.
    void chunkLongerThanClaimed()
    {
        QByteArray file = MakeDictzip(sampleText(), ChunkLength);
        file[12 + 4 + 2] = char(40);
        const DictdData data = DictdData::fromDictzip(file);
        QVERIFY(data.isValid());
        QCOMPARE(data.size(), quint64(4 * 40));
        // Chunk 1 starts where the table says, and its first 40 bytes are
        // what the second real chunk holds.
        QCOMPARE(data.read(0, 40), std::optional<QByteArray>(sampleText().left(40)));
        QCOMPARE(data.read(40, 40), std::optional<QByteArray>(sampleText().mid(100, 40)));
    }

    void tooLong()
    {
        const QByteArray text(int(DictdData::MaxRead) + 10, 'x');
        const DictdData data = DictdData::fromPlain(text);
        QVERIFY(!data.read(0, DictdData::MaxRead + 1));
        QCOMPARE(data.read(5, DictdData::MaxRead)->size(), qsizetype(DictdData::MaxRead));
    }

    // The file is chosen by its name: ".dz" is dictzip, anything else text.
    void openFile()
    {
        QTemporaryDir dir;
        const QByteArray text = sampleText();
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(write(u"a.dict.dz"_s, MakeDictzip(text, ChunkLength)));
        QVERIFY(write(u"b.dict"_s, text));
        QVERIFY(write(u"empty.dict.dz"_s, {}));
        QCOMPARE(DictdData::openFile(dir.filePath(u"a.dict.dz"_s)).read(95, 10), text.mid(95, 10));
        QCOMPARE(DictdData::openFile(dir.filePath(u"b.dict"_s)).read(95, 10), text.mid(95, 10));
        QVERIFY(!DictdData::openFile(dir.filePath(u"empty.dict.dz"_s)).isValid());
        QVERIFY(!DictdData::openFile(dir.filePath(u"missing.dict"_s)).isValid());
    }
};

QTEST_APPLESS_MAIN(TestDictdReader)
#include "tst_dictd_reader.moc"
