#include "dictzip_writer.h"
#include "lexicon/lexicon.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A dictd dictionary of the given articles (headword, text) in `folder`.
bool writeDictionary(const QString &folder, const QString &name, const QList<std::pair<QByteArray, QByteArray>> &articles)
{
    QByteArray text;
    QList<QByteArray> lines;
    for (const auto &[headword, article] : articles) {
        lines.append(headword + '\t' + DictdNumber(quint64(text.size())) + '\t' + DictdNumber(quint64(article.size())) + '\n');
        text.append(article);
    }
    std::sort(lines.begin(), lines.end());
    return writeFile(folder + u'/' + name + u".index"_s, lines.join())
           && writeFile(folder + u'/' + name + u".dict.dz"_s, MakeDictzip(text, 64));
}

} // namespace

// Looking words up: in a small dictionary and WordNet written here, where
// each path of a lookup can be seen, and in the installed Mueller
// dictionary, where the meanings a learner gets are checked on real
// articles.
class TestLexicon : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dictd;
    QTemporaryDir m_wordNet;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(writeDictionary(m_dictd.path(), u"mueller7"_s, {
            {"run", "run\n   [rʌn]\n   1. _n.\n      1) бег, пробег\n      2) рейс\n      3) стадо\n"
                    "   2. _v. (ran - run)\n      1) бежать; бегать\n      2) двигаться\n      3) ходить\n      4) течь\n"},
            {"went", "went\n   [wɛnt] _p. от go 1\n"},
            {"go", "go\n   [gɜʊ]\n   1. _v. (went - gone)\n      1) идти, ходить\n   2. _n.\n      1) ход\n"},
            {"glass", "glass\n   [glɑ:s]\n   1. _n.\n      1) стекло\n      2) стакан\n      3) _pl. очки\n"},
            {"studied", "studied\n   [↗stʌdɪd]\n   1. _p-p. от study 2\n   2. _a.\n      1) обдуманный\n"},
            {"study", "study\n   [↗stʌdɪ]\n   1. _n.\n      1) изучение\n   2. _v.\n      1) изучать, исследовать\n"},
            {"was", "was\n   [wɘz] прошедшее время ед. ч. гл. to be\n"},
            {"be", "be\n   [bi:] _v.\n   1) быть, существовать\n"},
            {"loop", "loop\n   = pool\n"},
            {"pool", "pool\n   = loop\n"},
            {"broken", "broken\n   плохо; \xFF\xFE ещё\n"},
            {"liver", "liver\n   _I  [↗lɪvɜ] _n.\n      1) _ам. житель\n   _II [↗lɪvɜ] _n.\n      1) _анат. печень\n      2) печёнка\n"},
            {"00-database-short", "00-database-short\n     Mueller\n"},
        }));
        QVERIFY(writeFile(m_wordNet.filePath(u"index.noun"_s), "glass n 1 0 1 3 0\nrun n 1 0 1 7 0\nstudy n 1 0 1 1 0\n"));
        QVERIFY(writeFile(m_wordNet.filePath(u"index.verb"_s), "be v 1 0 1 9 0\ngo v 1 0 1 9 0\nrun v 1 0 1 29 0\nstudy v 1 0 1 4 0\n"));
        QVERIFY(writeFile(m_wordNet.filePath(u"verb.exc"_s), "was be\nwent go\n"));
        // Uses of each sense in WordNet's texts: "run" as a verb far more
        // than as a noun.
        QVERIFY(writeFile(m_wordNet.filePath(u"cntlist.rev"_s),
                          "run%1:04:00:: 1 20\nrun%2:38:00:: 1 50\nrun%2:38:01:: 2 10\nstudy%2:31:00:: 1 30\n"));
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("headword");
        QTest::addColumn<QString>("transcription");
        QTest::addColumn<QStringList>("meanings");
        const QStringList run{u"бежать"_s, u"бегать"_s, u"двигаться"_s, u"ходить"_s, u"бег"_s, u"пробег"_s, u"рейс"_s};
        QTest::newRow("the most used part first") << u"run"_s << u"run"_s << u"[rʌn]"_s << run;
        QTest::newRow("case and blanks") << u" Run "_s << u"run"_s << u"[rʌn]"_s << run;
        QTest::newRow("base word") << u"runs"_s << u"run"_s << u"[rʌn]"_s << run;
        QTest::newRow("pointer to a part") << u"went"_s << u"go"_s << u"[gəʊ]"_s << QStringList{u"идти"_s, u"ходить"_s};
        QTest::newRow("plural sense first") << u"glasses"_s << u"glass"_s << u"[glɑ:s]"_s
                                            << QStringList{u"очки"_s, u"стекло"_s, u"стакан"_s};
        QTest::newRow("plural sense in its place") << u"glass"_s << u"glass"_s << u"[glɑ:s]"_s
                                                   << QStringList{u"стекло"_s, u"стакан"_s, u"очки"_s};
        QTest::newRow("a pointer's meanings after the word's own")
            << u"studied"_s << u"studied"_s << u"[ˈstʌdɪd]"_s << QStringList{u"обдуманный"_s, u"изучать"_s, u"исследовать"_s};
        QTest::newRow("article without meanings, then the base word")
            << u"was"_s << u"be"_s << u"[bi:]"_s << QStringList{u"быть"_s, u"существовать"_s};
        QTest::newRow("a region's sense after the plain ones")
            << u"liver"_s << u"liver"_s << u"[ˈlɪvə]"_s << QStringList{u"печень"_s, u"печёнка"_s, u"житель"_s};
        QTest::newRow("pointers in a circle") << u"loop"_s << u"loop"_s << QString() << QStringList{};
        QTest::newRow("text not UTF-8") << u"broken"_s << u"broken"_s << QString() << QStringList{u"плохо"_s};
        QTest::newRow("unknown") << u"missing"_s << QString() << QString() << QStringList{};
        QTest::newRow("the dictionary's own entries") << u"00-database-short"_s << QString() << QString() << QStringList{};
        QTest::newRow("too long") << QString(200, u'a') << QString() << QString() << QStringList{};
        QTest::newRow("empty") << QString() << QString() << QString() << QStringList{};
    }
    void lookup()
    {
        QFETCH(QString, word);
        QFETCH(QString, headword);
        QFETCH(QString, transcription);
        QFETCH(QStringList, meanings);
        const Lexicon lexicon(m_dictd.path(), m_wordNet.path());
        QCOMPARE(lexicon.state(), Lexicon::State::Ready);
        const LookupResult result = lexicon.lookup(word);
        QCOMPARE(result.headword, headword);
        QCOMPARE(result.transcription, transcription);
        QCOMPARE(result.meanings, meanings);
        QCOMPARE(result.article.isEmpty(), headword.isEmpty());
    }

    // What was followed is shown: the word's own article, then the one it
    // points to.
    void articleOfPointer()
    {
        const LookupResult result = Lexicon(m_dictd.path(), m_wordNet.path()).lookup(u"went"_s);
        QVERIFY(result.article.startsWith(u"went\n   [went] _p. от go 1"_s));
        QVERIFY(result.article.contains(u"\n\ngo\n   [gəʊ]\n"_s));
    }

    void notReady_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<Lexicon::State>("state");
        QTest::newRow("nothing installed") << QByteArray() << QByteArray() << Lexicon::State::NotInstalled;
        QTest::newRow("text not dictzip") << "run\tA\tB\n"_ba << "run\nбег\n"_ba << Lexicon::State::Damaged;
        QTest::newRow("empty index") << ""_ba << MakeDictzip("run\n", 64) << Lexicon::State::Damaged;
    }
    void notReady()
    {
        QFETCH(QByteArray, index);
        QFETCH(QByteArray, data);
        QFETCH(Lexicon::State, state);
        QTemporaryDir folder;
        if (!data.isEmpty()) {
            QVERIFY(writeFile(folder.filePath(u"mueller7.index"_s), index));
            QVERIFY(writeFile(folder.filePath(u"mueller7.dict.dz"_s), data));
        }
        const Lexicon lexicon(folder.path(), m_wordNet.path());
        QCOMPARE(lexicon.state(), state);
        QVERIFY(lexicon.problem().contains(u"mueller7-dict"_s));
        QCOMPARE(Lexicon::isInstalled(folder.path()), state != Lexicon::State::NotInstalled);
        QVERIFY(!lexicon.lookup(u"run"_s).found());
    }

    // An index that points past the text, or asks for more than any
    // article holds, finds nothing instead of reading or allocating it.
    void indexPastTheText()
    {
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath(u"mueller7.index"_s), "far\tBAAAA\tB\nhuge\tA\tBAAAAA\nrun\tA\tE\n"));
        QVERIFY(writeFile(folder.filePath(u"mueller7.dict.dz"_s), MakeDictzip("run\n бег\n", 64)));
        const Lexicon lexicon(folder.path(), m_wordNet.path());
        QVERIFY(!lexicon.lookup(u"far"_s).found());
        QVERIFY(!lexicon.lookup(u"huge"_s).found());
        QCOMPARE(lexicon.lookup(u"run"_s).headword, u"run"_s);
    }

    // Dictionaries of other names serve after Mueller's; others are no
    // English-Russian dictionaries.
    void dictionaryChoice()
    {
        QTemporaryDir folder;
        QVERIFY(writeDictionary(folder.path(), u"freedict-eng-rus"_s, {{"run", "run\n   бегать\n"}, {"tea", "tea\n   чай\n"}}));
        QVERIFY(writeDictionary(folder.path(), u"freedict-eng-deu"_s, {{"cat", "cat\n   Katze\n"}}));
        QVERIFY(writeDictionary(folder.path(), u"mueller7"_s, {{"run", "run\n   бежать\n"}}));
        const Lexicon lexicon(folder.path(), m_wordNet.path());
        QCOMPARE(lexicon.lookup(u"run"_s).meanings, QStringList{u"бежать"_s});
        QCOMPARE(lexicon.lookup(u"tea"_s).meanings, QStringList{u"чай"_s});
        QVERIFY(!lexicon.lookup(u"cat"_s).found());
    }

    void severalThreads()
    {
        const Lexicon lexicon(m_dictd.path(), m_wordNet.path());
        const QStringList words{u"run"_s, u"went"_s, u"glasses"_s, u"studied"_s, u"was"_s, u"loop"_s};
        QList<LookupResult> expected;
        for (const QString &word : words)
            expected.append(lexicon.lookup(word));
        std::atomic<int> mismatches = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                for (int round = 0; round < 50; ++round) {
                    for (qsizetype i = 0; i < words.size(); ++i) {
                        const LookupResult result = lexicon.lookup(words[i]);
                        if (result.meanings != expected[i].meanings || result.article != expected[i].article)
                            ++mismatches;
                    }
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(mismatches.load(), 0);
    }

    // The installed dictionary (Debian's mueller7-dict and wordnet-base):
    // the first meanings a learner is offered.
    void mueller_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("headword");
        QTest::addColumn<QStringList>("firstMeanings");
        QTest::addColumn<QString>("later");
        QTest::newRow("thoroughly") << u"thoroughly"_s << u"thoroughly"_s
                                    << QStringList{u"вполне"_s, u"совершенно"_s, u"до конца"_s, u"основательно"_s}
                                    << u"тщательно"_s;
        QTest::newRow("run: verb before noun") << u"run"_s << u"run"_s << QStringList{u"бежать"_s} << u"бег"_s;
        QTest::newRow("house: noun before verb") << u"houses"_s << u"house"_s << QStringList{u"дом"_s} << u"жилище"_s;
        QTest::newRow("went") << u"went"_s << u"go"_s << QStringList{u"идти"_s, u"ходить"_s} << QString();
        QTest::newRow("children") << u"children"_s << u"child"_s << QStringList{u"ребёнок"_s} << QString();
        QTest::newRow("glasses") << u"glasses"_s << u"glass"_s << QStringList{u"очки"_s} << u"стекло"_s;
        QTest::newRow("news") << u"news"_s << u"news"_s << QStringList{u"новость"_s} << u"известие"_s;
        QTest::newRow("was") << u"was"_s << u"be"_s << QStringList{u"быть"_s} << QString();
        QTest::newRow("better") << u"better"_s << u"better"_s << QStringList{u"лучший"_s} << QString();
        QTest::newRow("as") << u"as"_s << u"as"_s << QStringList{} << u"как"_s;
        QTest::newRow("a letter after the transcription")
            << u"acknowledge"_s << u"acknowledge"_s << QStringList{u"сознавать"_s} << QString();
        QTest::newRow("a short form") << u"bike"_s << u"bike"_s << QStringList{u"велосипед"_s} << QString();
        QTest::newRow("an adverb's comparative") << u"sooner"_s << u"soon"_s << QStringList{u"скоро"_s} << QString();
        QTest::newRow("hyphenated") << u"cooperate"_s << u"co-operate"_s << QStringList{u"сотрудничать"_s} << QString();
        QTest::newRow("two words") << u"percent"_s << u"per cent"_s << QStringList{u"процент"_s} << QString();
        QTest::newRow("one of the headword's spellings")
            << u"jewelry"_s << u"jewellery, jewelry"_s << QStringList{u"драгоценности"_s} << QString();
        QTest::newRow("British spelling") << u"neighbors"_s << u"neighbour"_s << QStringList{u"сосед"_s} << QString();
        QTest::newRow("an article that only names the other spelling")
            << u"favor"_s << u"favour"_s << QStringList{u"благосклонность"_s} << QString();
        QTest::newRow("-ize for -ise") << u"realised"_s << u"realize"_s << QStringList{} << u"понимать"_s;
    }
    void mueller()
    {
        QFETCH(QString, word);
        QFETCH(QString, headword);
        QFETCH(QStringList, firstMeanings);
        QFETCH(QString, later);
        const Lexicon lexicon(u"/usr/share/dictd"_s, u"/usr/share/wordnet"_s);
        QVERIFY2(lexicon.state() == Lexicon::State::Ready, "mueller7-dict is installed by tools/dev.sh");
        const LookupResult result = lexicon.lookup(word);
        QCOMPARE(result.headword, headword);
        QVERIFY(!result.transcription.isEmpty());
        QCOMPARE(result.meanings.mid(0, firstMeanings.size()), firstMeanings);
        if (!later.isEmpty())
            QVERIFY2(result.meanings.contains(later), qPrintable(result.meanings.join(u", ")));
        for (const QString &meaning : result.meanings)
            QVERIFY(meaning.size() <= 35 && !meaning.contains(u','));
    }
};

QTEST_APPLESS_MAIN(TestLexicon)
#include "tst_lexicon.moc"
