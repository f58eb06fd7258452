#include "fake_game_host.h"

#include "dict/random.h"
#include "game/game_engine.h"

#include <QSet>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::vector<FakeDictionary>)

namespace {

qint64 g_now = 0;

const QString Blocked = u"Все словари заблокированы"_s;
const QString Unchecking = u"Снимаю флажок 'Исключить'"_s;
const QString NothingPlayable = u"Доступных словарей не найдено, или,\nни в одном из обнаруженных словарей,\n"
                                "не найдено необходимого минимума слов\n(минимум 6 слов).\n\n"
                                "Перехожу на закладку 'Словари' ..."_s;

using Timer = GameHost::Timer;

FakeDictionary dictionary(int words, int first = 0)
{
    FakeDictionary d;
    d.lines = numberedLines(words, first);
    return d;
}

FakeDictionary excluded(FakeDictionary d)
{
    d.exclude = true;
    return d;
}

ProcessObjects makeObjects()
{
    ProcessObjects objects;
    objects.state = std::make_unique<PRG_STAT>();
    return objects;
}

// A main window stand-in with its engine, on a folder opened at dictionary start.
struct Rig
{
    explicit Rig(std::vector<FakeDictionary> folder, int start = 0)
        : objects(makeObjects())
        , host(objects)
        , engine(objects, host)
    {
        host.setEngine(&engine);
        host.dictionaries = std::move(folder);
        host.open(start);
        engine.TBGameSpeedChange();
    }

    PRG_STAT &st() { return *objects.state; }
    GWORDW &words() { return *objects.words; }
    int active() const { return host.markedRow(0); }

    // Clicks the meaning of the active word, or another visible meaning.
    void answer(bool right)
    {
        const int rightRow = host.meaningRowFor(active());
        QVERIFY(rightRow >= 0);
        int row = rightRow;
        for (int r = 0; !right && r < 6; ++r) {
            if (r != rightRow && host.meaningVisible[static_cast<std::size_t>(r)])
                row = r;
        }
        QVERIFY(row != rightRow || right);
        engine.OnLabelClick(row);
    }

    // The number K of every word shown ("wK").
    QSet<int> shownWords() const
    {
        QSet<int> numbers;
        for (const QString &caption : host.captions[0])
            numbers << caption.mid(1).toInt();
        return numbers;
    }

    ProcessObjects objects;
    FakeGameHost host;
    GameEngine engine;
};

QSet<int> range(int first, int count)
{
    QSet<int> numbers;
    for (int k = first; k < first + count; ++k)
        numbers << k;
    return numbers;
}

} // namespace

class TestGameEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        g_now = 1700000000;
        Clock::setSource([] { return g_now; });
    }
    void cleanup() { Clock::setSource({}); }

    void sixWordDictionaryShowsAllSixInEveryDeal()
    {
        Rig rig({dictionary(6)});
        rig.engine.BStartClick();
        bool shuffled = false;
        for (int deal = 0; deal < 6; ++deal) {
            QCOMPARE(rig.st().gameState, 2);
            QCOMPARE(rig.shownWords(), range(0, 6));
            QSet<int> meaningRows;
            for (int row = 0; row < 6; ++row) {
                meaningRows << rig.host.meaningRowFor(row);
                shuffled = shuffled || rig.host.meaningRowFor(row) != row;
            }
            QCOMPARE(meaningRows, range(0, 6));

            // Every word of the deal has exactly one turn.
            QSet<int> activeRows;
            for (int turn = 0; turn < 6; ++turn) {
                QCOMPARE(rig.st().turns, turn + 1);
                QVERIFY(rig.active() >= 0);
                activeRows << rig.active();
                if (turn < 5)
                    rig.engine.GameTimerTimer();
            }
            QCOMPARE(activeRows, range(0, 6));
            g_now += 7;
            rig.engine.GameTimerTimer();
        }
        QVERIFY(shuffled);
    }

    void answer_data()
    {
        QTest::addColumn<bool>("right");
        QTest::newRow("right") << true;
        QTest::newRow("wrong") << false;
    }
    void answer()
    {
        QFETCH(bool, right);
        Rig rig({dictionary(10)});
        rig.engine.BStartClick();
        const int before = rig.active();
        const int rightRow = rig.host.meaningRowFor(before);
        rig.answer(right);

        QCOMPARE(rig.st().guessedCount, right ? 1 : 0);
        QCOMPARE(rig.host.meaningVisible[static_cast<std::size_t>(rightRow)], !right);
        QCOMPARE(rig.words().AvailableCount(), right ? 9 : 10);
        QCOMPARE(rig.host.flashBarVisible, right);
        QCOMPARE(rig.host.timer(Timer::Repeat).enabled, right);
        // The click started the next turn, on another word.
        QCOMPARE(rig.st().turns, 2);
        QVERIFY(rig.active() >= 0 && rig.active() != before);

        if (right) {
            QCOMPARE(rig.host.timer(Timer::Repeat).interval, GameEngine::RepeatInterval);
            rig.engine.RepeatTimer();
            QVERIFY(!rig.host.flashBarVisible);
            QVERIFY(!rig.host.timer(Timer::Repeat).enabled);
            QCOMPARE(rig.engine.repeatTag(), 0);
        }
    }

    void seventhTurnFillsNewDeal()
    {
        Rig rig({dictionary(12)});
        rig.engine.BStartClick();
        const int learnt = rig.host.captions[0][static_cast<std::size_t>(rig.active())].mid(1).toInt();
        rig.answer(true);
        for (int i = 0; i < 4; ++i)
            rig.engine.N13Click();
        QCOMPARE(rig.st().turns, 6);

        g_now += 3;
        rig.engine.N13Click();
        QCOMPARE(rig.st().gameState, 2);
        QCOMPARE(rig.st().turns, 1);
        QCOMPARE(std::count(rig.host.meaningVisible.begin(), rig.host.meaningVisible.end(), true), 6);
        int wasActive = 0;
        for (const BoardSlot &slot : rig.st().slots)
            wasActive += slot.wasActive;
        QCOMPARE(wasActive, 1);
        QVERIFY(!rig.shownWords().contains(learnt));
        QCOMPARE(rig.shownWords().size(), 6);
    }

    void endOfDeal_data()
    {
        QTest::addColumn<int>("wordCount");
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("byTimer");
        QTest::addColumn<bool>("movesOn");
        QTest::newRow("six words, wrong answers") << 6 << false << false << true;
        QTest::newRow("six words, right answers") << 6 << true << false << true;
        QTest::newRow("six words, turns end by the timer") << 6 << false << true << false;
        QTest::newRow("twelve words, all right") << 12 << true << false << true;
        QTest::newRow("thirteen words, all right") << 13 << true << false << false;
    }
    void endOfDeal()
    {
        QFETCH(int, wordCount);
        QFETCH(bool, right);
        QFETCH(bool, byTimer);
        QFETCH(bool, movesOn);
        Rig rig({dictionary(wordCount), dictionary(8, 100)});
        rig.engine.BStartClick();
        for (int turn = 0; turn < 6; ++turn) {
            if (byTimer)
                rig.engine.GameTimerTimer();
            else
                rig.answer(right);
        }
        QCOMPARE(rig.st().gameState, 2);
        QCOMPARE(rig.st().turns, 1);
        QVERIFY(rig.host.messages.isEmpty());
        if (movesOn) {
            QCOMPARE(rig.host.current, 1);
            QVERIFY(range(100, 8).contains(rig.shownWords()));
            QCOMPARE(rig.st().guessedCount, 0);
        } else {
            QCOMPARE(rig.host.current, 0);
            QVERIFY(range(0, wordCount).contains(rig.shownWords()));
            QCOMPARE(rig.st().guessedCount, right ? 6 : 0);
        }
    }

    void startOnExcludedDictionaryShowsNoneOfItsWords()
    {
        Rig rig({excluded(dictionary(8)), dictionary(8, 100)});
        rig.engine.BStartClick();
        QCOMPARE(rig.host.current, 1);
        QCOMPARE(rig.st().gameState, 2);
        QVERIFY(rig.host.messages.isEmpty());
        for (const QString &caption : std::as_const(rig.host.wordCaptionHistory))
            QVERIFY2(caption.isEmpty() || caption.mid(1).toInt() >= 100, qPrintable(caption));
    }

    void learningMode()
    {
        Rig rig({dictionary(8), dictionary(8, 100)});
        rig.st().mode = ModeLearning;
        rig.engine.BStartClick();
        for (int turn = 1; rig.host.current == 0; ++turn) {
            QVERIFY2(turn <= 8, "the learning mode never used the dictionary up");
            const int rightRow = rig.host.meaningRowFor(rig.active());
            QCOMPARE(rig.host.markedRow(1), rightRow);
            QCOMPARE(rig.words().AvailableCount(), 8 - turn);

            // No hint, no hover, and the background leaves the right meaning shown.
            rig.engine.N11Click();
            rig.engine.OnLabelMouseMove((rightRow + 1) % 6);
            rig.engine.BackgroundMouseMove();
            QCOMPARE(rig.host.markedRow(1), rightRow);
            QCOMPARE(rig.words().AvailableCount(), 8 - turn);

            rig.engine.OnLabelClick((rightRow + 1) % 6);
            QCOMPARE(rig.st().guessedCount, 0);
            QCOMPARE(std::count(rig.host.meaningVisible.begin(), rig.host.meaningVisible.end(), true), 6);
        }
        QCOMPARE(rig.st().gameState, 2);
        QVERIFY(range(100, 8).contains(rig.shownWords()));
    }

    void hint()
    {
        Rig rig({dictionary(10)});
        rig.engine.N11Click();
        QCOMPARE(rig.host.markedRow(1), -1);

        rig.engine.BStartClick();
        const int rightRow = rig.host.meaningRowFor(rig.active());
        const int focus = rig.host.focusCount;
        rig.engine.Button4Click();
        QCOMPARE(rig.host.focusCount, focus + 1);
        QCOMPARE(rig.host.markedRow(1), rightRow);
        QCOMPARE(rig.words().AvailableCount(), 9);
        QCOMPARE(rig.st().guessedCount, 0);
        QCOMPARE(rig.st().turns, 1);

        // The word has left the pool once, whatever follows.
        rig.engine.Button4Click();
        QCOMPARE(rig.words().AvailableCount(), 9);
        rig.answer(true);
        QCOMPARE(rig.st().guessedCount, 1);
        QCOMPARE(rig.words().AvailableCount(), 9);
    }

    void hover_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("highlights");
        QTest::addColumn<bool>("backgroundRepaints");
        QTest::newRow("standard, running") << int(ModeStandard) << true << true << true;
        QTest::newRow("standard, stopped") << int(ModeStandard) << false << false << true;
        QTest::newRow("learning, running") << int(ModeLearning) << true << false << false;
        QTest::newRow("flash") << int(ModeFlash) << false << false << true;
    }
    void hover()
    {
        QFETCH(int, mode);
        QFETCH(bool, running);
        QFETCH(bool, highlights);
        QFETCH(bool, backgroundRepaints);
        Rig rig({dictionary(10)});
        rig.st().mode = mode;
        if (running)
            rig.engine.BStartClick();
        rig.host.PaintColumn(1, false);
        rig.host.MarkActive(1, 0);

        rig.engine.OnLabelMouseMove(4);
        QCOMPARE(rig.host.markedRow(1), highlights ? 4 : 0);
        rig.engine.BackgroundMouseMove();
        QCOMPARE(rig.host.markedRow(1), backgroundRepaints ? -1 : (highlights ? 4 : 0));
    }

    void gameTimerSetting_data()
    {
        QTest::addColumn<int>("timerOn");
        QTest::newRow("timer on") << 1;
        QTest::newRow("timer off") << 0;
    }
    void gameTimerSetting()
    {
        QFETCH(int, timerOn);
        Rig rig({dictionary(10)});
        rig.st().timerOn = timerOn;
        rig.engine.BStartClick();
        QCOMPARE(rig.host.timer(Timer::Game).enabled, timerOn == 1);
        QVERIFY(rig.host.timer(Timer::Progress).enabled);
        QCOMPARE(rig.host.progress.background, timerOn ? ProgressBarModel::Background::Running
                                                        : ProgressBarModel::Background::Window);
        for (int tick = 0; tick < 3; ++tick) {
            rig.engine.ProgressTimerTimer();
            QCOMPARE(rig.host.progress.enabled, timerOn == 1);
        }
        QCOMPARE(rig.host.progress.position, timerOn ? 4 * 65 : 0);

        rig.engine.N13Click();
        QCOMPARE(rig.host.timer(Timer::Game).enabled, timerOn == 1);
        QCOMPARE(rig.host.progress.position, timerOn ? 65 : 0);

        rig.engine.BStartClick();
        QVERIFY(!rig.host.timer(Timer::Game).enabled);
        QVERIFY(!rig.host.timer(Timer::Progress).enabled);
        QCOMPARE(rig.host.progress.position, 0);
        QCOMPARE(rig.host.progress.background, ProgressBarModel::Background::Window);
    }

    void manualTurnGetsFullInterval()
    {
        Rig rig({dictionary(10)});
        rig.engine.BStartClick();
        const int starts = rig.host.timer(Timer::Game).starts;
        rig.engine.Button3Click();
        QVERIFY(rig.host.timer(Timer::Game).enabled);
        QCOMPARE(rig.host.timer(Timer::Game).starts, starts + 1);
        rig.answer(false);
        QCOMPARE(rig.host.timer(Timer::Game).starts, starts + 2);
    }

    void manualTurnThatEndsTheGameLeavesTimerOff()
    {
        Rig rig({dictionary(6)});
        rig.engine.BStartClick();
        rig.engine.N11Click(); // five words left in the pool
        for (int i = 0; i < 5; ++i)
            rig.engine.N13Click();
        // Meanwhile the file has shrunk below a deal.
        rig.host.dictionaries[0].lines = numberedLines(3);
        rig.engine.N13Click();
        QCOMPARE(rig.host.messages, QStringList{NothingPlayable});
        QCOMPARE(rig.st().gameState, 0);
        QVERIFY(!rig.host.timer(Timer::Game).enabled);
        QVERIFY(!rig.host.timer(Timer::Progress).enabled);
    }

    void speedTable_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::newRow("fastest") << 11000 << 2000 << 200 << 20;
        QTest::newRow("default") << 6500 << 6500 << 650 << 65;
        QTest::newRow("slowest") << 2000 << 11000 << 1100 << 110;
        QTest::newRow("one step off default") << 7100 << 5900 << 590 << 59;
    }
    void speedTable()
    {
        QFETCH(int, position);
        QFETCH(int, interval);
        QFETCH(int, maximum);
        QFETCH(int, step);
        Rig rig({dictionary(10)});
        rig.host.speed = position;
        rig.engine.TBGameSpeedChange();
        QCOMPARE(rig.host.timer(Timer::Game).interval, interval);
        QCOMPARE(rig.host.timer(Timer::Progress).interval, maximum);
        QCOMPARE(rig.host.progress.maximum, maximum);
        QCOMPARE(rig.host.progress.step, step);
        QCOMPARE(rig.host.progress.position, 0);
        QVERIFY(!rig.host.timer(Timer::Game).enabled);
    }

    void speedChangeDuringGameKeepsDeal()
    {
        Rig rig({dictionary(10)});
        rig.engine.BStartClick();
        rig.engine.ProgressTimerTimer();
        const auto captions = rig.host.captions;
        const int gameStarts = rig.host.timer(Timer::Game).starts;
        const int progressStarts = rig.host.timer(Timer::Progress).starts;

        rig.host.speed = 11000;
        rig.engine.TBGameSpeedChange();
        QCOMPARE(rig.host.captions, captions);
        QCOMPARE(rig.st().turns, 1);
        QCOMPARE(rig.host.timer(Timer::Game).interval, 2000);
        QCOMPARE(rig.host.timer(Timer::Game).starts, gameStarts + 1);
        QCOMPARE(rig.host.timer(Timer::Progress).starts, progressStarts + 1);
        QCOMPARE(rig.host.progress.position, 20);
    }

    void progressBarWrapsAfterMaximum()
    {
        Rig rig({dictionary(10)});
        rig.engine.BStartClick();
        QCOMPARE(rig.host.progress.position, 65);
        for (int tick = 0; tick < 9; ++tick)
            rig.engine.ProgressTimerTimer();
        QCOMPARE(rig.host.progress.position, 650);
        rig.engine.ProgressTimerTimer();
        QCOMPARE(rig.host.progress.position, 0);
    }

    // A press steps once; held, the arrow repeats after its delay; the
    // release adds nothing.
    void speedArrows()
    {
        Rig rig({dictionary(10)});
        rig.engine.Image4MouseDown(2);
        QCOMPARE(rig.st().speedArrow, 3);
        QCOMPARE(rig.host.speed, 7100);
        QCOMPARE(rig.host.timer(Timer::Game).interval, 5900);
        QVERIFY(rig.host.timer(Timer::Repeat).enabled);
        QCOMPARE(rig.host.timer(Timer::Repeat).interval, 400);
        rig.engine.RepeatTimer();
        QCOMPARE(rig.host.timer(Timer::Repeat).interval, 50);
        rig.engine.RepeatTimer();
        QCOMPARE(rig.host.speed, 8300);
        QCOMPARE(rig.host.timer(Timer::Game).interval, 4700);
        rig.engine.Image4MouseUp(2);
        QCOMPARE(rig.host.speed, 8300);
        QVERIFY(!rig.host.timer(Timer::Repeat).enabled);

        rig.engine.Image4MouseDown(0);
        QCOMPARE(rig.st().speedArrow, 1);
        rig.engine.Image4MouseUp(0);
        QCOMPARE(rig.host.speed, 7700);
        QCOMPARE(rig.host.timer(Timer::Game).interval, 5300);

        rig.host.speed = 11000;
        rig.engine.Image4MouseDown(2);
        rig.engine.Image4MouseUp(2);
        QCOMPARE(rig.host.speed, 11000);
        QCOMPARE(rig.host.timer(Timer::Game).interval, 2000);
    }

    void releasingSpeedArrowEndsRightAnswerFlash()
    {
        Rig rig({dictionary(10)});
        rig.engine.BStartClick();
        rig.answer(true);
        QVERIFY(rig.host.flashBarVisible);
        rig.engine.Image4MouseDown(0);
        rig.engine.Image4MouseUp(0);
        QVERIFY(!rig.host.timer(Timer::Repeat).enabled);
        QVERIFY(!rig.host.flashBarVisible);
        QCOMPARE(rig.engine.repeatTag(), 0);
    }

    void doneSkipsExcludedAndShortDictionaries()
    {
        Rig rig({dictionary(6), excluded(dictionary(10, 100)), dictionary(3, 200), dictionary(8, 300)});
        rig.engine.BStartClick();
        for (int turn = 0; turn < 6; ++turn)
            rig.answer(false);
        QVERIFY(rig.host.messages.isEmpty());
        QCOMPARE(rig.host.current, 3);
        QCOMPARE(rig.st().gameState, 2);
        QVERIFY(range(300, 8).contains(rig.shownWords()));
        QVERIFY(rig.host.dictionaries[1].exclude);
        QVERIFY(rig.host.dictionaries[2].exclude); // too short: excluded for good
        QVERIFY(!rig.host.dictionaries[3].exclude);
    }

    void everyDictionaryExcluded_data()
    {
        QTest::addColumn<std::vector<FakeDictionary>>("folder");
        QTest::newRow("three, one of them short")
            << std::vector<FakeDictionary>{excluded(dictionary(8)), dictionary(3, 100), excluded(dictionary(8, 200))};
        QTest::newRow("a single dictionary") << std::vector<FakeDictionary>{excluded(dictionary(8))};
    }
    void everyDictionaryExcluded()
    {
        QFETCH(std::vector<FakeDictionary>, folder);
        Rig rig(folder);
        rig.engine.BStartClick();
        QCOMPARE(rig.host.messages, (QStringList{Blocked, Unchecking}));
        const auto &played = rig.host.dictionaries[static_cast<std::size_t>(rig.host.current)];
        QCOMPARE(played.status(), 1);
        QVERIFY(!played.exclude);
        QVERIFY(!rig.host.ExcludeChecked());
        int stillExcluded = 0;
        for (const FakeDictionary &d : rig.host.dictionaries)
            stillExcluded += d.exclude;
        QCOMPARE(stillExcluded, static_cast<int>(folder.size()) - 1);
        QCOMPARE(rig.st().gameState, 2);
        QCOMPARE(rig.shownWords().size(), 6);
        QVERIFY(range(rig.host.current * 100, 8).contains(rig.shownWords()));
    }

    void noPlayableDictionary_data()
    {
        QTest::addColumn<std::vector<FakeDictionary>>("folder");
        QTest::newRow("all short") << std::vector<FakeDictionary>{dictionary(3), dictionary(5, 100), dictionary(0, 200)};
        QTest::newRow("one short dictionary") << std::vector<FakeDictionary>{dictionary(4)};
        QTest::newRow("short and excluded")
            << std::vector<FakeDictionary>{dictionary(2), excluded(dictionary(5, 100))};
    }
    void noPlayableDictionary()
    {
        QFETCH(std::vector<FakeDictionary>, folder);
        Rig rig(folder);
        rig.engine.BStartClick();
        QCOMPARE(rig.host.messages, QStringList{NothingPlayable});
        QCOMPARE(rig.host.page, 1);
        QCOMPARE(rig.st().gameState, 0);
        QVERIFY(rig.host.boardEmpty());
        QCOMPARE(rig.host.startCaption, u"Запуск"_s);
        QVERIFY(!rig.host.turnButtonsEnabled);
        QVERIFY(!rig.host.gameControlsEnabled);
        QVERIFY(!rig.host.turnButtonsVisible);
        QVERIFY(!rig.host.timer(Timer::Game).enabled);
        for (const FakeDictionary &d : rig.host.dictionaries)
            QVERIFY(d.exclude);
    }

    // Folders in which every dictionary looks playable but none can fill a deal.
    void handOverIsBounded_data()
    {
        FakeDictionary unreadable = dictionary(10);
        unreadable.statusOverride = -1;
        FakeDictionary noDraws = dictionary(8);
        noDraws.drawsFail = true;
        FakeDictionary fewWords = dictionary(3);
        fewWords.statusOverride = 1;
        FakeDictionary repeatedUnreadable = unreadable;
        repeatedUnreadable.repeat = true;

        QTest::addColumn<std::vector<FakeDictionary>>("folder");
        QTest::addColumn<int>("scan");
        QTest::newRow("unreadable") << std::vector<FakeDictionary>(3, unreadable) << -2;
        QTest::newRow("draws fail") << std::vector<FakeDictionary>(3, noDraws) << -2;
        QTest::newRow("status without words") << std::vector<FakeDictionary>(4, fewWords) << -2;
        QTest::newRow("one dictionary, draws fail") << std::vector<FakeDictionary>{noDraws} << -2;
        QTest::newRow("repeat on unreadable")
            << std::vector<FakeDictionary>{repeatedUnreadable, unreadable} << -2;
        QTest::newRow("folder cannot be read") << std::vector<FakeDictionary>{noDraws, noDraws} << -1;
    }
    void handOverIsBounded()
    {
        QFETCH(std::vector<FakeDictionary>, folder);
        QFETCH(int, scan);
        Rig rig(folder);
        if (scan != -2)
            rig.host.scanOverride = scan;
        rig.engine.BStartClick();
        QCOMPARE(rig.host.messages, QStringList{NothingPlayable});
        QCOMPARE(rig.host.page, 1);
        QCOMPARE(rig.st().gameState, 0);
        QVERIFY(rig.host.boardEmpty());
        QVERIFY(!rig.host.timer(Timer::Game).enabled);
        QVERIFY(!rig.host.timer(Timer::Progress).enabled);
        const int n = static_cast<int>(folder.size());
        QVERIFY2(rig.host.nextSteps <= 3 * n + 3, qPrintable(QString::number(rig.host.nextSteps)));
    }

    void repeatRestartsSameDictionary()
    {
        FakeDictionary repeated = dictionary(6);
        repeated.repeat = true;
        Rig rig({repeated, dictionary(8, 100)});
        rig.engine.BStartClick();
        for (int turn = 0; turn < 5; ++turn)
            rig.answer(true);
        QCOMPARE(rig.st().guessedCount, 5);
        rig.answer(true);
        QCOMPARE(rig.host.current, 0);
        QCOMPARE(rig.host.nextSteps, 0);
        QCOMPARE(rig.st().guessedCount, 0);
        QCOMPARE(rig.words().AvailableCount(), 6);
        QCOMPARE(rig.st().gameState, 2);
        QCOMPARE(rig.shownWords(), range(0, 6));
    }

    void stopKeepsScoreAndPool()
    {
        Rig rig({dictionary(10)});
        rig.engine.BStartClick();
        QCOMPARE(rig.host.startCaption, u"Стоп"_s);
        QVERIFY(rig.host.turnButtonsEnabled);
        rig.answer(true);
        rig.engine.BStartClick();
        QCOMPARE(rig.st().gameState, 0);
        QCOMPARE(rig.host.startCaption, u"Запуск"_s);
        QVERIFY(!rig.host.turnButtonsEnabled);
        QVERIFY(rig.host.boardEmpty());
        QCOMPARE(rig.st().guessedCount, 1);
        QCOMPARE(rig.words().AvailableCount(), 9);

        // Clicks and turns of a stopped game do nothing.
        rig.engine.OnLabelClick(0);
        rig.engine.GameTimerTimer();
        rig.engine.N13Click();
        QVERIFY(rig.host.boardEmpty());
        QCOMPARE(rig.st().turns, 0);

        rig.engine.BStartClick();
        QCOMPARE(rig.st().gameState, 2);
        QCOMPARE(rig.st().guessedCount, 1);
    }

    void leavingGameTabStopsGame()
    {
        Rig rig({dictionary(10)});
        rig.engine.PageControl1Change(0);
        rig.engine.BStartClick();
        rig.engine.PageControl1Change(1);
        QCOMPARE(rig.st().gameState, 0);
        QVERIFY(rig.host.boardEmpty());
        QVERIFY(!rig.host.timer(Timer::Game).enabled);
        QVERIFY(!rig.host.timer(Timer::Progress).enabled);
        QVERIFY(!rig.host.gameControlsEnabled);
        QVERIFY(!rig.host.turnButtonsVisible);
        QCOMPARE(rig.host.aboutMemoHides, 2);

        rig.engine.PageControl1Change(0);
        QVERIFY(rig.host.gameControlsEnabled);
        QVERIFY(rig.host.turnButtonsVisible);
        QCOMPARE(rig.st().gameState, 0);
        QVERIFY(rig.host.boardEmpty());
        QCOMPARE(rig.host.aboutMemoHides, 3);
    }

    void menuStartAndStop()
    {
        Rig rig({dictionary(10)});
        rig.engine.N3Click(1);
        QCOMPARE(rig.st().gameState, 0);
        rig.engine.N3Click(0);
        QCOMPARE(rig.st().gameState, 2);
        rig.engine.N3Click(0);
        QCOMPARE(rig.st().gameState, 2);
        rig.engine.N3Click(1);
        QCOMPARE(rig.st().gameState, 0);
    }

    void flashModeNeverStartsGame()
    {
        Rig rig({dictionary(10)});
        rig.st().mode = ModeFlash;
        rig.st().guessedCount = 4;
        rig.words().MarkUsed(rig.words().Word(0));
        rig.engine.BStartClick();
        QCOMPARE(rig.host.events, (QStringList{u"tray"_s, u"flash"_s}));
        QCOMPARE(rig.st().gameState, 0);
        QCOMPARE(rig.st().guessedCount, 0);
        QCOMPARE(rig.words().AvailableCount(), 10);

        rig.engine.N3Click(1);
        QCOMPARE(rig.host.events.size(), 2);
        rig.engine.N3Click(0);
        QCOMPARE(rig.host.events.size(), 4);
        QCOMPARE(rig.st().gameState, 0);
    }
};

QTEST_APPLESS_MAIN(TestGameEngine)
#include "tst_game_engine.moc"
