#include "game/game_engine.h"

#include "app/process_objects.h"
#include "dict/random.h"
#include "dict/word_store.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int BoardRows = 6;
constexpr int WordColumn = 0;
constexpr int MeaningColumn = 1;
constexpr int ShuffleSwaps = 100;
constexpr int ActiveRowDraws = 10001;
constexpr qint64 ActiveRowRange = 252514;

} // namespace

GameEngine::GameEngine(ProcessObjects &objects, GameHost &host)
    : m_objects(objects)
    , m_host(host)
{
}

GWORDW *GameEngine::store() const
{
    return m_objects.words.get();
}

// A dictionary the hand-over may try: not excluded, and not too short by its load status.
bool GameEngine::Playable() const
{
    return !m_host.ExcludeChecked() && m_host.CurrentDictionaryStatus() != 0;
}

void GameEngine::BStartClick()
{
    PRG_STAT &st = *m_objects.state;
    if (st.mode == ModeFlash) {
        if (GWORDW *words = store())
            words->MarkAllAvailable();
        st.guessedCount = 0;
        m_host.RefreshStatus();
        m_host.MinimiseToTray();
        m_host.RunFlashWindow();
        return;
    }
    StartStop();
}

void GameEngine::StartStop()
{
    if (m_objects.state->gameState != 0)
        StopSteps();
    else
        StartSteps();
    if (m_objects.state->gameState != 0)
        GameTimerTimer();
    m_host.FocusPageControl();
    m_host.RefreshStatus();
}

void GameEngine::StartSteps()
{
    m_host.SetStartCaption(u"Стоп"_s);
    m_host.SetTurnButtonsEnabled(true);
    if (m_objects.state->timerOn) {
        m_host.SetTimerEnabled(GameHost::Timer::Game, true);
        m_progress.background = ProgressBarModel::Background::Running;
        PushProgress();
    }
    m_objects.state->gameState = 1;
}

void GameEngine::StopSteps()
{
    m_host.SetStartCaption(u"Запуск"_s);
    m_host.SetTurnButtonsEnabled(false);
    m_host.SetTimerEnabled(GameHost::Timer::Game, false);
    m_progress.position = 0;
    m_host.SetTimerEnabled(GameHost::Timer::Progress, false);
    m_progress.background = ProgressBarModel::Background::Window;
    PushProgress();
    ResetBoard();
    m_objects.state->gameState = 0;
}

void GameEngine::StopIfRunning()
{
    if (m_objects.state->gameState != 0)
        StartStop();
}

void GameEngine::N3Click(int tag)
{
    const int state = m_objects.state->gameState;
    if ((tag == 0 && state == 0) || (tag == 1 && state >= 1))
        BStartClick();
}

void GameEngine::GameTimerTimer()
{
    PRG_STAT &st = *m_objects.state;
    // A tick that arrives after the game has stopped has no deal to play.
    if (st.gameState == 0)
        return;
    // The turn on the board ends here without an answer.
    EndTurn(AnswerKind::Unanswered);

    if (st.gameState == 1) {
        ClearRound();
        // -1: DictionaryDone has already stopped, reset or restarted the game.
        if (FillBoard() == -1)
            return;
        st.gameState = 2;
        m_host.SetTimerEnabled(GameHost::Timer::Progress, true);
    }

    if (st.turns >= BoardRows) {
        st.gameState = 1;
        GameTimerTimer();
        return;
    }

    for (int draw = 0; draw < ActiveRowDraws; ++draw) {
        const int row = static_cast<int>(RandomBelow(ActiveRowRange) % BoardRows);
        st.activeSlot = row;
        if (st.slots[static_cast<std::size_t>(row)].wasActive != 1) {
            st.slots[static_cast<std::size_t>(row)].wasActive = 1;
            break;
        }
    }

    m_host.PaintColumn(WordColumn, false);
    m_host.PaintColumn(MeaningColumn, false);
    m_host.MarkActive(WordColumn, st.activeSlot);

    if (st.mode == ModeLearning) {
        ShowRightMeaning();
        ReportActiveWord(AnswerKind::Shown);
    } else {
        m_turnOpen = true;
    }

    ++st.turns;
    m_progress.position = 0;
    ProgressTimerTimer();
}

// Marks the meaning labels of the active word and takes the word out of the pool.
void GameEngine::ShowRightMeaning()
{
    const PRG_STAT &st = *m_objects.state;
    for (int row = 0; row < BoardRows; ++row) {
        if (st.slots[static_cast<std::size_t>(row)].meaningOf == st.activeSlot) {
            m_host.MarkActive(MeaningColumn, row);
            if (GWORDW *words = store())
                MarkLearnt(words->roundWords[static_cast<std::size_t>(st.activeSlot)]);
        }
    }
}

// A word leaves the pool once: a hint followed by the right answer, or a
// second hint, must not lower the available count again.
void GameEngine::MarkLearnt(BWORDW *word)
{
    GWORDW *words = store();
    if (words && word && word->used == 0)
        words->MarkUsed(word);
}

void GameEngine::EndTurn(AnswerKind kind)
{
    if (!m_turnOpen)
        return;
    m_turnOpen = false;
    ReportActiveWord(kind);
}

void GameEngine::ReportActiveWord(AnswerKind kind)
{
    const GWORDW *words = store();
    const BWORDW *word = words ? words->roundWords[static_cast<std::size_t>(m_objects.state->activeSlot)] : nullptr;
    if (!word)
        return;
    AnswerEvent event;
    event.english = word->FieldText(0);
    for (int field = 1; field <= 3; ++field)
        event.meanings[static_cast<std::size_t>(field - 1)] = word->FieldText(field);
    event.kind = kind;
    m_host.RecordAnswer(event);
}

void GameEngine::ManualTurn()
{
    const bool timed = m_host.TimerEnabled(GameHost::Timer::Game);
    m_host.SetTimerEnabled(GameHost::Timer::Game, false);
    GameTimerTimer();
    // The turn may have ended the game (no playable dictionary left); a
    // stopped game keeps its timer off.
    if (timed && m_objects.state->gameState != 0)
        m_host.SetTimerEnabled(GameHost::Timer::Game, true);
}

void GameEngine::OnLabelClick(int row)
{
    PRG_STAT &st = *m_objects.state;
    if (row < 0 || row >= BoardRows)
        return;
    if (st.mode == ModeLearning) {
        N13Click();
        return;
    }
    if (st.gameState <= 0 || st.mode != ModeStandard)
        return;

    const bool right = st.slots[static_cast<std::size_t>(row)].meaningOf == st.activeSlot;
    EndTurn(right ? AnswerKind::Right : AnswerKind::Wrong);
    if (right) {
        m_host.HideMeaning(row);
        ++st.guessedCount;
        m_host.SetFlashBarVisible(true);
        m_repeatTag = 1;
        m_host.SetTimerInterval(GameHost::Timer::Repeat, RepeatInterval);
        m_host.SetTimerEnabled(GameHost::Timer::Repeat, true);
        m_host.RefreshStatus();
        if (GWORDW *words = store())
            MarkLearnt(words->roundWords[static_cast<std::size_t>(st.activeSlot)]);
    }

    const GWORDW *words = store();
    const int available = words ? words->AvailableCount() : 0;
    if (available > BoardRows || st.turns < BoardRows)
        ManualTurn();
    else
        DictionaryDone();
}

void GameEngine::N13Click()
{
    if (m_objects.state->gameState >= 1)
        ManualTurn();
}

void GameEngine::Button3Click()
{
    N13Click();
    m_host.FocusPageControl();
}

void GameEngine::N11Click()
{
    const PRG_STAT &st = *m_objects.state;
    if (st.gameState < 1 || st.mode != ModeStandard)
        return;
    // A hinted turn counts as a hint, whatever the click after it.
    EndTurn(AnswerKind::Hint);
    m_host.PaintColumn(MeaningColumn, false);
    ShowRightMeaning();
}

void GameEngine::Button4Click()
{
    N11Click();
    m_host.FocusPageControl();
}

int GameEngine::FillBoard()
{
    PRG_STAT &st = *m_objects.state;
    ResetBoard();

    GWORDW *words = store();
    if (!words || words->AvailableCount() < BoardRows) {
        DictionaryDone();
        return -1;
    }

    for (int i = 0; i < BoardRows; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        BWORDW *word = words->DrawWord();
        words->roundWords[slot] = word;
        if (!word || m_host.ExcludeChecked()) {
            DictionaryDone();
            return -1;
        }
        words->wordCaptions[slot] = word->FieldText(0);
        words->meaningCaptions[slot] = QString(word->FieldText(1) + u'\n' + word->FieldText(2));
        st.slots[slot].meaningOf = i;
    }

    for (int swap = 0; swap < ShuffleSwaps; ++swap) {
        const qint64 a = RandomBelow(Clock::nowSeconds());
        const qint64 b = RandomBelow(Clock::nowSeconds());
        const auto x = static_cast<std::size_t>(RandomBelow(a) % BoardRows);
        const auto y = static_cast<std::size_t>(RandomBelow(b) % BoardRows);
        std::swap(st.slots[x].meaningOf, st.slots[y].meaningOf);
    }

    for (int j = 0; j < BoardRows; ++j) {
        const auto slot = static_cast<std::size_t>(j);
        words->MarkAvailable(words->roundWords[slot]);
        m_host.SetCaption(WordColumn, j, words->wordCaptions[slot]);
        const auto meaningOf = static_cast<std::size_t>(st.slots[slot].meaningOf);
        m_host.SetCaption(MeaningColumn, j, words->meaningCaptions[meaningOf]);
    }
    return 1;
}

void GameEngine::ClearRound()
{
    m_turnOpen = false;
    PRG_STAT &st = *m_objects.state;
    st.slots.fill(BoardSlot{});
    st.activeSlot = 0;
    st.turns = 0;
}

void GameEngine::ResetBoard()
{
    m_host.ResetBoardView();
    ClearRound();
}

void GameEngine::ResetGame()
{
    m_objects.state->guessedCount = 0;
    if (GWORDW *words = store())
        words->MarkAllAvailable();
    ClearRound();
}

void GameEngine::DictionaryDone()
{
    // FillBoard calls back here when the dictionary the hand-over has just
    // chosen cannot fill a deal. The running hand-over then walks on by
    // itself, so a folder in which no dictionary can be played ends after a
    // bounded number of steps instead of nesting without end.
    if (m_handingOver) {
        m_dealFailed = true;
        return;
    }
    m_handingOver = true;
    m_visits = 0;
    HandOver();
    m_handingOver = false;
}

void GameEngine::HandOver()
{
    const int n = m_host.ScanDictionaries();
    StopIfRunning();
    ResetGame();
    m_host.RefreshStatus();

    if (m_host.RepeatChecked() && m_host.CurrentDictionaryStatus() != 0) {
        if (PlayCurrent(false))
            return;
        // The same dictionary cannot fill a deal: go on to the next one.
    }

    m_host.NextDictionary();
    int failedDeals = 0;
    for (;;) {
        while (!Playable()) {
            if (!StepDictionary(n))
                return;
        }
        if (PlayCurrent(true))
            return;
        if (++failedDeals > n) {
            GiveUp();
            return;
        }
        if (!StepDictionary(n))
            return;
    }
}

// Starts the game on the current dictionary; false, with the game stopped,
// when it cannot fill a deal.
bool GameEngine::PlayCurrent(bool probeDeal)
{
    m_dealFailed = false;
    if (probeDeal) {
        if (FillBoard() != 1) {
            StopIfRunning();
            return false;
        }
        m_host.RefreshStatus();
    }
    if (m_objects.state->gameState == 0)
        StartStop(); // its first turn fills the deal again
    if (m_dealFailed) {
        StopIfRunning();
        return false;
    }
    return true;
}

// One step of the walk over the folder; false once the walk has given up.
bool GameEngine::StepDictionary(int dictionaryCount)
{
    const int n = dictionaryCount;
    m_host.NextDictionary();
    // Too short to ever fill a deal: the game passes over it from now on.
    if (m_host.CurrentDictionaryStatus() == 0 && !m_host.ExcludeChecked())
        m_host.SetExcludeChecked(true);
    ++m_visits;
    if (m_visits > n + 1 && m_host.CurrentDictionaryStatus() != 0 && m_host.ExcludeChecked()) {
        m_host.ShowInformation(u"Все словари заблокированы"_s);
        m_host.ShowInformation(u"Снимаю флажок 'Исключить'"_s);
        m_host.SetExcludeChecked(false);
    }
    // A dictionary just un-excluded above is played, even on the last step.
    if (m_visits > 2 * n && !Playable()) {
        GiveUp();
        return false;
    }
    return true;
}

void GameEngine::GiveUp()
{
    StopIfRunning();
    m_host.ShowInformation(u"Доступных словарей не найдено, или,\n"
                           "ни в одном из обнаруженных словарей,\n"
                           "не найдено необходимого минимума слов\n"
                           "(минимум 6 слов).\n\n"
                           "Перехожу на закладку 'Словари' ..."_s);
    m_host.ShowDictionariesTab();
    StopIfRunning();
}

void GameEngine::TBGameSpeedChange()
{
    const bool gameTimer = m_host.TimerEnabled(GameHost::Timer::Game);
    const bool progressTimer = m_host.TimerEnabled(GameHost::Timer::Progress);
    m_host.SetTimerEnabled(GameHost::Timer::Game, false);
    m_host.SetTimerEnabled(GameHost::Timer::Progress, false);

    const int position = std::clamp(m_host.SpeedPosition(), SpeedMin, SpeedMax);
    const int interval = std::abs(position - SpeedMax) + SpeedMin;
    m_host.SetTimerInterval(GameHost::Timer::Game, interval);

    m_progress.maximum = interval / 10;
    m_host.SetTimerInterval(GameHost::Timer::Progress, m_progress.maximum);
    m_progress.step = (m_progress.maximum - m_progress.minimum) / 10;
    m_progress.position = 0;
    if (m_objects.state->gameState != 0)
        ProgressTimerTimer();
    else
        PushProgress();

    m_host.SetTimerEnabled(GameHost::Timer::Game, gameTimer);
    m_host.SetTimerEnabled(GameHost::Timer::Progress, progressTimer);
}

void GameEngine::ProgressTimerTimer()
{
    if (m_objects.state->timerOn) {
        m_progress.enabled = true;
        m_progress.position += m_progress.step;
        if (m_progress.position > m_progress.maximum)
            m_progress.position = m_progress.minimum;
    } else {
        m_progress.enabled = false;
    }
    PushProgress();
}

void GameEngine::PushProgress()
{
    m_host.UpdateProgressBar(m_progress);
}

void GameEngine::RepeatTimer()
{
    if (m_repeatTag == 1) {
        m_host.SetFlashBarVisible(false);
        m_host.SetTimerEnabled(GameHost::Timer::Repeat, false);
        m_repeatTag = 0;
        return;
    }
    // The first tick ends the delay; the arrow repeats at its own pace.
    m_host.SetTimerInterval(GameHost::Timer::Repeat, RepeatInterval);
    stepSpeed(m_objects.state->speedArrow == 1 ? -SpeedStep : SpeedStep);
}

void GameEngine::PageControl1Change(int pageIndex)
{
    if (pageIndex == 0) {
        m_host.SetGameControlsEnabled(true);
        m_host.SetTurnButtonsVisible(true);
    } else {
        StopIfRunning();
        m_host.SetGameControlsEnabled(false);
        m_host.SetTurnButtonsVisible(false);
    }
    m_host.HideAboutMemo();
}

void GameEngine::OnLabelMouseMove(int row)
{
    const PRG_STAT &st = *m_objects.state;
    if (st.gameState > 0 && st.mode == ModeStandard) {
        m_host.PaintColumn(MeaningColumn, false);
        m_host.MarkActive(MeaningColumn, row);
    }
}

void GameEngine::BackgroundMouseMove()
{
    if (m_objects.state->mode != ModeLearning)
        m_host.PaintColumn(MeaningColumn, false);
}

// A speed arrow steps once when pressed; held down, it repeats every 50 ms
// after the usual delay, and its release adds nothing, so a short click is
// exactly one step.
void GameEngine::Image4MouseDown(int tag)
{
    m_objects.state->speedArrow = tag + 1;
    stepSpeed(tag == 0 ? -SpeedStep : SpeedStep);
    m_host.SetTimerInterval(GameHost::Timer::Repeat, SpeedRepeatDelay);
    m_host.SetTimerEnabled(GameHost::Timer::Repeat, true);
}

void GameEngine::Image4MouseUp(int)
{
    m_host.SetTimerEnabled(GameHost::Timer::Repeat, false);
    // Stopping Repeat in the middle of a right-answer flash would leave the
    // flash bar showing.
    if (m_repeatTag == 1) {
        m_host.SetFlashBarVisible(false);
        m_repeatTag = 0;
    }
}

void GameEngine::stepSpeed(int delta)
{
    m_host.SetSpeedPosition(m_host.SpeedPosition() + delta);
    TBGameSpeedChange();
}
