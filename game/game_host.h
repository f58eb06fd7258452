#pragma once

#include "game/answer_event.h"

#include <QString>

// The progress bar as the game drives it. Stepping past the maximum starts
// the bar over from its minimum, as a stepping progress bar does.
struct ProgressBarModel
{
    enum class Background { Window, Running, Board };

    int minimum = 0;
    int maximum = 100;
    int step = 10;
    int position = 0;
    bool enabled = false;
    Background background = Background::Window;
};

// Everything the game engine needs from the main window: the board, the
// timers, the game tab's controls, the status bar, message boxes, the
// dictionary steps and the dictionary tab's check boxes. The engine owns no
// widget, timer or dialog; the main window implements this and tests use a
// fake.
class GameHost
{
public:
    enum class Timer { Game, Progress, Repeat };

    virtual ~GameHost() = default;

    // Board (column 0: words, column 1: meanings; rows 0 to 5).
    // Both columns to their current left edges, painted normal, every meaning
    // label visible and all twelve captions empty.
    virtual void ResetBoardView() = 0;
    virtual void PaintColumn(int column, bool highlighted) = 0;
    virtual void MarkActive(int column, int row) = 0;
    // Shows a caption, cut to the column's width limit (98 and 185 pixels).
    virtual void SetCaption(int column, int row, const QString &text) = 0;
    virtual void HideMeaning(int row) = 0;
    virtual void SetFlashBarVisible(bool visible) = 0;

    // Timers. Enabling a timer starts its full interval anew.
    virtual void SetTimerEnabled(Timer timer, bool enabled) = 0;
    virtual bool TimerEnabled(Timer timer) const = 0;
    virtual void SetTimerInterval(Timer timer, int milliseconds) = 0;

    virtual void UpdateProgressBar(const ProgressBarModel &bar) = 0;

    // Game tab controls.
    virtual void SetStartCaption(const QString &caption) = 0;
    virtual void SetTurnButtonsEnabled(bool enabled) = 0;
    virtual void SetTurnButtonsVisible(bool visible) = 0;
    // The speed track bar, its arrows and label, and the start and settings buttons.
    virtual void SetGameControlsEnabled(bool enabled) = 0;
    virtual int SpeedPosition() const = 0;
    // Moves the track bar, which clamps to its range.
    virtual void SetSpeedPosition(int position) = 0;
    virtual void FocusPageControl() = 0;
    virtual void HideAboutMemo() = 0;

    virtual void RefreshStatus() = 0;
    // A modal information box owned by the main window, caption "Информация".
    virtual void ShowInformation(const QString &text) = 0;
    // Makes the dictionaries tab the active page, with the tab change's effects.
    virtual void ShowDictionariesTab() = 0;

    // Dictionaries.
    // A fresh scan of the dictionary folder: the number of files, -1 when it
    // cannot be read.
    virtual int ScanDictionaries() = 0;
    // The current dictionary's load status.
    virtual int CurrentDictionaryStatus() const = 0;
    // The ">>" button: the next dictionary, the game reset, the tab refreshed.
    virtual void NextDictionary() = 0;
    virtual bool ExcludeChecked() const = 0;
    // Sets "Исключить"; a change runs its handler, as a click would.
    virtual void SetExcludeChecked(bool checked) = 0;
    virtual bool RepeatChecked() const = 0;

    // The 25th-frame mode: the main window goes to the tray and the flash
    // window runs until the user closes it.
    virtual void MinimiseToTray() = 0;
    virtual void RunFlashWindow() = 0;

    // How a turn ended, once per turn of the standard and learning modes.
    // Only observed: what the host does with it never reaches the game.
    virtual void RecordAnswer(const AnswerEvent &event) = 0;
};
