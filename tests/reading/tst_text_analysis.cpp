// The analysis of a text's words over a dictionary whose every answer the
// test knows: how words are found, folded and left out, and the coverage
// arithmetic on a tiny text worked out by hand.
#include "reading/known_words.h"
#include "reading/text_analysis.h"
#include "reading/word_knowledge.h"

#include <QHash>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class FakeKnowledge : public WordKnowledge
{
public:
    QString BaseWord(const QString &form) const override { return m_bases.value(form, form); }
    bool Knows(const QString &word) const override { return m_known.contains(word) || m_bases.contains(word); }
    QStringList Meanings(const QString &base) const override { return m_meanings.value(base); }
    int Frequency(const QString &base) const override { return m_frequencies.value(base); }

private:
    const QHash<QString, QString> m_bases{
        {u"ran"_s, u"run"_s},   {u"runs"_s, u"run"_s}, {u"running"_s, u"run"_s}, {u"dogs"_s, u"dog"_s},
        {u"cats"_s, u"cat"_s},  {u"saw"_s, u"see"_s},  {u"was"_s, u"be"_s},      {u"had"_s, u"have"_s},
        {u"eyed"_s, u"eye"_s},  {u"going"_s, u"go"_s}, {u"colors"_s, u"color"_s},
    };
    const QSet<QString> m_known{u"run"_s,   u"dog"_s,  u"cat"_s,       u"see"_s,   u"be"_s,   u"red"_s,
                                u"tail"_s,  u"do"_s,   u"go"_s,        u"potter"_s, u"well-known"_s,
                                u"o'clock"_s, u"mother-in-law"_s,      u"blue"_s,  u"eye"_s,  u"stop"_s,
                                u"plan"_s,  u"have"_s, u"place"_s,     u"world"_s, u"get"_s,  u"suddenly"_s,
                                u"can"_s,   u"left"_s, u"color"_s,     u"colour"_s, u"monday"_s, u"then"_s};
    const QHash<QString, QStringList> m_meanings{
        {u"run"_s, {u"бежать"_s, u"бегать"_s}},
        {u"cat"_s, {u"кошка"_s, u"кот"_s, u"котёнок"_s, u"кошачьи"_s}},
        {u"see"_s, {u"видеть"_s}},
        {u"red"_s, {u"красный, алый"_s, u"рыжий"_s}},
        {u"do"_s, {u"делать"_s}},
    };
    const QHash<QString, int> m_frequencies{{u"run"_s, 50}, {u"cat"_s, 30}, {u"do"_s, 90}, {u"see"_s, 80},
                                            {u"red"_s, 20}};
};

TextAnalysis analyse(const QString &text, const KnownWords &known = {})
{
    const FakeKnowledge knowledge;
    std::optional<TextAnalysis> analysis = AnalyseText(Reading::FromClipboard(text), knowledge, known);
    return analysis.value_or(TextAnalysis());
}

// "word:count" of every new word, in the analysis's order.
QStringList newWords(const TextAnalysis &analysis)
{
    QStringList words;
    for (const TextWord &word : analysis.newWords)
        words.append(word.word + u':' + QString::number(word.count));
    return words;
}

} // namespace

class TestTextAnalysis : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsWordsAsAReaderDoes_data();
    void findsWordsAsAReaderDoes();
    void coverageOfATinyText();
    void coverageArithmetic_data();
    void coverageArithmetic();
    void dictionaryEntries_data();
    void dictionaryEntries();
    void stopsWhenCancelled();
};

void TestTextAnalysis::findsWordsAsAReaderDoes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words"); // new words, "word:count", in order
    QTest::addColumn<int>("functionWords");
    QTest::addColumn<int>("names");
    QTest::addColumn<int>("numbers");

    QTest::newRow("forms under their base word")
        << u"Run, ran, runs, running; dogs and a dog."_s << QStringList{u"run:4"_s, u"dog:2"_s} << 2 << 0 << 0;
    QTest::newRow("contractions under their first word")
        << u"don't won't can't it's we're I'm they'd. Don’t!"_s << QStringList{u"do:2"_s, u"can:1"_s} << 5 << 0 << 0;
    QTest::newRow("an apostrophe before and after")
        << u"Get 'em goin' now, the students' cats' tails."_s
        << QStringList{u"cat:1"_s, u"get:1"_s, u"go:1"_s, u"now:1"_s, u"students:1"_s, u"tails:1"_s} << 2 << 0 << 0;
    QTest::newRow("a word with an apostrophe of its own") << u"At five o'clock."_s
                                                          << QStringList{u"five:1"_s, u"o'clock:1"_s} << 1 << 0 << 0;
    QTest::newRow("compounds the dictionary knows, and parts of those it does not")
        << u"A well-known blue-eyed mother-in-law; a blue‑eyed dog—a dog--a cat."_s
        << QStringList{u"blue:2"_s, u"dog:2"_s, u"eye:2"_s, u"cat:1"_s, u"mother-in-law:1"_s, u"well-known:1"_s}
        << 4 << 0 << 0;
    QTest::newRow("names: never in lower case, and unknown or inside sentences")
        << u"Mr. Potter saw Hermione. Then Potter left. Suddenly she ran. Suddenly!"_s
        << QStringList{u"suddenly:2"_s, u"see:1"_s, u"run:1"_s, u"left:1"_s, u"then:1"_s} << 1 << 4 << 0;
    QTest::newRow("a capitalised word also seen in lower case is a word")
        << u"Red is red. The Red Sea."_s << QStringList{u"red:3"_s, u"is:1"_s} << 1 << 1 << 0;
    QTest::newRow("ordinary words written with a capital") << u"On Monday and on Monday."_s
                                                            << QStringList{u"monday:2"_s} << 3 << 0 << 0;
    QTest::newRow("capitals: a word the dictionary knows, and one it does not")
        << u"STOP the FBI now."_s << QStringList{u"now:1"_s, u"stop:1"_s} << 1 << 1 << 0;
    QTest::newRow("numbers and single letters left out") << u"In 1984 plan B had the 3rd place, 2,000 in all."_s
                                                         << QStringList{u"all:1"_s, u"have:1"_s, u"place:1"_s, u"plan:1"_s}
                                                         << 3 << 0 << 4;
    QTest::newRow("words of other scripts are no English words") << u"Привет, world! Ещё раз."_s
                                                                 << QStringList{u"world:1"_s} << 0 << 0 << 0;
    QTest::newRow("no English words at all") << u"12 345 — «Привет»!"_s << QStringList() << 0 << 0 << 2;
}

void TestTextAnalysis::findsWordsAsAReaderDoes()
{
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QFETCH(int, functionWords);
    QFETCH(int, names);
    QFETCH(int, numbers);

    const TextAnalysis analysis = analyse(text);
    QCOMPARE(newWords(analysis), words);
    QCOMPARE(analysis.functionWords.occurrences, functionWords);
    QCOMPARE(analysis.names.occurrences, names);
    QCOMPARE(analysis.numbers, numbers);
    qint64 counted = analysis.functionWords.occurrences + analysis.names.occurrences;
    for (const TextWord &word : analysis.newWords)
        counted += word.count;
    QCOMPARE(analysis.runningWords, counted);
}

// Worked out by hand. Running words: 7 in the first sentence, 10 in the
// second ("3" is a number), 3 in the third: 20. Known: "the" 3 and "and" 1
// (function words), "Mr" and "Potter" twice (names), "dog" 2 and "go" 1 (the
// folder), "was" → "be" 1 (learnt): 4 + 3 + 3 + 1 = 11, 55.0 %. New, by count
// and then frequency: run 2, cat 2, do 1, see 1, red 1, tail 1, well-known 1.
// 95 % of 20 is 19: 11 + 2 + 2 + 1 + 1 + 1 + 1 = 19 after six words; 98 % is
// 19.6, reached with all seven.
void TestTextAnalysis::coverageOfATinyText()
{
    const FakeKnowledge knowledge;
    KnownWords known;
    known.AddDictionaryLines({u"dog,собака,"_s, u"go,идти,"_s}, knowledge);
    known.AddLearnt({u"was"_s}, knowledge);
    const TextAnalysis analysis = analyse(
        u"The dog ran and the dogs run. Mr. Potter saw 3 red cats; the cat's tail was well-known. Don't go, Potter!"_s,
        known);

    QCOMPARE(analysis.runningWords, 20);
    QCOMPARE(analysis.numbers, 1);
    QCOMPARE(analysis.functionWords.occurrences, 4);
    QCOMPARE(analysis.functionWords.words, 2);
    QCOMPARE(analysis.names.occurrences, 3);
    QCOMPARE(analysis.names.words, 2);
    QCOMPARE(analysis.inFolder.occurrences, 3);
    QCOMPARE(analysis.inFolder.words, 2);
    QCOMPARE(analysis.learnt.occurrences, 1);
    QCOMPARE(analysis.learnt.words, 1);
    QCOMPARE(newWords(analysis), (QStringList{u"run:2"_s, u"cat:2"_s, u"do:1"_s, u"see:1"_s, u"red:1"_s, u"tail:1"_s,
                                              u"well-known:1"_s}));
    QCOMPARE(analysis.KnownOccurrences(), 11);
    QCOMPARE(analysis.KnownPermille(), 550);
    QCOMPARE(analysis.WordsFor(95), 6);
    QCOMPARE(analysis.WordsFor(98), 7);
    QCOMPARE(analysis.newWords[0].meanings, (QStringList{u"бежать"_s, u"бегать"_s}));
    QCOMPARE(analysis.newWords[0].example, u"The dog ran and the dogs run."_s);
    QCOMPARE(analysis.newWords[1].example, u"Mr. Potter saw 3 red cats; the cat's tail was well-known."_s);
}

void TestTextAnalysis::coverageArithmetic_data()
{
    QTest::addColumn<qint64>("known");
    QTest::addColumn<qint64>("running");
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("words");

    QTest::newRow("reached already") << qint64(95) << qint64(100) << QList<int>{3, 1} << 95 << 0;
    QTest::newRow("just short") << qint64(94) << qint64(100) << QList<int>{1, 1} << 95 << 1;
    // 97 of 100 is 97 %: 98 % needs a word of 1 more; 19 of 20 is 95 % exactly.
    QTest::newRow("exact thresholds") << qint64(97) << qint64(100) << QList<int>{1, 1} << 98 << 1;
    QTest::newRow("exact thresholds, small") << qint64(18) << qint64(20) << QList<int>{1, 1} << 95 << 1;
    QTest::newRow("not reachable") << qint64(1) << qint64(10) << QList<int>{2, 1} << 95 << 2;
    QTest::newRow("an empty text") << qint64(0) << qint64(0) << QList<int>() << 95 << 0;
    // 2 489 of 2 620 is 95.0 % (2 489 × 100 = 248 900 = 2 620 × 95).
    QTest::newRow("large numbers") << qint64(2400) << qint64(2620) << QList<int>{50, 30, 9, 1} << 95 << 3;
}

void TestTextAnalysis::coverageArithmetic()
{
    QFETCH(qint64, known);
    QFETCH(qint64, running);
    QFETCH(QList<int>, counts);
    QFETCH(int, percent);
    QFETCH(int, words);

    QCOMPARE(Coverage::WordsToReach(known, running, counts, percent), words);
}

void TestTextAnalysis::dictionaryEntries_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("meanings");
    QTest::addColumn<QString>("line"); // empty: no entry

    QTest::newRow("the first three meanings") << u"cat"_s << QStringList{u"кошка"_s, u"кот"_s, u"котёнок"_s, u"кошачьи"_s}
                                              << u"cat,кошка,кот,котёнок,"_s;
    QTest::newRow("meanings that would not survive are passed over")
        << u"red"_s << QStringList{u"красный, алый"_s, u" "_s, QString(36, u'я'), u"рыжий"_s} << u"red,рыжий,"_s;
    QTest::newRow("no meaning") << u"tail"_s << QStringList() << QString();
    QTest::newRow("a word too long to store") << QString(36, u'a') << QStringList{u"а"_s} << QString();
}

void TestTextAnalysis::dictionaryEntries()
{
    QFETCH(QString, word);
    QFETCH(QStringList, meanings);
    QFETCH(QString, line);

    const std::optional<WordEntry> entry = DictionaryEntry(word, meanings);
    QCOMPARE(entry ? WordList::ToDictionaryLine(*entry) : QString(), line);
}

void TestTextAnalysis::stopsWhenCancelled()
{
    const FakeKnowledge knowledge;
    const QString text = QString(u"The dog ran. "_s).repeated(20000);
    int calls = 0;
    const std::optional<TextAnalysis> analysis =
        AnalyseText(Reading::FromClipboard(text), knowledge, {}, [&](int) { return ++calls < 3; });
    QVERIFY(!analysis);
    QCOMPARE(calls, 3);
}

QTEST_GUILESS_MAIN(TestTextAnalysis)
#include "tst_text_analysis.moc"
