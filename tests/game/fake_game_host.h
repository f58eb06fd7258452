#pragma once

#include "app/process_objects.h"
#include "game/game_host.h"

#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class GameEngine;

// One dictionary of the simulated folder.
struct FakeDictionary
{
    QStringList lines;
    bool exclude = false;
    bool repeat = false;
    // Load status when the file cannot be read as its lines suggest (-1).
    std::optional<int> statusOverride;
    // The store counts every word as available but each carries the used
    // mark, so every draw fails.
    bool drawsFail = false;

    int status() const;
};

// "wK,aK,bK,cK," for K = first .. first + count - 1.
QStringList numberedLines(int count, int first = 0);

// Stands in for the main window: records what the engine shows and simulates
// the dictionary folder, the dictionaries tab's check boxes and the word store
// rebuild of a dictionary change.
class FakeGameHost : public GameHost
{
public:
    static constexpr int RunawaySteps = 10000;

    explicit FakeGameHost(ProcessObjects &objects);
    void setEngine(GameEngine *engine) { m_engine = engine; }

    // Makes dictionary index current as a dictionary change does: the check
    // boxes follow its flags and a new word store is loaded from its lines.
    void open(int index);

    // GameHost
    void ResetBoardView() override;
    void PaintColumn(int column, bool highlighted) override;
    void MarkActive(int column, int row) override;
    void SetCaption(int column, int row, const QString &text) override;
    void HideMeaning(int row) override;
    void SetFlashBarVisible(bool visible) override;
    void SetTimerEnabled(Timer timer, bool enabled) override;
    bool TimerEnabled(Timer timer) const override;
    void SetTimerInterval(Timer timer, int milliseconds) override;
    void UpdateProgressBar(const ProgressBarModel &bar) override;
    void SetStartCaption(const QString &caption) override;
    void SetTurnButtonsEnabled(bool enabled) override;
    void SetTurnButtonsVisible(bool visible) override;
    void SetGameControlsEnabled(bool enabled) override;
    int SpeedPosition() const override;
    void SetSpeedPosition(int position) override;
    void FocusPageControl() override;
    void HideAboutMemo() override;
    void RefreshStatus() override;
    void ShowInformation(const QString &text) override;
    void ShowDictionariesTab() override;
    int ScanDictionaries() override;
    int CurrentDictionaryStatus() const override;
    void NextDictionary() override;
    bool ExcludeChecked() const override;
    void SetExcludeChecked(bool checked) override;
    bool RepeatChecked() const override;
    void MinimiseToTray() override;
    void RunFlashWindow() override;
    void RecordAnswer(const AnswerEvent &event) override;

    // Board queries.
    // The row whose label carries the active colour; -1 when none or several do.
    int markedRow(int column) const;
    // The meaning row showing the meanings of the word in word row.
    int meaningRowFor(int wordRow) const;
    bool boardEmpty() const;

    struct TimerRecord
    {
        bool enabled = false;
        int interval = 0;
        int starts = 0; // times it was enabled, each a full interval anew
    };
    const TimerRecord &timer(Timer t) const { return m_timers[static_cast<std::size_t>(t)]; }

    // The folder.
    std::vector<FakeDictionary> dictionaries;
    int current = 0;
    std::optional<int> scanOverride;
    int nextSteps = 0;

    // The board.
    std::array<std::array<QString, 6>, 2> captions;
    std::array<bool, 6> meaningVisible{};
    std::array<bool, 2> highlighted{};
    std::array<std::array<bool, 6>, 2> marked{};
    QStringList wordCaptionHistory;
    bool flashBarVisible = false;

    // Controls and the rest of the window.
    ProgressBarModel progress;
    QString startCaption = QStringLiteral("Запуск");
    bool turnButtonsEnabled = false;
    bool turnButtonsVisible = true;
    bool gameControlsEnabled = true;
    int speed = 6500;
    int page = 0;
    int focusCount = 0;
    int aboutMemoHides = 0;
    int statusRefreshes = 0;
    QStringList messages;
    // "tray" and "flash", in the order they happened.
    QStringList events;
    bool excludeBox = false;
    bool repeatBox = false;
    // The turns' outcomes, in order.
    std::vector<AnswerEvent> answers;

private:
    void setRepeatChecked(bool checked);

    ProcessObjects &m_objects;
    GameEngine *m_engine = nullptr;
    std::array<TimerRecord, 3> m_timers{};
};
