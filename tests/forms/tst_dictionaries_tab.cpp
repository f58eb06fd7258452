#include "main_window_fixture.h"
#include "modal_answer.h"

#include "app/registry.h"
#include "dict/dict_library.h"
#include "dict/dict_flags.h"
#include "forms/add_dialog.h"
#include "forms/file_dialog.h"
#include "forms/find_dialog.h"
#include "forms/status_panels.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString Information = u"Информация|"_s;
const QString NoWordSelected = Information + u"Сначало нужно выбрать слово из списка"_s;
const QString DictionaryFull = Information + u"Этот словарь полон, перехожу к следующему"_s;
const QString CaptionStart = u"Текущий словарь: "_s;

// Types text key by key, as a user would, so the edit's own limits apply.
void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// What the word editor showed and what became of it.
struct EditorVisit
{
    bool found = false;
    QString title;
    QString confirmCaption;
    QStringList shown;     // the four fields as the editor opened
    QStringList afterward; // the four fields after the button was pressed
};

QLineEdit *memo(QWidget *dialog, int n)
{
    return dialog->findChild<QLineEdit *>(u"Memo%1"_s.arg(n));
}

QStringList memoTexts(QWidget *dialog)
{
    QStringList texts;
    for (int n = 1; n <= 4; ++n)
        texts << memo(dialog, n)->text();
    return texts;
}

// What to type into the editor's fields; a field without text is left alone.
using Typed = QList<std::optional<QString>>;

Typed typedAll(const QStringList &texts)
{
    return Typed(texts.cbegin(), texts.cend());
}

// Answers the next word editor: every field given is cleared and typed anew;
// then "confirm" or "cancel" is clicked.
std::shared_ptr<EditorVisit> answerEditor(const Typed &typed, bool confirm = true)
{
    auto visit = std::make_shared<EditorVisit>();
    answerNextModal<TAddDialog>(
        [visit, typed, confirm](TAddDialog *dialog) {
            visit->title = dialog->windowTitle();
            visit->confirmCaption = dialog->findChild<QPushButton *>(u"Button1"_s)->text();
            visit->shown = memoTexts(dialog);
            for (int i = 0; i < typed.size() && i < 4; ++i) {
                if (!typed.at(i))
                    continue;
                QLineEdit *edit = memo(dialog, i + 1);
                edit->clear();
                type(edit, *typed.at(i));
            }
            QTest::mouseClick(dialog->findChild<QPushButton *>(confirm ? u"Button1"_s : u"Button2"_s),
                              Qt::LeftButton);
            visit->afterward = memoTexts(dialog);
        },
        &visit->found);
    return visit;
}

std::optional<bool> storedFlag(const QString &settings, const QString &key, const QString &path)
{
    INIT registry(settings);
    registry.OpenKey(key, true);
    std::optional<bool> value;
    if (registry.ValueExists(path))
        value = registry.ReadBool(path);
    registry.CloseKey();
    return value;
}

QStringList linesOnDisk(const QString &path)
{
    return WordFile(path).lines;
}

// Answers the open-file dialog while it lives and remembers the folders it
// was shown on.
class OpenDialogAnswer
{
public:
    explicit OpenDialogAnswer(QString answer)
    {
        FileDialogs::setHandler([this, answer](const QString &folder, const QString &) {
            folders << folder;
            return answer;
        });
    }
    ~OpenDialogAnswer() { FileDialogs::setHandler({}); }
    OpenDialogAnswer(const OpenDialogAnswer &) = delete;
    OpenDialogAnswer &operator=(const OpenDialogAnswer &) = delete;

    QStringList folders;
};

// The main window shown on its dictionaries tab.
class DictionariesTab : public MainWindowFixture
{
public:
    bool show()
    {
        TForm1 &window = open();
        window.show();
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        return list()->hasFocus();
    }

    // The window becomes active again after a dialog, as a desktop makes it.
    bool activate()
    {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    QTreeWidget *list() const { return child<QTreeWidget>("ListView1"); }
    FindDialog *findDialog() const { return child<FindDialog>("FindDialog1"); }

    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            texts << list()->topLevelItem(i)->text(0);
        return texts;
    }

    int selectedRow() const
    {
        const QList<QTreeWidgetItem *> selected = list()->selectedItems();
        return selected.size() == 1 ? list()->indexOfTopLevelItem(selected.first()) : selected.isEmpty() ? -1 : -2;
    }

    // A click on the row, which also gives the list the focus.
    void selectRow(int row)
    {
        activate();
        QTreeWidgetItem *item = list()->topLevelItem(row);
        list()->scrollToItem(item);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
    }

    void click(const char *button) const { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(list(), Qt::Key(key), modifiers);
    }

    QString caption() const { return list()->headerItem()->text(0); }
    QString currentPath() const { return window->library()->file->path; }
    QString status() const { return child<StatusPanels>("StatusBar1")->panelText(0); }

    void clickHeader() const
    {
        QHeaderView *header = list()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(30, header->height() / 2));
    }

    void find(const QString &text) const
    {
        auto *edit = findDialog()->findChild<QLineEdit *>(u"findText"_s);
        edit->clear();
        type(edit, text);
        QTest::mouseClick(findDialog()->findChild<QPushButton *>(u"findButton"_s), Qt::LeftButton);
    }

    void writeLines(const QString &path, const QStringList &lines) const
    {
        WordFile file(path);
        file.lines = lines;
        file.Save();
    }
};

} // namespace

class TestDictionariesTab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contextMenuHasItsItemsAndShortcuts()
    {
        DictionariesTab tab;
        QVERIFY(tab.show());
        const QList<std::pair<const char *, QKeySequence>> items{
            {"N0", QKeySequence(Qt::Key_Insert)},
            {"N1", QKeySequence(Qt::Key_F4)},
            {"N2", QKeySequence(Qt::Key_Delete)},
            {"N7", QKeySequence(Qt::CTRL | Qt::Key_F)},
        };
        for (const auto &[name, keys] : items) {
            auto *action = tab.child<QAction>(name);
            QVERIFY2(action, name);
            QCOMPARE(action->shortcut(), keys);
            QVERIFY(tab.list()->actions().contains(action));
        }
        QCOMPARE(tab.child<QAction>("N1")->text(), u"Редактировать"_s);
        QCOMPARE(tab.child<QAction>("N7")->text(), u"Найти"_s);

        // Tab order of the page.
        QStringList order;
        QWidget *widget = tab.list();
        for (int i = 0; i < 8; ++i, widget = widget->nextInFocusChain()) {
            while (!(widget->focusPolicy() & Qt::TabFocus) || widget->parentWidget() != tab.list()->parentWidget())
                widget = widget->nextInFocusChain();
            order << widget->objectName();
        }
        QCOMPARE(order, (QStringList{u"ListView1"_s, u"BPrevDict"_s, u"BAdd_Word"_s, u"BChange_Word"_s,
                                     u"BDelete_Word"_s, u"BNextDict"_s, u"CBExclude"_s, u"CBRepeat"_s}));
    }

    void chosenRowsAreScrolledIntoView()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 60);
        QVERIFY(tab.show());
        QTreeWidget *list = tab.list();
        const auto rowShown = [list](int row) {
            return list->viewport()->rect().intersects(list->visualItemRect(list->topLevelItem(row)));
        };
        QVERIFY(!rowShown(59));
        auto visit = answerEditor({u"last"_s});
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        QCOMPARE(tab.selectedRow(), 60);
        QVERIFY(rowShown(60));

        tab.selectRow(20);
        list->scrollToTop();
        tab.click("BDelete_Word");
        QCOMPARE(tab.selectedRow(), 20);
        QVERIFY(rowShown(20));
        QVERIFY(!rowShown(59));
    }

    void emptyDictionaryFindsNothing()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 0);
        QVERIFY(tab.show());
        QCOMPARE(tab.caption(), QString(CaptionStart + tab.dictPath(0).right(35)));
        QCOMPARE(tab.status(), u"Всего слов: 0  "_s);
        tab.key(Qt::Key_F, Qt::ControlModifier);
        tab.find(u","_s);
        QVERIFY(tab.findDialog()->isVisible());
        QCOMPARE(tab.selectedRow(), -1);
        tab.findDialog()->close();
    }

    void addingAppendsTheTypedLineAndSelectsIt()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 0);
        QVERIFY(tab.show());
        QVERIFY(tab.rows().isEmpty());
        QCOMPARE(tab.status(), u"Всего слов: 0  "_s);
        QCOMPARE(tab.caption(), QString(CaptionStart + tab.dictPath(0).right(35)));

        auto visit = answerEditor({u"run"_s, u"бежать"_s, u"управлять"_s});
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        QCOMPARE(visit->title, u"Новое слово"_s);
        QCOMPARE(visit->shown, QStringList(4, QString()));
        QCOMPARE(tab.rows(), QStringList{u"run,бежать,управлять,"_s});
        QCOMPARE(tab.selectedRow(), 0); // the first word of an empty dictionary
        QTRY_VERIFY(tab.list()->hasFocus());
        QCOMPARE(tab.status(), u"Всего слов: 1  "_s);
        QCOMPARE(tab.objects.words->WordCount(), 1);

        // The same word again, through Ins: two identical rows, the new one selected.
        visit = answerEditor({u"run"_s, u"бежать"_s, u"управлять"_s});
        tab.key(Qt::Key_Insert);
        QVERIFY(visit->found);
        QCOMPARE(tab.rows(), QStringList(2, u"run,бежать,управлять,"_s));
        QCOMPARE(tab.selectedRow(), 1);
        QCOMPARE(tab.status(), u"Всего слов: 2  "_s);

        // Cancelled: nothing stored, the last row is selected all the same.
        tab.selectRow(0);
        visit = answerEditor({u"walk"_s}, false);
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        QCOMPARE(tab.rows().size(), 2);
        QCOMPARE(tab.selectedRow(), 1);

        // The rows are the dictionary's lines, as the file holds them; ">>"
        // with a single dictionary reopens it, saving it first.
        tab.click("BNextDict");
        QCOMPARE(linesOnDisk(tab.dictPath(0)), tab.rows());
    }

    void editorBuildsTheLine_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("shownAfterConfirm");

        QTest::newRow("word only") << QStringList{u"tree"_s} << u"tree,"_s << QStringList{u"tree"_s, {}, {}, {}};
        QTest::newRow("three meanings")
            << QStringList{u"run"_s, u"бежать"_s, u"управлять"_s, u"течь"_s} << u"run,бежать,управлять,течь,"_s
            << QStringList{u"run"_s, u"бежать"_s, u"управлять"_s, u"течь"_s};
        QTest::newRow("meanings 1 and 3") << QStringList{u"set"_s, u"ставить"_s, {}, u"набор"_s}
                                          << u"set,ставить,набор,"_s
                                          << QStringList{u"set"_s, u"ставить"_s, {}, u"набор"_s};
        QTest::newRow("trimmed") << QStringList{u"  big "_s, u" большой  "_s, u"   "_s, u" крупный "_s}
                                 << u"big,большой,крупный,"_s
                                 << QStringList{u"big"_s, u"большой"_s, {}, u"крупный"_s};
        QTest::newRow("typing stops at 35 characters")
            << QStringList{QString(40, u'a'), QString(36, u'я')} << QString(QString(35, u'a') + u',' + QString(35, u'я') + u',')
            << QStringList{QString(35, u'a'), QString(35, u'я'), {}, {}};
    }

    void editorBuildsTheLine()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, stored);
        QFETCH(QStringList, shownAfterConfirm);
        DictionariesTab tab;
        tab.writeDictionary(0, 2);
        QVERIFY(tab.show());
        auto visit = answerEditor(typedAll(typed));
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        QCOMPARE(tab.rows().size(), 3);
        QCOMPARE(tab.rows().last(), stored);
        QCOMPARE(visit->afterward, shownAfterConfirm);
    }

    void emptyEnglishWordStoresNothing_data()
    {
        QTest::addColumn<bool>("changeMode");
        QTest::addColumn<QString>("word");
        QTest::newRow("add, empty") << false << QString();
        QTest::newRow("add, blanks") << false << u"   "_s;
        QTest::newRow("change, empty") << true << QString();
        QTest::newRow("change, blanks") << true << u"  "_s;
    }

    void emptyEnglishWordStoresNothing()
    {
        QFETCH(bool, changeMode);
        QFETCH(QString, word);
        DictionariesTab tab;
        tab.writeDictionary(0, 3);
        QVERIFY(tab.show());
        const QStringList before = tab.rows();
        auto visit = answerEditor({word, u"значение"_s, u"ещё"_s, std::nullopt});
        if (changeMode) {
            tab.selectRow(1);
            tab.click("BChange_Word");
        } else {
            tab.click("BAdd_Word");
        }
        QVERIFY(visit->found);
        QCOMPARE(tab.rows(), before);
        QCOMPARE(tab.status(), u"Всего слов: 3  "_s);
    }

    void changingReplacesTheLineInPlace()
    {
        DictionariesTab tab;
        tab.writeLines(tab.dictPath(0), {u"cat,кот,"_s, u"dog,собака,пёс,"_s, u"sun,солнце,"_s,
                                         u"one,a,b,c,extra,"_s, u"tail,хвост,лишнее"_s});
        QVERIFY(tab.show());

        tab.selectRow(1);
        auto visit = answerEditor({std::nullopt, std::nullopt, u"собачка"_s, u"шавка"_s});
        tab.click("BChange_Word");
        QVERIFY(visit->found);
        QCOMPARE(visit->title, u"Редактирование"_s);
        QCOMPARE(visit->confirmCaption, u"Изменить"_s);
        QCOMPARE(visit->shown, (QStringList{u"dog"_s, u"собака"_s, u"пёс"_s, QString()}));
        QCOMPARE(tab.rows().at(1), u"dog,собака,собачка,шавка,"_s);
        QCOMPARE(tab.rows().size(), 5);
        QCOMPARE(tab.selectedRow(), -1);

        // Extra fields and text after the last comma, which the editor does
        // not show, stay when a change is confirmed.
        tab.selectRow(3);
        visit = answerEditor({u"ones"_s});
        tab.key(Qt::Key_F4);
        QVERIFY(visit->found);
        QCOMPARE(visit->shown, (QStringList{u"one"_s, u"a"_s, u"b"_s, u"c"_s}));
        QCOMPARE(tab.rows().at(3), u"ones,a,b,c,extra,"_s);
        tab.selectRow(4);
        visit = answerEditor({});
        tab.click("BChange_Word");
        QCOMPARE(visit->shown, (QStringList{u"tail"_s, u"хвост"_s, QString(), QString()}));
        QCOMPARE(tab.rows().at(4), u"tail,хвост,лишнее"_s);

        // Cancelled: the line stays.
        tab.selectRow(0);
        visit = answerEditor({u"cow"_s}, false);
        tab.click("BChange_Word");
        QVERIFY(visit->found);
        QCOMPARE(tab.rows().at(0), u"cat,кот,"_s);

        // A double click on a row edits it; the rebuilt list has no selection.
        QTreeWidgetItem *row = tab.list()->topLevelItem(2);
        const QPoint centre = tab.list()->visualItemRect(row).center();
        visit = answerEditor({u"moon"_s, u"луна"_s});
        QTest::mouseClick(tab.list()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(tab.list()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseRelease(tab.list()->viewport(), Qt::LeftButton, {}, centre);
        QVERIFY(visit->found);
        QCOMPARE(tab.rows().at(2), u"moon,луна,"_s);
        QCOMPARE(tab.selectedRow(), -1);
        QVERIFY(tab.messages.isEmpty());
    }

    void doubleClickBelowTheRowsAsksForAWord()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 3);
        QVERIFY(tab.show());
        tab.selectRow(1);
        // The first click of the double click clears the selection.
        bool editorShown = false;
        QTimer::singleShot(0, tab.list(), [&editorShown] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                editorShown = true;
                modal->close();
            }
        });
        const QPoint below(20, tab.list()->viewport()->height() - 5);
        QTest::mouseClick(tab.list()->viewport(), Qt::LeftButton, {}, below);
        QTest::mouseDClick(tab.list()->viewport(), Qt::LeftButton, {}, below);
        QTest::mouseRelease(tab.list()->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(tab.messages, QStringList{NoWordSelected});
        QCOMPARE(tab.selectedRow(), -1);
        QTest::qWait(20);
        QVERIFY(!editorShown);
    }

    void changeAndDeleteNeedASelection_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("change button") << u"BChange_Word"_s;
        QTest::newRow("delete button") << u"BDelete_Word"_s;
        QTest::newRow("F4") << u"F4"_s;
        QTest::newRow("Del") << u"Del"_s;
    }

    void changeAndDeleteNeedASelection()
    {
        QFETCH(QString, how);
        DictionariesTab tab;
        tab.writeDictionary(0, 4);
        QVERIFY(tab.show());
        const QStringList before = tab.rows();
        if (how == u"F4")
            tab.key(Qt::Key_F4);
        else if (how == u"Del")
            tab.key(Qt::Key_Delete);
        else
            tab.click(how.toLatin1().constData());
        QCOMPARE(tab.messages, QStringList{NoWordSelected});
        QCOMPARE(tab.rows(), before);
    }

    void deleteButtonWalksDownTheList()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 5);
        QVERIFY(tab.show());
        tab.selectRow(2);
        tab.click("BDelete_Word");
        QCOMPARE(tab.rows(), (QStringList{u"w0,mw0,"_s, u"w1,mw1,"_s, u"w3,mw3,"_s, u"w4,mw4,"_s}));
        QCOMPARE(tab.selectedRow(), 2);
        QCOMPARE(tab.status(), u"Всего слов: 4  "_s);
        tab.click("BDelete_Word");
        QCOMPARE(tab.rows(), (QStringList{u"w0,mw0,"_s, u"w1,mw1,"_s, u"w4,mw4,"_s}));
        QCOMPARE(tab.selectedRow(), 2);
        // The last row went: the new last row is selected.
        tab.click("BDelete_Word");
        QCOMPARE(tab.rows(), (QStringList{u"w0,mw0,"_s, u"w1,mw1,"_s}));
        QCOMPARE(tab.selectedRow(), 1);
        QVERIFY(tab.list()->hasFocus());
        tab.click("BDelete_Word");
        tab.click("BDelete_Word");
        QVERIFY(tab.rows().isEmpty());
        QCOMPARE(tab.selectedRow(), -1);
        QCOMPARE(tab.status(), u"Всего слов: 0  "_s);
        QVERIFY(tab.messages.isEmpty());
        tab.click("BDelete_Word");
        QCOMPARE(tab.messages, QStringList{NoWordSelected});
        QCOMPARE(tab.objects.words->WordCount(), 0);
    }

    void delKeyLeavesNoSelection()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 4);
        QVERIFY(tab.show());
        tab.selectRow(1);
        tab.key(Qt::Key_Delete);
        QCOMPARE(tab.rows(), (QStringList{u"w0,mw0,"_s, u"w2,mw2,"_s, u"w3,mw3,"_s}));
        QCOMPARE(tab.selectedRow(), -1);
        QCOMPARE(tab.status(), u"Всего слов: 3  "_s);
        QVERIFY(tab.messages.isEmpty());
        tab.key(Qt::Key_Delete);
        QCOMPARE(tab.messages, QStringList{NoWordSelected});
        QCOMPARE(tab.rows().size(), 3);

        // The menu item does the same.
        tab.selectRow(2);
        tab.child<QAction>("N2")->trigger();
        QCOMPARE(tab.rows(), (QStringList{u"w0,mw0,"_s, u"w2,mw2,"_s}));
        QCOMPARE(tab.selectedRow(), -1);
    }

    void searchSelectsTheFirstRowHoldingTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row"); // -1: not found

        QTest::newRow("lower case") << u"cat"_s << 1;
        QTest::newRow("capitalised") << u"Cat"_s << 0;
        QTest::newRow("comma") << u","_s << 0;
        QTest::newRow("meaning") << u"собака"_s << 2;
        QTest::newRow("inside a word") << u"alo"_s << 3;
        QTest::newRow("whole line") << u"dog,собака,"_s << 2;
        QTest::newRow("other case") << u"CAT"_s << -1;
        QTest::newRow("absent") << u"horse"_s << -1;
        QTest::newRow("empty") << QString() << -1;
    }

    void searchSelectsTheFirstRowHoldingTheText()
    {
        QFETCH(QString, text);
        QFETCH(int, row);
        DictionariesTab tab;
        tab.writeLines(tab.dictPath(0), {u"Cat,кошка,"_s, u"cat,кот,"_s, u"dog,собака,"_s, u"catalog,каталог,"_s});
        QVERIFY(tab.show());
        tab.window->move(123, 77);
        tab.selectRow(3); // a search goes on after the selected row, round to the top
        tab.key(Qt::Key_F, Qt::ControlModifier);
        FindDialog *dialog = tab.findDialog();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->frameGeometry().topLeft(), tab.window->frameGeometry().topLeft() + QPoint(20, 40));

        tab.find(text);
        QCOMPARE(tab.selectedRow(), row < 0 ? 3 : row);
        QCOMPARE(dialog->isVisible(), row < 0);
        QCOMPARE(tab.rows().size(), 4);
        QVERIFY(tab.messages.isEmpty());
        QTRY_VERIFY(tab.list()->hasFocus());
        QCOMPARE(dialog->isVisible(), row < 0);

        // The dialog keeps its text for the next search.
        dialog->close();
        QVERIFY(tab.activate());
        tab.key(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->text(), text);
        dialog->close();
    }

    // "Найти далее" moves on from the match to the next one and round.
    void findNextMovesOn()
    {
        DictionariesTab tab;
        tab.writeLines(tab.dictPath(0), {u"cat,кот,"_s, u"dog,собака,"_s, u"cat,кошка,"_s, u"sun,солнце,"_s});
        QVERIFY(tab.show());
        QList<int> found;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(tab.activate());
            tab.key(Qt::Key_F, Qt::ControlModifier);
            QVERIFY(QTest::qWaitForWindowActive(tab.findDialog()));
            if (i == 0)
                tab.find(u"cat,"_s);
            else
                QTest::mouseClick(tab.findDialog()->findChild<QPushButton *>(u"findButton"_s), Qt::LeftButton);
            found << tab.selectedRow();
        }
        QCOMPARE(found, (QList<int>{0, 2, 0}));
    }

    // A row that shows in part counts as visible: nothing scrolls.
    void partlyVisibleRowDoesNotScroll()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 60);
        QVERIFY(tab.show());
        QTreeWidget *list = tab.list();
        const QRect viewport = list->viewport()->rect();
        int partly = -1;
        for (int row = 0; row < 60 && partly < 0; ++row) {
            const QRect rect = list->visualItemRect(list->topLevelItem(row));
            if (rect.intersects(viewport) && !viewport.contains(rect))
                partly = row;
        }
        QVERIFY2(partly > 0, "no row shows in part at the list's bottom");
        const int scrolled = list->verticalScrollBar()->value();
        tab.child<QAction>("N7")->trigger();
        tab.find(u"w%1,"_s.arg(partly));
        QCOMPARE(tab.selectedRow(), partly);
        QCOMPARE(list->verticalScrollBar()->value(), scrolled);

        // Leaving the tab and coming back does not scroll either.
        auto *pages = tab.child<QTabWidget>("PageControl1");
        pages->setCurrentIndex(0);
        pages->setCurrentIndex(1);
        QCOMPARE(list->verticalScrollBar()->value(), scrolled);
    }

    void searchScrollsTheFoundRowIntoView()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 60);
        QVERIFY(tab.show());
        tab.child<QAction>("N7")->trigger();
        tab.find(u"w57,"_s);
        QCOMPARE(tab.selectedRow(), 57);
        const QRect shown = tab.list()->visualItemRect(tab.list()->topLevelItem(57));
        QVERIFY(tab.list()->viewport()->rect().intersects(shown));
    }

    void keysAfterASearchActOnTheFoundRow()
    {
        DictionariesTab tab;
        tab.writeLines(tab.dictPath(0), {u"red,красный,"_s, u"green,зелёный,"_s, u"blue,синий,"_s, u"grey,серый,"_s});
        QVERIFY(tab.show());
        tab.key(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(QTest::qWaitForWindowActive(tab.findDialog()));
        tab.find(u"зел"_s);
        QTRY_VERIFY(tab.list()->hasFocus());
        QCOMPARE(tab.selectedRow(), 1);
        auto visit = answerEditor({std::nullopt, u"зелёный цвет"_s});
        tab.key(Qt::Key_F4);
        QVERIFY(visit->found);
        QCOMPARE(visit->shown.first(), u"green"_s);
        QCOMPARE(tab.rows().at(1), u"green,зелёный цвет,"_s);

        QVERIFY(tab.activate());
        QVERIFY(tab.list()->hasFocus());
        tab.key(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(QTest::qWaitForWindowActive(tab.findDialog()));
        // Typed into the dialog and confirmed with Enter.
        auto *edit = tab.findDialog()->findChild<QLineEdit *>(u"findText"_s);
        edit->selectAll();
        type(edit, u"blue"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!tab.findDialog()->isVisible());
        QTRY_VERIFY(tab.list()->hasFocus());
        tab.key(Qt::Key_Delete);
        QCOMPARE(tab.rows(), (QStringList{u"red,красный,"_s, u"green,зелёный цвет,"_s, u"grey,серый,"_s}));
        QVERIFY(tab.messages.isEmpty());
    }

    void fullDictionaryPassesTheWordOn()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 69, u"a"_s);
        tab.writeDictionary(1, 70, u"b"_s);
        tab.writeDictionary(2, 10, u"c"_s);
        QVERIFY(tab.show());
        auto visit = answerEditor({u"last"_s, u"последний"_s});
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        QVERIFY(tab.messages.isEmpty());
        QCOMPARE(tab.rows().size(), 70);
        QCOMPARE(tab.currentPath(), tab.dictPath(0));

        visit = answerEditor({u"next"_s, u"следующий"_s});
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        QCOMPARE(tab.messages, QStringList{DictionaryFull});
        // The full dictionary was saved before the search; the word went to the
        // first dictionary with room.
        QCOMPARE(linesOnDisk(tab.dictPath(0)).size(), 70);
        QCOMPARE(linesOnDisk(tab.dictPath(0)).last(), u"last,последний,"_s);
        QCOMPARE(tab.currentPath(), tab.dictPath(2));
        QCOMPARE(tab.rows().size(), 11);
        QCOMPARE(tab.rows().last(), u"next,следующий,"_s);
        QCOMPARE(tab.selectedRow(), 10);
        QVERIFY(tab.caption().endsWith(u"/dict/tom_2.wrd"_s));
        QCOMPARE(tab.status(), u"Всего слов: 11  "_s);
        tab.click("BNextDict");
        QCOMPARE(tab.currentPath(), tab.dictPath(0));
        QCOMPARE(linesOnDisk(tab.dictPath(2)).last(), u"next,следующий,"_s);
    }

    void noRoomAnywhereStartsANewDictionary()
    {
        DictionariesTab tab;
        for (int n : {0, 1, 3})
            tab.writeDictionary(n, 70, u"t%1_"_s.arg(n));
        QVERIFY(tab.show());
        QCOMPARE(tab.currentPath(), tab.dictPath(0));
        auto visit = answerEditor({u"fresh"_s, u"свежий"_s});
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        QCOMPARE(tab.messages, QStringList{DictionaryFull});
        QCOMPARE(tab.currentPath(), tab.dictPath(2));
        QVERIFY(QFile::exists(tab.dictPath(2)));
        QCOMPARE(tab.rows(), QStringList{u"fresh,свежий,"_s});
        QCOMPARE(tab.selectedRow(), 0);
        QCOMPARE(tab.status(), u"Всего слов: 1  "_s);
        QCOMPARE(storedFlag(tab.settingsPath(), DictFlags::ExcludeKey, tab.dictPath(2)), std::optional<bool>(false));

        // The new dictionary has its place in the list.
        tab.click("BNextDict");
        QCOMPARE(tab.currentPath(), tab.dictPath(3));
        QCOMPARE(linesOnDisk(tab.dictPath(2)), QStringList{u"fresh,свежий,"_s});
        tab.click("BPrevDict");
        QCOMPARE(tab.currentPath(), tab.dictPath(2));
        tab.click("BPrevDict");
        QCOMPARE(tab.currentPath(), tab.dictPath(1));
        QCOMPARE(tab.messages.size(), 1);
    }

    void nextAndPreviousWrapAround()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 7, u"zero"_s);
        tab.writeDictionary(2, 8, u"two"_s);
        tab.writeDictionary(10, 9, u"ten"_s);
        QVERIFY(tab.show());
        const auto shows = [&tab](int number, int lines) {
            return tab.currentPath() == tab.dictPath(number) && tab.rows().size() == lines
                   && tab.status() == u"Всего слов: %1  "_s.arg(lines) && tab.list()->hasFocus()
                   && tab.caption() == QString(CaptionStart + tab.dictPath(number).right(35));
        };
        QVERIFY(shows(0, 7));
        tab.click("BNextDict");
        QVERIFY(shows(2, 8));
        tab.click("BNextDict");
        QVERIFY(shows(10, 9));
        tab.click("BNextDict");
        QVERIFY(shows(0, 7));
        tab.click("BPrevDict");
        QVERIFY(shows(10, 9));
        QCOMPARE(tab.rows().first(), u"ten0,mten0,"_s);
    }

    void captionShowsTheLast35Characters_data()
    {
        QTest::addColumn<int>("pathLength");
        QTest::newRow("short") << 30;
        QTest::newRow("35") << 35;
        QTest::newRow("36") << 36;
        QTest::newRow("long") << 60;
    }

    void captionShowsTheLast35Characters()
    {
        QFETCH(int, pathLength);
        QTemporaryDir base(u"/tmp/lxXXXXXX"_s);
        QVERIFY(base.isValid());
        const QString name = u"/tom_0.wrd"_s;
        const qsizetype folderLength = pathLength - base.path().size() - name.size() - 1;
        QVERIFY(folderLength > 0);
        const QString folder = QString(base.path() + u'/' + QString(folderLength, u'd'));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + name;
        QCOMPARE(path.size(), pathLength);

        DictionariesTab tab;
        tab.writeLines(path, {u"x,y,"_s});
        QVERIFY(tab.show());
        OpenDialogAnswer answer(path);
        tab.clickHeader();
        QCOMPARE(tab.currentPath(), path);
        QCOMPARE(tab.caption(), QString(CaptionStart + (pathLength <= 35 ? path : path.right(35))));
    }

    void headerClickOpensADictionaryOfAnyFolder()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 8);
        QTemporaryDir other;
        const QString folder = other.path() + u'/';
        tab.writeLines(folder + u"tom_5.wrd"_s, {u"five,пять,"_s});
        tab.writeLines(folder + u"tom_7.wrd"_s, {u"seven,семь,"_s});
        QVERIFY(tab.show());
        const QString startDir = tab.objects.state->dictDir;

        OpenDialogAnswer answer(folder + u"tom_5.wrd"_s);
        tab.clickHeader();
        QCOMPARE(answer.folders, QStringList{startDir});
        QCOMPARE(tab.objects.state->dictDir, folder);
        QCOMPARE(tab.currentPath(), QString(folder + u"tom_5.wrd"_s));
        QCOMPARE(tab.rows(), QStringList{u"five,пять,"_s});
        tab.click("BNextDict");
        QCOMPARE(tab.rows(), QStringList{u"seven,семь,"_s});
        tab.click("BNextDict");
        QCOMPARE(tab.rows(), QStringList{u"five,пять,"_s});

        // The new folder is remembered and opens again in a new window.
        tab.window->close();
        tab.window.reset();
        QVERIFY(tab.show());
        QCOMPARE(tab.objects.state->dictDir, folder);
        QCOMPARE(tab.currentPath(), QString(folder + u"tom_5.wrd"_s));
    }

    void headerClickFollowsTheFolderRulesForOtherNames()
    {
        DictionariesTab tab;
        QTemporaryDir other;
        const QString folder = other.path() + u'/';
        tab.writeLines(folder + u"english.wrd"_s, {u"chosen,выбранный,"_s});
        tab.writeLines(folder + u"tom_1.wrd"_s, QStringList(10, u"room,место,"_s));
        QVERIFY(tab.show());
        OpenDialogAnswer answer(folder + u"english.wrd"_s);
        tab.clickHeader();
        // "english.wrd" is listed as "tom_0.wrd", which is missing: it comes
        // into being empty, and being the first with room it becomes current.
        QCOMPARE(tab.objects.state->dictDir, folder);
        QCOMPARE(tab.currentPath(), QString(folder + u"tom_0.wrd"_s));
        QVERIFY(tab.rows().isEmpty());

        // With every listed dictionary full the chosen file itself opens, and
        // the buttons stay on it.
        QTemporaryDir full;
        const QString fullFolder = full.path() + u'/';
        tab.writeLines(fullFolder + u"english.wrd"_s, {u"chosen,выбранный,"_s});
        tab.writeLines(fullFolder + u"tom_0.wrd"_s, QStringList(70, u"full,полный,"_s));
        FileDialogs::setHandler([&](const QString &, const QString &) { return QString(fullFolder + u"english.wrd"_s); });
        tab.clickHeader();
        QCOMPARE(tab.currentPath(), QString(fullFolder + u"english.wrd"_s));
        QCOMPARE(tab.rows(), QStringList{u"chosen,выбранный,"_s});
        tab.click("BNextDict");
        QCOMPARE(tab.currentPath(), QString(fullFolder + u"english.wrd"_s));
        tab.click("BPrevDict");
        QCOMPARE(tab.rows(), QStringList{u"chosen,выбранный,"_s});
    }

    void headerClickWithoutAFileChangesNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("pattern") << u"*.wrd"_s;
        QTest::newRow("missing file") << u"/nonexistent-lexomat/tom_4.wrd"_s;
        QTest::newRow("folder") << u"/tmp"_s;
    }

    void headerClickWithoutAFileChangesNothing()
    {
        QFETCH(QString, answer);
        DictionariesTab tab;
        tab.writeDictionary(0, 8);
        tab.writeDictionary(1, 9);
        QVERIFY(tab.show());
        tab.click("BNextDict");
        const QString dictDir = tab.objects.state->dictDir;
        const QString caption = tab.caption();
        OpenDialogAnswer dialog(answer);
        tab.clickHeader();
        QCOMPARE(dialog.folders, QStringList{dictDir});
        QCOMPARE(tab.objects.state->dictDir, dictDir);
        QCOMPARE(tab.currentPath(), tab.dictPath(1));
        QCOMPARE(tab.caption(), caption);
        QCOMPARE(tab.rows().size(), 9);
    }

    void checkBoxesExcludeEachOther()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 8);
        QVERIFY(tab.show());
        auto *exclude = tab.child<QCheckBox>("CBExclude");
        auto *repeat = tab.child<QCheckBox>("CBRepeat");
        const QString path = tab.dictPath(0);
        const auto flags = [&] {
            return std::pair{storedFlag(tab.settingsPath(), DictFlags::ExcludeKey, path),
                             storedFlag(tab.settingsPath(), DictFlags::RepeatKey, path)};
        };
        using Flags = std::pair<std::optional<bool>, std::optional<bool>>;
        QVERIFY(!exclude->isChecked());
        QVERIFY(!repeat->isChecked());
        QCOMPARE(flags(), Flags(false, false));

        QTest::mouseClick(repeat, Qt::LeftButton);
        QVERIFY(repeat->isChecked());
        QCOMPARE(flags(), Flags(false, true));
        QTest::mouseClick(exclude, Qt::LeftButton);
        QVERIFY(exclude->isChecked());
        QVERIFY(!repeat->isChecked());
        QCOMPARE(flags(), Flags(true, false));
        QTest::mouseClick(repeat, Qt::LeftButton);
        QVERIFY(!exclude->isChecked());
        QCOMPARE(flags(), Flags(false, true));
        QTest::mouseClick(repeat, Qt::LeftButton);
        QCOMPARE(flags(), Flags(false, false));

        // A change made by the program runs the handler too.
        tab.window->SetExcludeChecked(true);
        QCOMPARE(flags(), Flags(true, false));
        repeat->setChecked(true);
        QVERIFY(!exclude->isChecked());
        QCOMPARE(flags(), Flags(false, true));

        // Setting the state a box already has writes nothing.
        {
            INIT other(tab.settingsPath());
            other.OpenKey(DictFlags::RepeatKey, true);
            other.WriteBool(path, false);
            other.CloseKey();
        }
        repeat->setChecked(true);
        QCOMPARE(flags(), Flags(false, false));
    }

    void newDictionaryShowsBothBoxesCleared_data()
    {
        QTest::addColumn<QString>("checkedBox");
        QTest::newRow("excluded before") << u"CBExclude"_s;
        QTest::newRow("repeated before") << u"CBRepeat"_s;
    }

    void newDictionaryShowsBothBoxesCleared()
    {
        QFETCH(QString, checkedBox);
        DictionariesTab tab;
        tab.writeDictionary(0, 8);
        tab.writeDictionary(1, 8);
        tab.writeDictionary(2, 8);
        QVERIFY(tab.show());
        auto *exclude = tab.child<QCheckBox>("CBExclude");
        auto *repeat = tab.child<QCheckBox>("CBRepeat");
        QTest::mouseClick(tab.window->findChild<QCheckBox *>(checkedBox), Qt::LeftButton);
        const bool excluded = checkedBox == u"CBExclude";

        tab.click("BNextDict");
        QVERIFY(!exclude->isChecked());
        QVERIFY(!repeat->isChecked());
        for (const QString &key : {DictFlags::ExcludeKey, DictFlags::RepeatKey})
            QCOMPARE(storedFlag(tab.settingsPath(), key, tab.dictPath(1)), std::optional<bool>(false));

        // A dictionary with a flag shows it; the one left keeps its own.
        {
            INIT other(tab.settingsPath());
            other.OpenKey(excluded ? DictFlags::RepeatKey : DictFlags::ExcludeKey, true);
            other.WriteBool(tab.dictPath(2), true);
            other.CloseKey();
        }
        tab.click("BNextDict");
        QCOMPARE(exclude->isChecked(), !excluded);
        QCOMPARE(repeat->isChecked(), excluded);
        QCOMPARE(storedFlag(tab.settingsPath(), DictFlags::ExcludeKey, tab.dictPath(2)), std::optional<bool>(!excluded));
        QCOMPARE(storedFlag(tab.settingsPath(), DictFlags::RepeatKey, tab.dictPath(2)), std::optional<bool>(excluded));
        tab.click("BNextDict");
        QCOMPARE(exclude->isChecked(), excluded);
        QCOMPARE(repeat->isChecked(), !excluded);
        QCOMPARE(storedFlag(tab.settingsPath(), DictFlags::ExcludeKey, tab.dictPath(0)), std::optional<bool>(excluded));
        QCOMPARE(storedFlag(tab.settingsPath(), DictFlags::RepeatKey, tab.dictPath(0)), std::optional<bool>(!excluded));
    }

    void editsReachTheDiskInTheStoredForm()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 3);
        tab.writeDictionary(1, 6);
        QVERIFY(tab.show());
        tab.click("BDelete_Word"); // nothing selected
        tab.selectRow(0);
        tab.click("BDelete_Word");
        tab.click("BDelete_Word");
        tab.click("BDelete_Word");
        QVERIFY(tab.rows().isEmpty());
        auto visit = answerEditor({u"cat"_s, u"кот"_s});
        tab.click("BAdd_Word");
        QVERIFY(visit->found);
        // Nothing is written before the dictionary is left.
        QCOMPARE(linesOnDisk(tab.dictPath(0)).size(), 3);
        tab.click("BNextDict");
        QFile file(tab.dictPath(0));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toHex(' '), QByteArrayLiteral("ff fe 63 00 61 00 74 00 2c 00 20 04 54 04 20 04 55 04 21 04 "
                                                              "1a 20 2c 00 0d 00 0a 00"));
        file.close();

        // Edits of the next dictionary reach the disk when the window closes.
        tab.selectRow(2);
        visit = answerEditor({u"milk"_s, u"молоко"_s});
        tab.click("BChange_Word");
        tab.selectRow(5);
        tab.click("BDelete_Word");
        visit = answerEditor({u"tea"_s, u"чай"_s});
        tab.click("BAdd_Word");
        const QStringList edited{u"w0,mw0,"_s, u"w1,mw1,"_s, u"milk,молоко,"_s, u"w3,mw3,"_s, u"w4,mw4,"_s, u"tea,чай,"_s};
        QCOMPARE(tab.rows(), edited);
        QCOMPARE(linesOnDisk(tab.dictPath(1)).size(), 6);
        QCOMPARE(linesOnDisk(tab.dictPath(1)).at(2), u"w2,mw2,"_s);
        tab.window->close();
        QCOMPARE(linesOnDisk(tab.dictPath(1)), edited);

        // A new window over the same folder and settings shows them.
        tab.window.reset();
        QVERIFY(tab.show());
        QCOMPARE(tab.currentPath(), tab.dictPath(1));
        QCOMPARE(tab.rows(), edited);
        tab.click("BPrevDict");
        QCOMPARE(tab.rows(), QStringList{u"cat,кот,"_s});
    }

    void enteringTheTabFocusesTheList()
    {
        DictionariesTab tab;
        tab.writeDictionary(0, 60);
        QVERIFY(tab.show());
        auto *pages = tab.child<QTabWidget>("PageControl1");
        tab.selectRow(55);
        pages->setCurrentIndex(0);
        tab.list()->scrollToTop();
        pages->setCurrentIndex(1);
        QVERIFY(tab.list()->hasFocus());
        const QRect shown = tab.list()->visualItemRect(tab.list()->topLevelItem(55));
        QVERIFY(tab.list()->viewport()->rect().intersects(shown));
    }

    // "Словарная статья" (F2) shows the selected row's English word in the
    // dictionary, or says why it cannot: no row, no such word, no package.
    void articleOfTheSelectedRow_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("message");
        QTest::newRow("a form of another word") << true << 1 << u"went → go [gəʊ]"_s << QString();
        QTest::newRow("no row chosen") << true << -1 << QString() << NoWordSelected;
        QTest::newRow("not in the dictionary") << true << 0 << QString() << Information + u"Слова «zzxq» нет в словаре."_s;
        QTest::newRow("no dictionary installed")
            << false << 1 << QString()
            << Information + u"Англо-русский словарь не установлен. Его приносит пакет mueller7-dict."_s;
    }
    void articleOfTheSelectedRow()
    {
        QFETCH(bool, installed);
        QFETCH(int, row);
        QFETCH(QString, heading);
        QFETCH(QString, message);
        QTemporaryDir empty;
        qputenv("LEXOMAT_DICTD_DIR", installed ? QByteArray("/usr/share/dictd") : empty.path().toLocal8Bit());
        const auto restore = qScopeGuard([] { qunsetenv("LEXOMAT_DICTD_DIR"); });
        DictionariesTab tab;
        tab.writeLines(tab.dictPath(0), {u"zzxq,что-то,"_s, u"went,шёл,"_s});
        QVERIFY(tab.show());
        auto *item = tab.child<QAction>("NArticle");
        QCOMPARE(item->text(), u"Словарная статья"_s);
        QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F2));
        QVERIFY(tab.list()->actions().contains(item));
        if (row >= 0)
            tab.selectRow(row);
        QString shown;
        bool found = false;
        if (!heading.isEmpty()) {
            answerNextModal<QDialog>([&](QDialog *dialog) {
                shown = dialog->findChild<QLabel *>(u"Heading"_s)->text();
                dialog->close();
            }, &found);
        }
        tab.key(Qt::Key_F2);
        QCOMPARE(found, !heading.isEmpty());
        QCOMPARE(shown, heading);
        QCOMPARE(tab.messages, message.isEmpty() ? QStringList() : QStringList{message});
    }
};

QTEST_MAIN(TestDictionariesTab)
#include "tst_dictionaries_tab.moc"
