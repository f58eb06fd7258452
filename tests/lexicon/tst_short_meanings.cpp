#include "lexicon/article.h"
#include "lexicon/short_meanings.h"

#include <QTest>

using namespace Qt::StringLiterals;

// How an article is cut into senses and what a sense's text offers as
// meanings, on texts written in the dictionary's layout.
class TestShortMeanings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromSense_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("meanings");
        QTest::newRow("commas and semicolons")
            << u"вполне, совершенно, до конца; основательно"_s
            << QStringList{u"вполне"_s, u"совершенно"_s, u"до конца"_s, u"основательно"_s};
        QTest::newRow("an example ends the meanings")
            << u"бег, пробег; at a run бегом; бег"_s << QStringList{u"бег"_s, u"пробег"_s};
        QTest::newRow("labels without underscore go") << u"_a. predic, испуганный"_s << QStringList{u"испуганный"_s};
        QTest::newRow("labels go") << u"_разг. _ам. жиреть, _уст. толстеть"_s << QStringList{u"жиреть"_s, u"толстеть"_s};
        QTest::newRow("part of speech first") << u"_n. дом; жилище"_s << QStringList{u"дом"_s, u"жилище"_s};
        QTest::newRow("remarks in brackets go")
            << u"[трансп.] показ, просмотр (фильма, спектакля); проливать(ся) {см. тж. run}"_s
            << QStringList{u"показ"_s, u"просмотр"_s, u"проливать"_s};
        QTest::newRow("how a word is said") << u"[wɪnd], _поэт. часто [waɪnd] ветер"_s << QStringList{u"ветер"_s};
        QTest::newRow("nested brackets") << u"ход (машины (мотора)), работа"_s << QStringList{u"ход"_s, u"работа"_s};
        QTest::newRow("an unclosed bracket takes the rest") << u"ход (машины, мотора; работа"_s << QStringList{u"ход"_s};
        QTest::newRow("an explanation") << u"употр. как глагол-связка: похолодеть"_s << QStringList{};
        QTest::newRow("grammatical remarks")
            << u"модальный, недостаточный глагол; мочь; противительный союз а, но; как сущ. что-то"_s
            << QStringList{u"мочь"_s, u"но"_s, u"что-то"_s};
        QTest::newRow("too long")
            << u"предоставлять жилище кому-нибудь из родных; жить"_s << QStringList{u"жить"_s};
        QTest::newRow("35 characters fit") << u"ааааааааааааааааааааааааааааааааааа"_s
                                           << QStringList{u"ааааааааааааааааааааааааааааааааааа"_s};
        QTest::newRow("duplicates") << u"дом; Дом, жилище; дом"_s << QStringList{u"дом"_s, u"жилище"_s};
        QTest::newRow("trailing etc. and punctuation")
            << u"гнать и т.п.; хорошо!; к чему-л."_s << QStringList{u"гнать"_s, u"хорошо"_s, u"к чему-л."_s};
        QTest::newRow("digits and references") << u"9-я буква; = colour; см. run"_s << QStringList{};
        QTest::newRow("only a pointer") << u"_p. от go 1"_s << QStringList{};
        QTest::newRow("a stray letter") << u"[ɜk↗nɘlɪdʒ] г"_s << QStringList{};
        QTest::newRow("one-letter words") << u"_pron. я; _prep. в, с"_s << QStringList{u"я"_s, u"в"_s, u"с"_s};
        QTest::newRow("a short form's meaning")
            << u"_сокр. _разг. от bicycle велосипед; to bike ехать"_s << QStringList{u"велосипед"_s};
        QTest::newRow("a pointer to a row of words") << u"_ком. = myself и т.д.; to self"_s << QStringList{};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void fromSense()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, meanings);
        QCOMPARE(ShortMeanings::fromSense(text), meanings);
    }

    void referenceOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("headword");
        QTest::addColumn<int>("number");
        QTest::newRow("past tense") << u"[wɛnt] _p. от go 1"_s << u"go"_s << 1;
        QTest::newRow("plural") << u"_pl. от child"_s << u"child"_s << 0;
        QTest::newRow("two labels") << u"_p. и _p-p. от wake 2"_s << u"wake"_s << 2;
        QTest::newRow("equals") << u"= colour"_s << u"colour"_s << 0;
        QTest::newRow("equals with a label") << u"_ам. = aluminium"_s << u"aluminium"_s << 0;
        QTest::newRow("see") << u"_поэт. см. against"_s << u"against"_s << 0;
        QTest::newRow("two words") << u"= O. K."_s << u"O. K."_s << 0;
        QTest::newRow("homonym") << u"[ɜn↗tɪl] = till I"_s << u"till"_s << 0;
        QTest::newRow("after the transcriptions")
            << u"[hɪm] (полная форма); [ɪm] (редуцированная форма) _pron. _pers. _obj. от he"_s << u"he"_s << 0;
        QTest::newRow("two headwords") << u"_сокр. _разг. от gymnasium и gymnastics"_s << u"gymnasium"_s << 0;
        QTest::newRow("two senses") << u"= electrify 1 и 2"_s << u"electrify"_s << 1;
        QTest::newRow("a pointer and more") << u"= house, and more"_s << QString() << 0;
        QTest::newRow("none") << u"бежать"_s << QString() << 0;
    }
    void referenceOf()
    {
        QFETCH(QString, text);
        QFETCH(QString, headword);
        QFETCH(int, number);
        const auto reference = ShortMeanings::referenceOf(text);
        QCOMPARE(reference.has_value(), !headword.isEmpty());
        if (reference) {
            QCOMPARE(reference->headword, headword);
            QCOMPARE(reference->number, number);
        }
    }

    // Senses as "part/number text"; the part of speech after a colon.
    void senses_data()
    {
        QTest::addColumn<QString>("article");
        QTest::addColumn<QStringList>("senses");
        QTest::newRow("short article") << u"thoroughly\n   [↗θʌrɜlɪ] _adv. вполне, совершенно\n"_s
                                       << QStringList{u"0/0:adv [↗θʌrɜlɪ] _adv. вполне, совершенно"_s};
        QTest::newRow("parts and senses")
            << u"run\n   [rʌn]\n   1. _n.\n      1) бег, пробег; at a run\n      бегом\n      10)тираж\n   2. _v. (ran - run)\n      1) бежать\n"_s
            << QStringList{u"0/0: [rʌn]"_s, u"1/0:n _n."_s, u"1/1:n бег, пробег; at a run бегом"_s, u"1/10:n тираж"_s,
                           u"2/0:v _v. (ran - run)"_s, u"2/1:v бежать"_s};
        QTest::newRow("homonyms")
            << u"well\n   _I  [wɛl]\n      1. _n.\n         1) родник\n   _II [wɛl]\n      1. _adv. (better - best)\n         1) хорошо\n"_s
            << QStringList{u"I 0/0: [wɛl]"_s, u"I 1/0:n _n."_s, u"I 1/1:n родник"_s, u"II 0/0: [wɛl]"_s,
                           u"II 1/0:adv _adv. (better - best)"_s, u"II 1/1:adv хорошо"_s};
        QTest::newRow("lettered senses")
            << u"this\n   [ðɪs] _pron. этот\n   а) указывает на лицо\n   б) противополагается\n"_s
            << QStringList{u"0/0:pron [ðɪs] _pron. этот"_s, u"0/0:pron (а) указывает на лицо"_s,
                           u"0/0:pron (а) противополагается"_s};
        QTest::newRow("headword repeated") << u"A\n   a\n   _I  [ɛɪ] _n. буква\n"_s
                                           << QStringList{u"I 0/0:n [ɛɪ] _n. буква"_s};
        QTest::newRow("numbers in running text are no markers")
            << u"as\n   1920 ещё в 1920 году\n"_s << QStringList{u"0/0: 1920 ещё в 1920 году"_s};
        QTest::newRow("headword only") << u"word\n"_s << QStringList{};
        QTest::newRow("nothing") << QString() << QStringList{};
    }
    void senses()
    {
        QFETCH(QString, article);
        QFETCH(QStringList, senses);
        QStringList found;
        const Article parsed(article);
        for (const Article::Sense &sense : parsed.senses()) {
            static const QStringList roman{QString(), u"I "_s, u"II "_s};
            found.append(roman.value(sense.homonym) + u"%1/%2:%3 "_s.arg(sense.part).arg(sense.number).arg(sense.partOfSpeech)
                         + (sense.lettered ? u"(а) "_s : QString()) + sense.text);
        }
        QCOMPARE(found, senses);
    }

    void transcription()
    {
        const Article article(u"thoroughly\n   [↗θʌrɜlɪ] _adv. вполне\n   [x]\n"_s);
        QCOMPARE(article.headword(), u"thoroughly"_s);
        QCOMPARE(article.transcription(), u"[ˈθʌrəlɪ]"_s);
        // Only what stands in brackets is transcription.
        QCOMPARE(Article::displayText(u"ɛ [ɛɘ↘ɜ] ɛ"_s), u"ɛ [eɔˌə] ɛ"_s);
    }
};

QTEST_APPLESS_MAIN(TestShortMeanings)
#include "tst_short_meanings.moc"
