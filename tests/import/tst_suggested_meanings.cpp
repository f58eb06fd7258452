#include "import/suggested_meanings.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(WordEntry)

// Meanings a dictionary gives to a list of English words: only what a
// dictionary line can hold is taken, and the words it gives nothing for are
// named.
class TestSuggestedMeanings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wordsOnly_data()
    {
        QTest::addColumn<QList<WordEntry>>("entries");
        QTest::addColumn<bool>("wordsOnly");
        QTest::newRow("words") << QList<WordEntry>{{u"cat"_s, {}, 1}, {u"dog"_s, {}, 2}} << true;
        QTest::newRow("one with a meaning") << QList<WordEntry>{{u"cat"_s, {}, 1}, {u"dog"_s, {u"собака"_s}, 2}} << false;
        QTest::newRow("empty list") << QList<WordEntry>{} << false;
    }
    void wordsOnly()
    {
        QFETCH(QList<WordEntry>, entries);
        QFETCH(bool, wordsOnly);
        QCOMPARE(SuggestedMeanings::WordsOnly(entries), wordsOnly);
    }

    void fill_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("taken");
        QTest::newRow("three at most") << QStringList{u"а"_s, u"б"_s, u"в"_s, u"г"_s} << QStringList{u"а"_s, u"б"_s, u"в"_s};
        QTest::newRow("what no line holds is passed over")
            << QStringList{u"а, б"_s, QString(36, u'я'), u"в\tг"_s, u"  д "_s, u"д"_s, QString(), u"е"_s}
            << QStringList{u"д"_s, u"е"_s};
        QTest::newRow("35 characters fit") << QStringList{QString(35, u'я')} << QStringList{QString(35, u'я')};
        QTest::newRow("nothing") << QStringList{} << QStringList{};
    }
    void fill()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, taken);
        const QList<WordEntry> entries{{u"word"_s, {}, 3}, {u"other"_s, {}, 5}};
        QStringList asked;
        const SuggestedMeanings::Filled filled = SuggestedMeanings::Fill(entries, [&](const QString &word) {
            asked << word;
            return word == u"word"_s ? given : QStringList();
        });
        QCOMPARE(asked, (QStringList{u"word"_s, u"other"_s}));
        QCOMPARE(filled.entries.size(), 2);
        QCOMPARE(filled.entries[0].word, u"word"_s);
        QCOMPARE(filled.entries[0].line, 3);
        QCOMPARE(filled.entries[0].meanings, taken);
        QCOMPARE(filled.entries[1].meanings, QStringList());
        QCOMPARE(filled.suggested, (QList<bool>{!taken.isEmpty(), false}));
        QCOMPARE(filled.unknown, taken.isEmpty() ? (QStringList{u"word"_s, u"other"_s}) : QStringList{u"other"_s});
    }
};

QTEST_APPLESS_MAIN(TestSuggestedMeanings)
#include "tst_suggested_meanings.moc"
