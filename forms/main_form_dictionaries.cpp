// The dictionaries tab of the main window: the list of the current
// dictionary's lines, the word editing flows, search, and moving between
// dictionaries.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "dict/dict_flags.h"
#include "dict/dict_library.h"
#include "forms/add_dialog.h"
#include "forms/file_dialog.h"
#include "forms/file_drop.h"
#include "forms/file_notices.h"
#include "forms/find_dialog.h"
#include "forms/message_box.h"
#include "ui_dictionary_list.h"
#include "ui_main_form.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <functional>

namespace {

const QString NoWordSelected = QStringLiteral("Сначало нужно выбрать слово из списка");
const QString DictionaryIsFull = QStringLiteral("Этот словарь полон, перехожу к следующему");
constexpr int CaptionPathLength = 35;

// A double click anywhere in the list edits the selected word; below the
// last row the first click has cleared the selection, so the user is told
// to choose a word. The list does not see the double click: its rows were
// rebuilt meanwhile, and it would take it for a press on whatever row now
// lies under the pointer.
class ListDoubleClick : public QObject
{
public:
    ListDoubleClick(QTreeWidget *list, std::function<void()> handler)
        : QObject(list)
        , m_handler(std::move(handler))
    {
        list->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_handler();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_handler;
};

// Scrolls a row into view unless some of it shows already: a partly visible
// row counts as visible.
void scrollIntoView(QTreeWidget *list, QTreeWidgetItem *item)
{
    if (!list->visualItemRect(item).intersects(list->viewport()->rect()))
        list->scrollToItem(item);
}

// Gives the list the keyboard focus for real: its window becomes the active
// one again, also when a dialog of its own was active until now.
void focusList(QTreeWidget *list)
{
    QWidget *window = list->window();
    if (window->isVisible() && !window->isMinimized())
        window->activateWindow();
    list->setFocus();
}

} // namespace

void TForm1::setUpDictionariesTab()
{
    connect(m_ui->BPrevDict, &QPushButton::clicked, this, &TForm1::BPrevDictClick);
    connect(m_ui->BNextDict, &QPushButton::clicked, this, &TForm1::BNextDictClick);
    connect(m_ui->BAdd_Word, &QPushButton::clicked, this, &TForm1::BAdd_WordClick);
    connect(m_ui->BChange_Word, &QPushButton::clicked, this, &TForm1::BChange_WordClick);
    connect(m_ui->BDelete_Word, &QPushButton::clicked, this, &TForm1::BDelete_WordClick);
    // Every change of state runs the handler, the program's own changes too.
    connect(m_ui->CBExclude, &QCheckBox::toggled, this, &TForm1::CBExcludeClick);
    connect(m_ui->CBRepeat, &QCheckBox::toggled, this, &TForm1::CBRepeatClick);

    // The list's context menu; its shortcuts work while the list has the
    // focus (the list takes every item of the menu when it is made).
    m_listMenu = new QMenu(this);
    m_listMenu->setObjectName(QStringLiteral("PopupMenu1"));
    const auto addItem = [this](const char *name, const QString &caption, const QKeySequence &key, auto handler) {
        QAction *action = m_listMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, handler);
    };
    addItem("N0", QStringLiteral("Добавить"), QKeySequence(Qt::Key_Insert), [this] { BAdd_WordClick(); });
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("N8"));
    addItem("N1", QStringLiteral("Редактировать"), QKeySequence(Qt::Key_F4), [this] { BChange_WordClick(); });
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("N4"));
    addItem("N2", QStringLiteral("Удалить"), QKeySequence(Qt::Key_Delete), [this] { N2Click(); });
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("N5"));
    addItem("N7", QStringLiteral("Найти"), QKeySequence(Qt::CTRL | Qt::Key_F), [this] { N7Click(); });
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("N16"));
    addItem("N15", QStringLiteral("Успехи"), QKeySequence(), [this] { ShowProgressWindow(); });
    addItem("NReview", QStringLiteral("Повторить сегодня"), QKeySequence(), [this] { ReviewToday(); });
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("NTransfer"));
    addItem("NImport", QStringLiteral("Импорт…"), QKeySequence(), [this] { NImportClick(); });
    addItem("NExport", QStringLiteral("Экспорт…"), QKeySequence(), [this] { NExportClick(); });
    addItem("NWordsFromText", QStringLiteral("Слова из текста…"), QKeySequence(), [this] { WordsFromText(); });
    // A word list dropped anywhere on the tab is imported; a text, subtitles
    // or a book is read for its words.
    new FileDropTarget(m_ui->TabSheet2, [this](const QString &path) { TakeDroppedFile(path); });

    QWidget::setTabOrder(m_ui->BPrevDict, m_ui->BAdd_Word);
    QWidget::setTabOrder(m_ui->BAdd_Word, m_ui->BChange_Word);
    QWidget::setTabOrder(m_ui->BChange_Word, m_ui->BDelete_Word);
    QWidget::setTabOrder(m_ui->BDelete_Word, m_ui->BNextDict);
    QWidget::setTabOrder(m_ui->BNextDict, m_ui->CBExclude);
    QWidget::setTabOrder(m_ui->CBExclude, m_ui->CBRepeat);
}

QTreeWidget *TForm1::dictionaryList()
{
    if (m_listUi)
        return m_listUi->ListView1;
    m_listUi = std::make_unique<Ui::DictionaryList>();
    QWidget *page = m_ui->TabSheet2;
    const QSize pageSize = page->size();
    m_listUi->setupUi(page);
    page->resize(pageSize);
    QTreeWidget *list = m_listUi->ListView1;
    list->resize(static_cast<int>(std::trunc(m_ui->PageControl1->width() * 0.9788)),
                 static_cast<int>(std::trunc(m_ui->PageControl1->height() * 0.67719)));
    list->header()->setSectionsClickable(true);
    list->header()->setStretchLastSection(true);
    connect(list->header(), &QHeaderView::sectionClicked, this, [this] { ListView1ColumnClick(); });
    new ListDoubleClick(list, [this] { BChange_WordClick(); });
    list->addActions(m_listMenu->actions());
    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint &pos) { m_listMenu->popup(onScreen(list->viewport(), pos)); });
    // First in the page's tab order, as it stands first on the page.
    list->lower();
    QWidget::setTabOrder(list, m_ui->BPrevDict);
    list->setVisible(true);
    fillDictionaryList();
    return list;
}

void TForm1::fillDictionaryList()
{
    QTreeWidget *list = m_listUi->ListView1;
    const WordFile &file = *m_library->file;
    list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(file.lines.size());
    for (const QString &line : file.lines)
        rows.append(new QTreeWidgetItem(QStringList{line}));
    list->addTopLevelItems(rows);

    list->setColumnWidth(0, list->viewport()->width());
    const QString &path = file.path;
    list->headerItem()->setText(0, QStringLiteral("Текущий словарь: ")
                                       + (path.size() <= CaptionPathLength ? path : path.right(CaptionPathLength)));
}

void TForm1::DictionaryChanged()
{
    const WordFile &file = *m_library->file;
    INIT &registry = *m_objects.registry;
    {
        const QScopedValueRollback fromStore(m_marksFromStore, true);
        m_ui->CBExclude->setChecked(DictFlags::ReadOrCreate(registry, DictFlags::ExcludeKey, file.path));
        m_ui->CBRepeat->setChecked(DictFlags::ReadOrCreate(registry, DictFlags::RepeatKey, file.path));
    }

    if (m_listUi)
        fillDictionaryList();

    m_objects.words = std::make_unique<GWORDW>(WordStoreCapacity);
    m_objects.words->LoadLines(m_library->file->lines);
    RefreshStatus();
    if (m_sharingReady)
        refreshSharing();
}

void TForm1::BNextDictClick()
{
    stepDictionary(&DictLibrary::Next, m_ui->BNextDict, true);
}

void TForm1::BPrevDictClick()
{
    stepDictionary(&DictLibrary::Previous, m_ui->BPrevDict, true);
}

void TForm1::stepDictionary(void (DictLibrary::*step)(), QWidget *button, bool byLearner)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ((*m_library).*step)();
    m_engine.ResetGame();
    DictionaryChanged();
    QApplication::restoreOverrideCursor();
    if (byLearner)
        tellIfUnreadable();
    // The list takes the focus when the buttons are on screen.
    if (button->isVisible())
        dictionaryList()->setFocus();
}

// An unreadable dictionary shows as an empty list; the learner must not take
// it for a real, empty one.
void TForm1::tellIfUnreadable()
{
    const WordFile &file = *m_library->file;
    if (file.status == WordFile::Unreadable)
        MessageBoxes::information(this, FileNotices::unreadableDictionary(file.path, file.loadError));
}

bool TForm1::refuseUnreadable()
{
    const WordFile &file = *m_library->file;
    if (file.status != WordFile::Unreadable)
        return false;
    MessageBoxes::information(this, FileNotices::dictionaryNotEditable(file.path));
    return true;
}

void TForm1::CBExcludeClick()
{
    INIT &registry = *m_objects.registry;
    const QString &path = m_library->file->path;
    if (m_ui->CBExclude->isChecked()) {
        DictFlags::Write(registry, DictFlags::ExcludeKey, path, true);
        writeSharedMark(SharedMarks::Mark::Exclude, true);
        if (m_ui->CBRepeat->isChecked()) {
            DictFlags::Write(registry, DictFlags::RepeatKey, path, false);
            m_ui->CBRepeat->setChecked(false);
        }
    } else {
        DictFlags::Write(registry, DictFlags::ExcludeKey, path, false);
        writeSharedMark(SharedMarks::Mark::Exclude, false);
    }
}

void TForm1::CBRepeatClick()
{
    INIT &registry = *m_objects.registry;
    const QString &path = m_library->file->path;
    if (m_ui->CBRepeat->isChecked()) {
        DictFlags::Write(registry, DictFlags::RepeatKey, path, true);
        writeSharedMark(SharedMarks::Mark::Repeat, true);
        if (m_ui->CBExclude->isChecked()) {
            DictFlags::Write(registry, DictFlags::ExcludeKey, path, false);
            m_ui->CBExclude->setChecked(false);
        }
    } else {
        DictFlags::Write(registry, DictFlags::RepeatKey, path, false);
        writeSharedMark(SharedMarks::Mark::Repeat, false);
    }
}

int TForm1::selectedRow() const
{
    if (!m_listUi)
        return -1;
    const QTreeWidget *list = m_listUi->ListView1;
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

void TForm1::selectRow(int row)
{
    QTreeWidget *list = dictionaryList();
    QTreeWidgetItem *item = list->topLevelItem(row);
    if (!item)
        return;
    // Making the row current would scroll all of it into view.
    QScrollBar *bar = list->verticalScrollBar();
    const int before = bar->value();
    list->setCurrentItem(item);
    bar->setValue(before);
    scrollIntoView(list, item);
    item->setSelected(true);
}

void TForm1::BAdd_WordClick()
{
    PRG_STAT &state = *m_objects.state;
    if (refuseUnreadable())
        return;
    if (m_library->file->lines.size() >= WordFile::FullAt) {
        MessageBoxes::information(this, DictionaryIsFull);
        const QString fullPath = m_library->file->path;
        m_library->file->SaveOrRescue();
        QString path = m_library->FindNotFull();
        if (path == QLatin1String("0"))
            path = m_library->NewFileName();
        // Built twice: the first construction creates a new file, the second
        // lists it, so previous and next work from it.
        m_library.reset();
        m_library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, path);
        m_library.reset();
        m_library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, path);
        DictionaryChanged();
        // A folder that takes no new file: the word has nowhere to go, and
        // the full dictionary stays the current one.
        if (const WordFile &file = *m_library->file; file.status == WordFile::Unreadable) {
            const QString notCreated = FileNotices::newDictionaryNotCreated(file.path, file.loadError);
            m_library.reset();
            m_library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, fullPath);
            DictionaryChanged();
            MessageBoxes::information(this, notCreated);
            return;
        }
    }
    state.editMode = 0;
    {
        TAddDialog editor(state, m_library->file->lines, this);
        connect(&editor, &TAddDialog::dictionaryChanged, this, &TForm1::DictionaryChanged);
        editor.exec();
    }
    QTreeWidget *list = dictionaryList();
    if (list->topLevelItemCount() > 0) {
        selectRow(list->topLevelItemCount() - 1);
        focusList(list);
    }
    m_library->file->modified = 1;
}

void TForm1::BChange_WordClick()
{
    PRG_STAT &state = *m_objects.state;
    if (refuseUnreadable())
        return;
    const int row = selectedRow();
    if (row < 0) {
        MessageBoxes::information(this, NoWordSelected);
        return;
    }
    state.editIndex = row;
    state.editLine = m_library->file->lines.value(row);
    state.editMode = 1;
    {
        TAddDialog editor(state, m_library->file->lines, this);
        connect(&editor, &TAddDialog::dictionaryChanged, this, &TForm1::DictionaryChanged);
        editor.exec();
    }
    m_library->file->modified = 1;
}

void TForm1::BDelete_WordClick()
{
    if (refuseUnreadable())
        return;
    const int row = selectedRow();
    if (row < 0) {
        MessageBoxes::information(this, NoWordSelected);
        return;
    }
    QStringList &lines = m_library->file->lines;
    if (row < lines.size())
        lines.removeAt(row);
    DictionaryChanged();
    const int count = dictionaryList()->topLevelItemCount();
    if (row < count)
        selectRow(row);
    else if (row - 1 >= 0)
        selectRow(row - 1);
    focusList(dictionaryList());
    m_library->file->modified = 1;
}

void TForm1::N2Click()
{
    BDelete_WordClick();
    DictionaryChanged();
}

void TForm1::N7Click()
{
    if (!m_findDialog) {
        m_findDialog = new FindDialog(this);
        connect(m_findDialog, &FindDialog::find, this, &TForm1::FindDialog1Find);
    }
    m_findDialog->show();
    m_findDialog->move(frameGeometry().left() + 20, frameGeometry().top() + 40);
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

// "Найти далее" goes on from the selected row to the next that holds the
// text, round to the top at the end; with nothing selected it starts at the
// first row. The dialog keeps its text.
void TForm1::FindDialog1Find()
{
    const QString text = m_findDialog->text();
    QTreeWidget *list = dictionaryList();
    const int count = std::min(static_cast<int>(m_library->file->lines.size()), list->topLevelItemCount());
    const int start = selectedRow() + 1;
    for (int i = 0; !text.isEmpty() && i < count; ++i) {
        const int row = (start + i) % count;
        if (list->topLevelItem(row)->text(0).contains(text, Qt::CaseSensitive)) {
            list->clearSelection();
            selectRow(row);
            m_findDialog->close();
            break;
        }
    }
    // Also after a miss, with the dialog still open.
    focusList(list);
}

void TForm1::ListView1ColumnClick()
{
    PRG_STAT &state = *m_objects.state;
    const QString chosen = FileDialogs::openFile(this, state.dictDir, QStringLiteral("Словари (*.wrd)"));
    if (chosen.isEmpty() || chosen == QLatin1String("*.wrd"))
        return;
    const QFileInfo info(chosen);
    if (!info.exists() || info.isDir())
        return;
    state.dictDir = info.absolutePath() + QLatin1Char('/');
    m_library->SwitchTo(info.absoluteFilePath());
    DictionaryChanged();
    tellIfUnreadable();
}

void TForm1::PageControl1Change(int index)
{
    m_engine.PageControl1Change(index);
    if (index == 2)
        ensureAboutPage();
    if (index == 1) {
        QTreeWidget *list = dictionaryList();
        list->setFocus();
        if (QTreeWidgetItem *item = list->currentItem(); item && item->isSelected())
            scrollIntoView(list, item);
    }
}

void TForm1::ShowDictionariesTab()
{
    if (m_ui->PageControl1->currentIndex() == 1)
        PageControl1Change(1);
    else
        m_ui->PageControl1->setCurrentIndex(1); // runs the change handler
}
