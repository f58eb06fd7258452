#include "lexicon/lemmatizer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The base words of word forms: by the installed WordNet (Debian's
// wordnet-base), and by a small WordNet written here, where every rule can
// be seen at work.
class TestLemmatizer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_small;

    void write(const QString &name, const QByteArray &text)
    {
        QFile file(m_small.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Index lines as WordNet writes them: lemma, part, synset count,
        // pointer count and symbols, sense count, tagged sense count, ...
        write(u"index.noun"_s, "  1 license text\n"
                               "box n 2 1 @ 2 5 0001 0002\n"
                               "boxing n 1 0 1 0 0003\n"
                               "glass n 3 2 @ ~ 3 6 0004\n"
                               "glasses n 1 0 1 1 0005\n"
                               "ice_cream n 1 0 1 2 0006\n"
                               "kiss n 1 0 1 1 0007\n"
                               "mouse n 2 0 2 3 0008\n"
                               "woman n 1 0 1 9 0009\n");
        write(u"index.verb"_s, "box v 2 3 @ ~ $ 2 1 0010\n"
                               "kiss v 1 0 1 4 0011\n"
                               "study v 6 0 6 12 0012\n");
        write(u"index.adj"_s, "big a 4 0 4 x 0013\n");
        write(u"index.adv"_s, "");
        write(u"noun.exc"_s, "mice mouse\nteeth tooth\n");
        write(u"verb.exc"_s, "studied study\n");
        write(u"adj.exc"_s, "bigger big\n");
        write(u"adv.exc"_s, "");
        write(u"cntlist.rev"_s, "big%3:00:01:: 1 5\n"
                                "big%4:02:00:: 1 x\n"
                                "big%5:00:00:large:00 2 6\n"
                                "box%1:06:00:: 1 12\n"
                                "box%1:06:01:: 2 3\n"
                                "box%2:35:00:: 1 4\n"
                                "box_office%1:06:00:: 1 40\n"
                                "boxing%1:04:00:: 1 7\n");
    }

    void usageCount_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<Lemmatizer::PartOfSpeech>("part");
        QTest::addColumn<int>("count");
        QTest::newRow("senses added") << u"box"_s << Lemmatizer::PartOfSpeech::Noun << 15;
        QTest::newRow("other part apart") << u"box"_s << Lemmatizer::PartOfSpeech::Verb << 4;
        QTest::newRow("satellites are adjectives") << u"big"_s << Lemmatizer::PartOfSpeech::Adjective << 11;
        QTest::newRow("damaged count") << u"big"_s << Lemmatizer::PartOfSpeech::Adverb << 0;
        QTest::newRow("never used") << u"box"_s << Lemmatizer::PartOfSpeech::Adverb << 0;
        QTest::newRow("unknown") << u"bo"_s << Lemmatizer::PartOfSpeech::Noun << 0;
    }
    void usageCount()
    {
        QFETCH(QString, word);
        QFETCH(Lemmatizer::PartOfSpeech, part);
        QFETCH(int, count);
        QCOMPARE(Lemmatizer(m_small.path()).usageCount(word, part), count);
    }

    void smallWordNet_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("bases");
        QTest::newRow("noun plural") << u"boxes"_s << QStringList{u"box"_s};
        QTest::newRow("itself first, then the base") << u"glasses"_s << QStringList{u"glasses"_s, u"glass"_s};
        QTest::newRow("-ss is no plural") << u"kiss"_s << QStringList{u"kiss"_s};
        QTest::newRow("verb -es") << u"kisses"_s << QStringList{u"kiss"_s};
        QTest::newRow("-men") << u"women"_s << QStringList{u"woman"_s};
        QTest::newRow("verb -ing") << u"boxing"_s << QStringList{u"boxing"_s, u"box"_s};
        QTest::newRow("exception") << u"mice"_s << QStringList{u"mouse"_s};
        QTest::newRow("exception base unknown to the index") << u"teeth"_s << QStringList{u"teeth"_s};
        QTest::newRow("verb exception") << u"studied"_s << QStringList{u"study"_s};
        QTest::newRow("adjective exception") << u"bigger"_s << QStringList{u"big"_s};
        QTest::newRow("upper case and blanks") << u"  Boxes "_s << QStringList{u"box"_s};
        QTest::newRow("two words") << u"ice  cream"_s << QStringList{u"ice cream"_s};
        QTest::newRow("unknown stays") << u"this"_s << QStringList{u"this"_s};
        QTest::newRow("two letters keep their s") << u"as"_s << QStringList{u"as"_s};
        QTest::newRow("the license lines are no words") << u"1"_s << QStringList{u"1"_s};
        QTest::newRow("blank") << u"  "_s << QStringList{};
    }
    void smallWordNet()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, bases);
        const Lemmatizer lemmatizer(m_small.path());
        QVERIFY(lemmatizer.isOpen());
        QCOMPARE(lemmatizer.baseForms(word), bases);
    }

    void taggedSenseCount_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<Lemmatizer::PartOfSpeech>("part");
        QTest::addColumn<int>("count");
        QTest::newRow("after one pointer") << u"box"_s << Lemmatizer::PartOfSpeech::Noun << 5;
        QTest::newRow("after three pointers") << u"box"_s << Lemmatizer::PartOfSpeech::Verb << 1;
        QTest::newRow("no pointers") << u"study"_s << Lemmatizer::PartOfSpeech::Verb << 12;
        QTest::newRow("not that part") << u"study"_s << Lemmatizer::PartOfSpeech::Noun << -1;
        QTest::newRow("damaged line") << u"big"_s << Lemmatizer::PartOfSpeech::Adjective << 0;
    }
    void taggedSenseCount()
    {
        QFETCH(QString, word);
        QFETCH(Lemmatizer::PartOfSpeech, part);
        QFETCH(int, count);
        QCOMPARE(Lemmatizer(m_small.path()).taggedSenseCount(word, part), count);
    }

    void withoutWordNet()
    {
        QTemporaryDir empty;
        const Lemmatizer lemmatizer(empty.path());
        QVERIFY(!lemmatizer.isOpen());
        QCOMPARE(lemmatizer.baseForms(u"Houses"_s), QStringList{u"houses"_s});
        QVERIFY(!lemmatizer.knows(u"house"_s));
    }

    void installedWordNet_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("bases");
        QTest::newRow("houses") << u"houses"_s << QStringList{u"house"_s};
        QTest::newRow("went") << u"went"_s << QStringList{u"go"_s};
        QTest::newRow("children") << u"children"_s << QStringList{u"child"_s};
        QTest::newRow("better") << u"better"_s << QStringList{u"better"_s, u"good"_s, u"well"_s};
        QTest::newRow("studied: an adjective too") << u"studied"_s << QStringList{u"studied"_s, u"study"_s};
        QTest::newRow("running") << u"running"_s << QStringList{u"running"_s, u"run"_s};
        QTest::newRow("cities") << u"cities"_s << QStringList{u"city"_s};
        QTest::newRow("news") << u"news"_s << QStringList{u"news"_s};
        QTest::newRow("glasses") << u"glasses"_s << QStringList{u"glasses"_s, u"glass"_s};
        QTest::newRow("as") << u"as"_s << QStringList{u"as"_s};
        QTest::newRow("this") << u"this"_s << QStringList{u"this"_s};
    }
    void installedWordNet()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, bases);
        const Lemmatizer lemmatizer(u"/usr/share/wordnet"_s);
        QVERIFY2(lemmatizer.isOpen(), "WordNet is installed by tools/dev.sh (package wordnet-base)");
        QCOMPARE(lemmatizer.baseForms(word), bases);
    }
};

QTEST_APPLESS_MAIN(TestLemmatizer)
#include "tst_lemmatizer.moc"
