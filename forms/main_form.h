#pragma once

#include "dict/shared_marks.h"
#include "game/game_engine.h"
#include "game/game_host.h"

#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

class DictLibrary;
class FindDialog;
class JournalIndexer;
class ProgressStore;
struct WordKey;
class QIcon;
class QLabel;
class QAction;
class QFileSystemWatcher;
class QMenu;
class QTreeWidget;
class Speech;
class TrayIcon;
struct ProcessObjects;

namespace Ui {
class TForm1;
class DictionaryList;
class AboutMemo;
}

// The main window: a borderless skinned frame with the game, dictionaries
// and about tabs, the speed controls and status bar below them, and an icon
// in the notification area while it is minimised.
class TForm1 : public QWidget, public GameHost
{
    Q_OBJECT

public:
    explicit TForm1(ProcessObjects &objects, QWidget *parent = nullptr);
    ~TForm1() override;

    GameEngine &engine() { return m_engine; }
    DictLibrary *library() const { return m_library.get(); }
    TrayIcon *trayIcon() const { return m_tray; }

    // The window's private requests, handled at once (the request numbers of
    // app/tray_routing.h). Messages of the notification area go through the
    // application's router first.
    void Perform(unsigned message, quint64 wParam = 0, qint64 lParam = 0);
    void RouteTrayMessage(unsigned message, quint64 wParam, qint64 lParam);

    // Frame.
    void Button1Click();
    void Button2Click();
    void Button5Click();
    void RestoreFromTray();
    void OpenTrayMenu(QPoint pointer);
    void TrayCommand(int id);
    void RefreshStatus() override;

    // About tab.
    void Label15Click();
    void UserVoiceYesClick(int tag);

    // Dictionaries tab.
    void DictionaryChanged();
    void BNextDictClick();
    void BPrevDictClick();
    void CBExcludeClick();
    void CBRepeatClick();
    void BAdd_WordClick();
    void BChange_WordClick();
    void BDelete_WordClick();
    void N2Click();
    void N7Click();
    void FindDialog1Find();
    void ListView1ColumnClick();
    // Words from other trainers and spreadsheets: the preview, then the
    // words into the folder; the current dictionary as a spreadsheet.
    void ImportFile(const QString &path);
    void NImportClick();
    void NExportClick();
    // Words from a text, subtitles or a book: the preview (of path, when
    // given), then the chosen words as new dictionaries. A dropped file goes
    // there or to the import, by what it holds.
    void WordsFromText(const QString &path = {});
    void TakeDroppedFile(const QString &path);
    // A conflict copy that file sync made of a dictionary: its words into
    // the dictionary, the copy into conflicts/ beside it.
    void BMergeConflictClick();

    // Game tab.
    void UpDown1Click(int tag, bool rightArrow);
    void ApplyBoardFont();
    void N9Click();

    // The record of answers and "Успехи". The record opens when it is first
    // needed, at the first answer or with "Успехи", never while the window
    // starts; nullptr while there is none.
    void OpenProgressRecord();
    ProgressStore *progressRecord() const { return m_progress.get(); }
    void ShowProgressWindow();
    // Writes the hardest words into a new dictionary and makes it current.
    void MakeDrillDictionary(const QList<WordKey> &words);
    // "Повторить сегодня": the words the review schedule holds due today
    // become the review dictionary, and it the current one; with none due,
    // a box says when the next ones are.
    void ReviewToday();
    // "К повторению: N" in the tray icon's tip, from a plan just made.
    void ShowDueCount(int due);

    // Pronunciation: "Произнести" in the list's and the game page's menus.
    void SpeakSelectedWord();
    void SpeakActiveWord();
    Speech *speech() const { return m_speech; }

    // "Словарная статья" in the list's menu: the dictionary article of the
    // selected row's English word.
    void ShowSelectedArticle();

    // GameHost.
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
    void PronounceWord(const QString &word) override;

Q_SIGNALS:
    // The window has closed and saved the settings: the program ends.
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormActivate();
    void FormClose();
    void PageControl1Change(int index);
    void setUpGameTab();
    void setUpDictionariesTab();
    void setUpAboutTab();
    void setUpTray();
    void finishStart();
    void ensureIcons();
    void ensureAboutPage();
    void setUpPronunciation();
    void setUpDictionaryArticle();
    void updatePronounceItems();
    void startPronunciationIfOn();
    bool dragEvent(QEvent *event);
    bool boardEvent(QObject *watched, QEvent *event);
    bool aboutMouseMove(QObject *watched);
    bool aboutEvent(QObject *watched, QEvent *event);
    bool isAboutLabel(QObject *watched) const;
    // A point of one of the window's widgets, in screen coordinates.
    QPoint onScreen(const QWidget *widget, QPoint point) const;
    bool isMeaningLabel(QObject *watched) const;
    QLabel *boardLabel(int column, int row) const;
    QTimer &timer(Timer which);
    const QTimer &timer(Timer which) const;
    // byLearner: ">>" or "<<" pressed, not the game's own hand-over, which
    // passes unreadable dictionaries by silently.
    void stepDictionary(void (DictLibrary::*step)(), QWidget *button, bool byLearner);
    void tellIfUnreadable();
    // Tells the learner and answers true when the current dictionary could
    // not be read: it may not be edited, or its content would be lost.
    bool refuseUnreadable();
    // The dictionaries list is made when it is first needed (its page shown,
    // an edit, a search): a start does not pay for a list it does not show.
    QTreeWidget *dictionaryList();
    // The list's rows and caption from the current dictionary.
    void fillDictionaryList();
    void selectRow(int row);
    int selectedRow() const;
    // Where the import and export dialogs open: the folder of the last file.
    QString transferFolder() const;
    void tellAboutRecord(const QString &text);
    void tellIfRenewed();
    // Sharing the data folder with other computers. Starts once the window
    // is up: the marks kept in the shared folder, the conflict copies shown
    // on the dictionaries tab, and a watch on both folders.
    void startSharing();
    void refreshSharing();
    void syncSharedMarks();
    void writeSharedMark(SharedMarks::Mark mark, bool set);
    void showConflictCopies();
    QString computerId();
    // The index of every computer's answers, brought up to date off the
    // window's thread from the journals in the shared folder.
    void startJournals();

    ProcessObjects &m_objects;
    std::unique_ptr<Ui::TForm1> m_ui;
    std::unique_ptr<Ui::DictionaryList> m_listUi; // empty until the list is made
    std::unique_ptr<Ui::AboutMemo> m_aboutUi;     // empty until the about page shows
    GameEngine m_engine;
    std::unique_ptr<DictLibrary> m_library;
    QTimer m_gameTimer;
    QTimer m_progressTimer;
    QTimer m_repeatTimer;
    TrayIcon *m_tray = nullptr;
    QMenu *m_gameMenu = nullptr;
    QMenu *m_listMenu = nullptr;
    FindDialog *m_findDialog = nullptr;
    Speech *m_speech = nullptr;
    QList<QAction *> m_pronounceItems;
    QAction *m_gamePronounceItem = nullptr;
    bool m_activated = false;
    bool m_iconsDrawn = false;
    QString m_transferFolder;
    // The label whose double click is under way: its release is not a click.
    QObject *m_doubleClicked = nullptr;
    std::unique_ptr<ProgressStore> m_progress;
    bool m_progressTried = false;
    bool m_progressTold = false;
    bool m_sharingReady = false;
    // The check boxes are being set from stored marks, not by the learner.
    bool m_marksFromStore = false;
    QFileSystemWatcher *m_sharingWatcher = nullptr;
    QTimer *m_sharingRefresh = nullptr;
    QString m_computerId;
    JournalIndexer *m_journalIndexer = nullptr;
    QString m_conflictCopy;
    int m_listHeight = 0;
};
