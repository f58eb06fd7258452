#include "fake_game_host.h"

#include "game/game_engine.h"

#include <QtGlobal>

#include <algorithm>

int FakeDictionary::status() const
{
    if (statusOverride)
        return *statusOverride;
    if (lines.size() >= 70)
        return -2;
    return lines.size() < 6 ? 0 : 1;
}

QStringList numberedLines(int count, int first)
{
    QStringList lines;
    for (int k = first; k < first + count; ++k)
        lines << QStringLiteral("w%1,a%1,b%1,c%1,").arg(k);
    return lines;
}

FakeGameHost::FakeGameHost(ProcessObjects &objects)
    : m_objects(objects)
{
    meaningVisible.fill(true);
}

void FakeGameHost::open(int index)
{
    current = index;
    const FakeDictionary &dict = dictionaries.at(static_cast<std::size_t>(index));
    // The boxes follow the flags; a change runs the box's click handler.
    SetExcludeChecked(dict.exclude);
    setRepeatChecked(dict.repeat);
    auto words = std::make_unique<GWORDW>(WordStoreCapacity);
    words->LoadLines(dict.status() == -1 ? QStringList() : dict.lines);
    if (dict.drawsFail) {
        for (int i = 0; i < words->WordCount(); ++i) {
            words->MarkAvailable(words->Word(i));
            words->MarkAvailable(words->Word(i));
            words->MarkUsed(words->Word(i));
        }
    }
    m_objects.words = std::move(words);
    RefreshStatus();
}

void FakeGameHost::ResetBoardView()
{
    for (auto &column : captions)
        column.fill(QString());
    meaningVisible.fill(true);
    PaintColumn(0, false);
    PaintColumn(1, false);
}

void FakeGameHost::PaintColumn(int column, bool on)
{
    highlighted.at(static_cast<std::size_t>(column)) = on;
    marked.at(static_cast<std::size_t>(column)).fill(false);
}

void FakeGameHost::MarkActive(int column, int row)
{
    marked.at(static_cast<std::size_t>(column)).at(static_cast<std::size_t>(row)) = true;
}

void FakeGameHost::SetCaption(int column, int row, const QString &text)
{
    captions.at(static_cast<std::size_t>(column)).at(static_cast<std::size_t>(row)) = text;
    if (column == 0)
        wordCaptionHistory << text;
}

void FakeGameHost::HideMeaning(int row)
{
    meaningVisible.at(static_cast<std::size_t>(row)) = false;
}

void FakeGameHost::SetFlashBarVisible(bool visible)
{
    flashBarVisible = visible;
}

void FakeGameHost::SetTimerEnabled(Timer t, bool enabled)
{
    auto &record = m_timers[static_cast<std::size_t>(t)];
    record.enabled = enabled;
    if (enabled)
        ++record.starts;
}

bool FakeGameHost::TimerEnabled(Timer t) const
{
    return timer(t).enabled;
}

void FakeGameHost::SetTimerInterval(Timer t, int milliseconds)
{
    m_timers[static_cast<std::size_t>(t)].interval = milliseconds;
}

void FakeGameHost::UpdateProgressBar(const ProgressBarModel &bar)
{
    progress = bar;
}

void FakeGameHost::SetStartCaption(const QString &caption)
{
    startCaption = caption;
}

void FakeGameHost::SetTurnButtonsEnabled(bool enabled)
{
    turnButtonsEnabled = enabled;
}

void FakeGameHost::SetTurnButtonsVisible(bool visible)
{
    turnButtonsVisible = visible;
}

void FakeGameHost::SetGameControlsEnabled(bool enabled)
{
    gameControlsEnabled = enabled;
}

int FakeGameHost::SpeedPosition() const
{
    return speed;
}

void FakeGameHost::SetSpeedPosition(int position)
{
    speed = std::clamp(position, GameEngine::SpeedMin, GameEngine::SpeedMax);
}

void FakeGameHost::FocusPageControl()
{
    ++focusCount;
}

void FakeGameHost::HideAboutMemo()
{
    ++aboutMemoHides;
}

void FakeGameHost::RefreshStatus()
{
    ++statusRefreshes;
}

void FakeGameHost::ShowInformation(const QString &text)
{
    messages << text;
}

void FakeGameHost::ShowDictionariesTab()
{
    page = 1;
    m_engine->PageControl1Change(1);
}

int FakeGameHost::ScanDictionaries()
{
    return scanOverride ? *scanOverride : static_cast<int>(dictionaries.size());
}

int FakeGameHost::CurrentDictionaryStatus() const
{
    return dictionaries.at(static_cast<std::size_t>(current)).status();
}

void FakeGameHost::NextDictionary()
{
    if (++nextSteps > RunawaySteps)
        qFatal("the game keeps stepping through the dictionaries");
    const int next = (current + 1) % static_cast<int>(dictionaries.size());
    // ">>": the next file, the game reset on the old store, then the
    // dictionary change that rebuilds the store.
    m_engine->ResetGame();
    open(next);
}

bool FakeGameHost::ExcludeChecked() const
{
    return excludeBox;
}

void FakeGameHost::SetExcludeChecked(bool checked)
{
    if (excludeBox == checked)
        return;
    excludeBox = checked;
    dictionaries.at(static_cast<std::size_t>(current)).exclude = checked;
    if (checked)
        setRepeatChecked(false);
}

bool FakeGameHost::RepeatChecked() const
{
    return repeatBox;
}

void FakeGameHost::setRepeatChecked(bool checked)
{
    if (repeatBox == checked)
        return;
    repeatBox = checked;
    dictionaries.at(static_cast<std::size_t>(current)).repeat = checked;
    if (checked)
        SetExcludeChecked(false);
}

void FakeGameHost::MinimiseToTray()
{
    events << QStringLiteral("tray");
}

void FakeGameHost::RunFlashWindow()
{
    events << QStringLiteral("flash");
}

void FakeGameHost::RecordAnswer(const AnswerEvent &event)
{
    answers.push_back(event);
}

int FakeGameHost::markedRow(int column) const
{
    const auto &rows = marked.at(static_cast<std::size_t>(column));
    if (std::count(rows.begin(), rows.end(), true) != 1)
        return -1;
    return static_cast<int>(std::find(rows.begin(), rows.end(), true) - rows.begin());
}

int FakeGameHost::meaningRowFor(int wordRow) const
{
    // Word "wK" has the meanings "aK" and "bK" on two lines.
    const QString word = captions[0].at(static_cast<std::size_t>(wordRow));
    const QString number = word.mid(1);
    const QString meaning = QString(u'a' + number + u'\n' + u'b' + number);
    const auto &column = captions[1];
    const auto it = std::find(column.begin(), column.end(), meaning);
    return it == column.end() ? -1 : static_cast<int>(it - column.begin());
}

bool FakeGameHost::boardEmpty() const
{
    for (const auto &column : captions) {
        for (const QString &text : column) {
            if (!text.isEmpty())
                return false;
        }
    }
    return true;
}
