#include "dict/random.h"
#include "dict/word_store.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

__extension__ typedef unsigned __int128 u128;

// Reference steps written from the generator's definition with wider
// arithmetic than the code under test uses.
quint32 reference15(quint64 &state)
{
    const u128 low = (state & 0xFFFFFFFFull) * static_cast<u128>(22695477u) + 1u;
    const quint64 newLow = static_cast<quint64>(low % (static_cast<u128>(1) << 32));
    state = (state >> 32 << 32) | newLow;
    return static_cast<quint32>((newLow >> 16) % 32768u);
}

quint32 reference31(quint64 &state)
{
    const u128 m = static_cast<u128>(0x15A) * (static_cast<u128>(1) << 32) + 0x4E35;
    const u128 next = (static_cast<u128>(state) * m + 1) % (static_cast<u128>(1) << 64);
    state = static_cast<quint64>(next);
    return static_cast<quint32>((state >> 32) % (1ull << 31));
}

QStringList numberedLines(int n)
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines << QStringLiteral("w%1,m%1,").arg(i);
    return lines;
}

} // namespace

class TestWordStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        Clock::setSource([] { return qint64(1700000000); });
    }
    void cleanup() { Clock::setSource({}); }

    void parseLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<uint>("filled");
        QTest::newRow("three fields") << QStringLiteral("cat,кот,кошка,")
                                      << QStringList{u"cat"_s, u"кот"_s, u"кошка"_s, u""_s} << 3u;
        QTest::newRow("text after last comma") << QStringLiteral("cat,кот")
                                               << QStringList{u"cat"_s, u""_s, u""_s, u""_s} << 1u;
        QTest::newRow("no comma") << QStringLiteral("cat") << QStringList{u""_s, u""_s, u""_s, u""_s} << 0u;
        QTest::newRow("empty word") << QStringLiteral(",кот,") << QStringList{u""_s, u"кот"_s, u""_s, u""_s} << 2u;
        QTest::newRow("empty field counts") << QStringLiteral("a,,b,") << QStringList{u"a"_s, u""_s, u"b"_s, u""_s} << 3u;
        QTest::newRow("five fields") << QStringLiteral("a,b,c,d,e,") << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s} << 4u;
        QTest::newRow("empty line") << QString() << QStringList{u""_s, u""_s, u""_s, u""_s} << 0u;
        QTest::newRow("zero ends the line") << QString(QStringLiteral("a,b") + QChar(0) + QStringLiteral(",c,"))
                                            << QStringList{u"a"_s, u""_s, u""_s, u""_s} << 1u;
    }

    void parseLine()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QFETCH(uint, filled);
        BWORDW word(4);
        word.ParseLine(QLatin1Char(','), line);
        QCOMPARE(word.filled, filled);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(word.FieldText(i), fields.at(i));
    }

    void overlongFieldIsCutToTheCell()
    {
        const QString longWord(500, QLatin1Char('x'));
        BWORDW word(4);
        word.ParseLine(QLatin1Char(','), QString(longWord + QStringLiteral(",кот,")));
        QCOMPARE(word.FieldText(0), QString(119, QLatin1Char('x')));
        QCOMPARE(word.FieldText(1), QStringLiteral("кот"));
        SWORDW cell;
        cell.SetText(longWord);
        QCOMPARE(cell.Text().size(), 119);
    }

    void loadTakesAtMostSeventyThreeLines()
    {
        GWORDW store(72);
        store.LoadLines(numberedLines(80));
        QCOMPARE(store.WordCount(), 73);
        QCOMPARE(store.AvailableCount(), 73);
        QCOMPARE(store.Word(72)->FieldText(0), QStringLiteral("w72"));
    }

    void drawsNeverRepeatAndFailWithoutTouchingTheCount()
    {
        GWORDW store(72);
        store.LoadLines(numberedLines(6));
        QSet<QString> seen;
        for (int i = 0; i < 6; ++i) {
            BWORDW *word = store.DrawWord();
            QVERIFY(word);
            QCOMPARE(word->used, std::uint8_t(1));
            seen.insert(word->FieldText(0));
        }
        QCOMPARE(seen.size(), 6);
        QCOMPARE(store.AvailableCount(), 0);
        QCOMPARE(store.DrawWord(), nullptr);
        QCOMPARE(store.AvailableCount(), 0);

        store.MarkAvailable(store.Word(2));
        QCOMPARE(store.AvailableCount(), 1);
        QCOMPARE(store.DrawWord(), store.Word(2));

        store.MarkAllAvailable();
        QCOMPARE(store.AvailableCount(), 6);
        for (int i = 0; i < 6; ++i)
            QVERIFY(store.DrawWord());
    }

    void emptyStoreNeverDraws()
    {
        GWORDW store(72);
        store.LoadLines({});
        QCOMPARE(store.DrawWord(), nullptr);
        QCOMPARE(store.AvailableCount(), 0);
    }

    void drawsAreReproducibleUnderAFixedClock()
    {
        GWORDW first(72), second(72);
        first.LoadLines(numberedLines(40));
        second.LoadLines(numberedLines(40));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(first.DrawWord()->FieldText(0), second.DrawWord()->FieldText(0));
    }

    void drawPicksTheRecordOfTheFifteenBitStep()
    {
        GWORDW store(72);
        store.LoadLines(numberedLines(50));
        quint64 state = 1700000000u;
        const quint32 r = reference15(state);
        QCOMPARE(store.DrawWord(), store.Word(static_cast<int>(r % 50)));
    }

    void generatorsFollowTheirFormulas()
    {
        // Hand-computed: 1 * 22695477 + 1 = 22695478, bits 16..30 give 346;
        // 1 * M + 1 has 0x15A in its high half.
        Random::seed(1);
        QCOMPARE(Random::next15(), 346);
        Random::seed(1);
        QCOMPARE(Random::next31(), 346u);

        for (const quint64 seed : {0ull, 1ull, 12345ull, 1700000000ull, 0xFFFFFFFFull}) {
            quint64 ref = seed;
            Random::seed(seed);
            for (int i = 0; i < 50; ++i) {
                // Interleave both steps: they share one state.
                if (i % 3 == 0)
                    QCOMPARE(quint32(Random::next15()), reference15(ref));
                else
                    QCOMPARE(Random::next31(), reference31(ref));
                QCOMPARE(Random::state(), ref);
            }
        }
    }

    void randomBelowStaysInRange()
    {
        QCOMPARE(RandomBelow(0), 0);
        Random::seed(99);
        const quint64 before = Random::state();
        RandomBelow(0);
        QCOMPARE(Random::state(), before);
        QCOMPARE(RandomBelow(1), 0);
        quint64 ref = Random::state();
        for (int i = 0; i < 200; ++i) {
            const qint64 value = RandomBelow(6);
            QCOMPARE(value, qint64(reference31(ref) % 6));
        }
    }
};

QTEST_APPLESS_MAIN(TestWordStore)
#include "tst_word_store.moc"
