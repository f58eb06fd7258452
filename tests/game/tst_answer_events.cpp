// What the game reports about each turn: one outcome per turn, of the right
// kind, for the word that was active; and the game itself does not change
// whether anyone listens.
#include "fake_game_host.h"

#include "dict/random.h"
#include "game/game_engine.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(AnswerKind)

namespace {

qint64 g_now = 0;

// A host that can leave the outcomes unrecorded, and notes which dictionary
// was current when each one came.
class RecordingHost : public FakeGameHost
{
public:
    using FakeGameHost::FakeGameHost;

    void RecordAnswer(const AnswerEvent &event) override
    {
        if (!recording)
            return;
        FakeGameHost::RecordAnswer(event);
        dictionaryAtAnswer.push_back(current);
    }

    bool recording = true;
    std::vector<int> dictionaryAtAnswer;
};

FakeDictionary dictionary(int words, int first = 0)
{
    FakeDictionary d;
    d.lines = numberedLines(words, first);
    return d;
}

struct Rig
{
    explicit Rig(std::vector<FakeDictionary> folder, int mode = ModeStandard)
        : host(objects)
        , engine(objects, host)
    {
        objects.state = std::make_unique<PRG_STAT>();
        objects.state->mode = mode;
        host.setEngine(&engine);
        host.dictionaries = std::move(folder);
        host.open(0);
        engine.TBGameSpeedChange();
    }

    PRG_STAT &st() { return *objects.state; }
    int active() const { return host.markedRow(0); }
    QString activeWord() const { return host.captions[0][static_cast<std::size_t>(active())]; }

    void answer(bool right)
    {
        const int rightRow = host.meaningRowFor(active());
        QVERIFY(rightRow >= 0);
        int row = rightRow;
        for (int r = 0; !right && r < 6; ++r) {
            if (r != rightRow && host.meaningVisible[static_cast<std::size_t>(r)])
                row = r;
        }
        engine.OnLabelClick(row);
    }

    QList<AnswerKind> kinds() const
    {
        QList<AnswerKind> list;
        for (const AnswerEvent &event : host.answers)
            list << event.kind;
        return list;
    }

    ProcessObjects objects;
    RecordingHost host;
    GameEngine engine;
};

// The board as the learner sees it: the word rows, the meaning rows and the active row.
QString boardPicture(const FakeGameHost &host)
{
    QStringList rows;
    for (int row = 0; row < 6; ++row) {
        const auto r = static_cast<std::size_t>(row);
        rows << host.captions[0][r] + u'|' + QString(host.captions[1][r]).replace(u'\n', u'/')
                    + (host.marked[0][r] ? u"*"_s : QString());
    }
    return rows.join(u' ');
}

} // namespace

class TestAnswerEvents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        g_now = 1700000000;
        Clock::setSource([] { return g_now; });
    }
    void cleanup() { Clock::setSource({}); }

    // Every way a turn of the standard mode can end, one after the other.
    void standardTurnsReportTheirOutcome()
    {
        Rig rig({dictionary(30)});
        rig.engine.BStartClick();
        QList<AnswerKind> expected;
        QStringList words;
        const auto turn = [&](AnswerKind kind, const auto &action) {
            words << rig.activeWord();
            expected << kind;
            action();
        };
        turn(AnswerKind::Right, [&] { rig.answer(true); });
        turn(AnswerKind::Wrong, [&] { rig.answer(false); });
        turn(AnswerKind::Unanswered, [&] { rig.engine.GameTimerTimer(); });
        turn(AnswerKind::Unanswered, [&] { rig.engine.Button3Click(); });
        turn(AnswerKind::Hint, [&] {
            rig.engine.Button4Click();
            rig.answer(true);
        });
        // The sixth turn's end fills a new deal; the turn still counts.
        QCOMPARE(rig.st().turns, 6);
        turn(AnswerKind::Hint, [&] {
            rig.engine.N11Click();
            rig.engine.N11Click();
            rig.answer(false);
        });
        QCOMPARE(rig.st().turns, 1);
        turn(AnswerKind::Hint, [&] {
            rig.engine.N11Click();
            rig.engine.GameTimerTimer();
        });
        turn(AnswerKind::Right, [&] { rig.answer(true); });

        QCOMPARE(rig.kinds(), expected);
        for (std::size_t i = 0; i < rig.host.answers.size(); ++i) {
            const AnswerEvent &event = rig.host.answers[i];
            QCOMPARE(event.english, words[static_cast<qsizetype>(i)]);
            const QString number = event.english.mid(1);
            QCOMPARE(event.meanings[0], u"a"_s + number);
            QCOMPARE(event.meanings[1], u"b"_s + number);
            QCOMPARE(event.meanings[2], u"c"_s + number);
        }
        // A hint followed by the right click still counts as guessed, as before.
        QCOMPARE(rig.st().guessedCount, 3);
    }

    // A turn cut short by stopping the game, leaving the tab or moving a
    // column has no outcome; the next game's turns report as usual.
    void droppedTurnsReportNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("stop") << 0;
        QTest::newRow("menu stop") << 1;
        QTest::newRow("another tab") << 2;
    }
    void droppedTurnsReportNothing()
    {
        QFETCH(int, how);
        Rig rig({dictionary(20)});
        rig.engine.BStartClick();
        rig.answer(false);
        if (how == 0)
            rig.engine.BStartClick();
        else if (how == 1)
            rig.engine.N3Click(1);
        else
            rig.engine.PageControl1Change(1);
        QCOMPARE(rig.st().gameState, 0);
        // A tick that was already on its way finds the game stopped.
        rig.engine.GameTimerTimer();
        rig.engine.OnLabelClick(0);
        QCOMPARE(rig.kinds(), QList<AnswerKind>{AnswerKind::Wrong});

        rig.engine.PageControl1Change(0);
        rig.engine.BStartClick();
        rig.engine.GameTimerTimer();
        QCOMPARE(rig.kinds(), (QList<AnswerKind>{AnswerKind::Wrong, AnswerKind::Unanswered}));
    }

    // The learning mode shows every turn's word with its meaning: each turn
    // reports it once, as it starts, and the click that moves on adds nothing.
    void learningTurnsReportShown()
    {
        Rig rig({dictionary(8), dictionary(8, 100)}, ModeLearning);
        rig.engine.BStartClick();
        int turns = 1;
        QStringList shown{rig.activeWord()};
        while (rig.host.current == 0 && turns < 20) {
            if (turns % 2)
                rig.engine.OnLabelClick(0);
            else
                rig.engine.GameTimerTimer();
            if (rig.st().gameState == 2 && rig.active() >= 0) {
                shown << rig.activeWord();
                ++turns;
            }
        }
        QCOMPARE(rig.host.current, 1);
        QCOMPARE(qsizetype(rig.host.answers.size()), shown.size());
        for (std::size_t i = 0; i < rig.host.answers.size(); ++i) {
            QCOMPARE(rig.host.answers[i].kind, AnswerKind::Shown);
            QCOMPARE(rig.host.answers[i].english, shown[static_cast<qsizetype>(i)]);
        }
        // Hints do nothing in this mode, so they report nothing.
        const std::size_t before = rig.host.answers.size();
        rig.engine.N11Click();
        QCOMPARE(rig.host.answers.size(), before);
    }

    void flashModeReportsNothing()
    {
        Rig rig({dictionary(10)}, ModeFlash);
        rig.engine.BStartClick();
        rig.engine.GameTimerTimer();
        rig.engine.OnLabelClick(0);
        rig.engine.N13Click();
        rig.engine.N11Click();
        QCOMPARE(rig.host.events, (QStringList{u"tray"_s, u"flash"_s}));
        QVERIFY(rig.host.answers.empty());
    }

    // The last answer of a dictionary is reported before the game moves on,
    // while its dictionary is still the current one.
    void lastAnswerBelongsToItsDictionary()
    {
        Rig rig({dictionary(6), dictionary(8, 100)});
        rig.engine.BStartClick();
        for (int turn = 0; turn < 6; ++turn)
            rig.answer(true);
        QCOMPARE(rig.host.current, 1);
        QCOMPARE(rig.host.answers.size(), std::size_t(6));
        QCOMPARE(rig.host.dictionaryAtAnswer, std::vector<int>(6, 0));
        for (const AnswerEvent &event : rig.host.answers)
            QVERIFY2(event.english.mid(1).toInt() < 6, qPrintable(event.english));
    }

    // The same clock gives the same deals, turns and hand-overs whether the
    // outcomes are recorded or not.
    void sameGameWithAndWithoutRecording_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("standard") << int(ModeStandard);
        QTest::newRow("learning") << int(ModeLearning);
    }
    void sameGameWithAndWithoutRecording()
    {
        QFETCH(int, mode);
        QStringList pictures[2];
        for (int pass = 0; pass < 2; ++pass) {
            g_now = 1700000000;
            Rig rig({dictionary(9), dictionary(7, 100), dictionary(12, 200)}, mode);
            rig.host.recording = pass == 1;
            rig.engine.BStartClick();
            for (int step = 0; step < 120; ++step) {
                g_now += step % 3;
                switch (step % 5) {
                case 0: rig.answer(true); break;
                case 1: rig.answer(false); break;
                case 2: rig.engine.GameTimerTimer(); break;
                case 3: rig.engine.N11Click(); rig.answer(true); break;
                default: rig.engine.N13Click(); break;
                }
                pictures[pass] << QString::number(rig.host.current) + u' ' + boardPicture(rig.host);
            }
            QCOMPARE(rig.host.answers.empty(), pass == 0);
        }
        QCOMPARE(pictures[1], pictures[0]);
    }
};

QTEST_APPLESS_MAIN(TestAnswerEvents)
#include "tst_answer_events.moc"
