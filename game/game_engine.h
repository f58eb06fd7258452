#pragma once

#include "game/game_host.h"

class BWORDW;
class GWORDW;
struct ProcessObjects;

// The matching game: deals, turns, answers, modes, timers and the hand-over
// from a used-up dictionary to the next playable one. Plain logic over the
// program state and the word store; it reaches the screen only through its
// host.
class GameEngine
{
public:
    // Speed track bar range and step.
    static constexpr int SpeedMin = 2000;
    static constexpr int SpeedMax = 11000;
    static constexpr int SpeedDefault = 6500;
    static constexpr int SpeedStep = 600;
    static constexpr int RepeatInterval = 50;
    // How long a speed arrow is held before it repeats.
    static constexpr int SpeedRepeatDelay = 400;

    GameEngine(ProcessObjects &objects, GameHost &host);

    // Start or stop ("Запуск"/"Стоп"); in the 25th-frame mode, run the flash window.
    void BStartClick();
    // Menu "Запуск" (tag 0) starts only a stopped game, "Стоп" (tag 1) stops only a running one.
    void N3Click(int tag);
    // Next turn, filling a new deal when due.
    void GameTimerTimer();
    // A click on the meaning label of row.
    void OnLabelClick(int row);
    // "Дальше".
    void N13Click();
    void Button3Click();
    // "Подсказка".
    void N11Click();
    void Button4Click();
    // Fills a deal: 1, or -1 after handing over to DictionaryDone.
    int FillBoard();
    void ClearRound();
    // Empties the board view and clears the deal.
    void ResetBoard();
    void ResetGame();
    // The current dictionary is used up: go on with the same or the next playable one.
    void DictionaryDone();
    // Derives both timer intervals and the progress bar from the track bar.
    void TBGameSpeedChange();
    void ProgressTimerTimer();
    void RepeatTimer();
    // The page control switched to page index (0 is the game tab).
    void PageControl1Change(int pageIndex);

    // Pointer moves over meaning label row: the hover highlight.
    void OnLabelMouseMove(int row);
    // Pointer moves over the board's or the window's background.
    void BackgroundMouseMove();
    // Speed arrows: tag 0 is the left (slower) one, tag 2 the right (faster) one.
    void Image4MouseDown(int tag);
    void Image4MouseUp(int tag);

    const ProgressBarModel &progressBar() const { return m_progress; }
    int repeatTag() const { return m_repeatTag; }

private:
    GWORDW *store() const;
    void stepSpeed(int delta);
    bool Playable() const;
    void StartSteps();
    void StopSteps();
    void StartStop();
    void StopIfRunning();
    // A turn started by the user: it gets the game timer's full interval.
    void ManualTurn();
    void ShowRightMeaning();
    void MarkLearnt(BWORDW *word);
    void PushProgress();
    // The turn of the standard mode waits for its outcome until EndTurn
    // reports it; a turn dropped by a stop or a reset reports nothing.
    void EndTurn(AnswerKind kind);
    void ReportActiveWord(AnswerKind kind);

    // The hand-over to the next playable dictionary, and its steps.
    void HandOver();
    bool PlayCurrent(bool probeDeal);
    bool StepDictionary(int dictionaryCount);
    void GiveUp();

    ProcessObjects &m_objects;
    GameHost &m_host;
    ProgressBarModel m_progress;
    int m_repeatTag = 0;
    bool m_turnOpen = false;

    // State of a running hand-over (DictionaryDone).
    bool m_handingOver = false;
    bool m_dealFailed = false;
    int m_visits = 0;
};
