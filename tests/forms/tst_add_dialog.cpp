#include "app/program_state.h"
#include "forms/add_dialog.h"
#include "forms/article_dialog.h"
#include "forms/message_box.h"
#include "modal_answer.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {

// Types text key by key, as a user would, Cyrillic included.
void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

QLineEdit *field(QWidget &dialog, int n)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("Memo%1").arg(n));
}

QPushButton *button(QWidget &dialog, const QString &name)
{
    return dialog.findChild<QPushButton *>(name);
}

void fill(QWidget &dialog, const QStringList &texts)
{
    for (int i = 0; i < 4; ++i)
        field(dialog, i + 1)->setText(texts.value(i));
}

QStringList fieldTexts(QWidget &dialog)
{
    QStringList texts;
    for (int i = 1; i <= 4; ++i)
        texts << field(dialog, i)->text();
    return texts;
}

} // namespace

class TestAddDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_noDictionary;

    // The dictionary the editor finds: Debian's mueller7-dict, installed by
    // tools/dev.sh, or none.
    void useDictionary(bool installed)
    {
        qputenv("LEXOMAT_DICTD_DIR", installed ? QByteArray("/usr/share/dictd") : m_noDictionary.path().toLocal8Bit());
    }

private Q_SLOTS:
    // The editor as it is without a dictionary, unless a test installs one.
    void init() { useDictionary(false); }
    void form()
    {
        PRG_STAT state;
        QStringList lines;
        QWidget mainWindow;
        mainWindow.move(130, 90);
        TAddDialog dialog(state, lines, &mainWindow);
        dialog.show();

        QCOMPARE(dialog.size(), QSize(401, 175));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.pos(), QPoint(150, 130));
        QCOMPARE(dialog.font().family(), u"Microsoft Sans Serif"_s);
        QCOMPARE(dialog.font().pointSize(), 8);
        QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint)));
        QVERIFY(button(dialog, u"Button1"_s)->isDefault());
        QCOMPARE(button(dialog, u"Button2"_s)->text(), u"Отмена"_s);
        QCOMPARE(dialog.findChild<QLabel *>(u"Label1"_s)->text(), u"Английское слово:"_s);
        QCOMPARE(dialog.findChild<QLabel *>(u"Label2"_s)->text(), u"Русские значения:"_s);
        QVERIFY(dialog.findChild<QWidget *>(u"Bevel2"_s));
        QCOMPARE(dialog.focusWidget(), field(dialog, 1));

        // Tab order: the four fields, then the two buttons.
        QStringList order;
        QWidget *w = field(dialog, 1);
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != field(dialog, 1));
        QCOMPARE(order, (QStringList{u"Memo1"_s, u"Memo2"_s, u"Memo3"_s, u"Memo4"_s, u"Button1"_s, u"Button2"_s}));
    }

    void captions_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("confirm");
        QTest::newRow("add") << 0 << u"Новое слово"_s << u"Добавить"_s;
        QTest::newRow("change") << 1 << u"Редактирование"_s << u"Изменить"_s;
    }

    void captions()
    {
        QFETCH(int, mode);
        QFETCH(QString, caption);
        QFETCH(QString, confirm);
        PRG_STAT state;
        state.editMode = mode;
        state.editLine = u"cat,кот,"_s;
        QStringList lines{state.editLine};
        TAddDialog dialog(state, lines, nullptr);
        QCOMPARE(dialog.windowTitle(), caption);
        QCOMPARE(button(dialog, u"Button1"_s)->text(), confirm);
        // Only change mode starts from the line.
        QCOMPARE(field(dialog, 1)->text(), mode == 1 ? u"cat"_s : QString());
    }

    void add_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("shown");
        const QString none;
        QTest::newRow("two meanings") << QStringList{u"run"_s, u"бежать"_s, u"управлять"_s, none}
                                      << QStringList{u"run,бежать,управлять,"_s}
                                      << QStringList{u"run"_s, u"бежать"_s, u"управлять"_s, none};
        QTest::newRow("meanings 1 and 3") << QStringList{u"cat"_s, u"кот"_s, none, u"кошка"_s}
                                          << QStringList{u"cat,кот,кошка,"_s}
                                          << QStringList{u"cat"_s, u"кот"_s, none, u"кошка"_s};
        QTest::newRow("trimmed and shown back")
            << QStringList{u"  run\t"_s, u" бежать "_s, u"\x01 идти"_s, none}
            << QStringList{u"run,бежать,идти,"_s} << QStringList{u"run"_s, u"бежать"_s, u"идти"_s, none};
        QTest::newRow("no-break space is text") << QStringList{u"\u00A0a"_s, none, none, none}
                                                << QStringList{u"\u00A0a,"_s}
                                                << QStringList{u"\u00A0a"_s, none, none, none};
        QTest::newRow("blank meaning is empty") << QStringList{u"run"_s, u"   "_s, u"бежать"_s, none}
                                                << QStringList{u"run,бежать,"_s}
                                                << QStringList{u"run"_s, none, u"бежать"_s, none};
        QTest::newRow("word only") << QStringList{u"run"_s, none, none, none} << QStringList{u"run,"_s}
                                   << QStringList{u"run"_s, none, none, none};
        QTest::newRow("line breaks removed") << QStringList{u"ru\r\nn"_s, u"бе\nжать"_s, none, none}
                                             << QStringList{u"run,бежать,"_s}
                                             << QStringList{u"ru\r\nn"_s, u"бе\nжать"_s, none, none};
        QTest::newRow("empty word") << QStringList{none, u"бежать"_s, none, none} << QStringList{}
                                    << QStringList{none, u"бежать"_s, none, none};
        QTest::newRow("blank word") << QStringList{u"  "_s, u"бежать"_s, none, none} << QStringList{}
                                    << QStringList{u"  "_s, u"бежать"_s, none, none};
    }

    void add()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, shown);
        PRG_STAT state;
        state.editMode = 0;
        const QStringList before{u"a,б,"_s, u"c,д,"_s};
        QStringList lines = before;
        TAddDialog dialog(state, lines, nullptr);
        QSignalSpy changed(&dialog, &TAddDialog::dictionaryChanged);
        dialog.show();
        fill(dialog, typed);
        QTest::mouseClick(button(dialog, u"Button1"_s), Qt::LeftButton);

        QCOMPARE(lines, before + stored);
        QCOMPARE(fieldTexts(dialog), shown);
        QCOMPARE(changed.count(), 1); // also when nothing was stored
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }

    void addTwiceGivesTwoRows()
    {
        PRG_STAT state;
        QStringList lines;
        for (int i = 0; i < 2; ++i) {
            TAddDialog dialog(state, lines, nullptr);
            fill(dialog, {u"run"_s, u"бежать"_s});
            button(dialog, u"Button1"_s)->click();
        }
        QCOMPARE(lines, (QStringList{u"run,бежать,"_s, u"run,бежать,"_s}));
    }

    void enterConfirms()
    {
        PRG_STAT state;
        QStringList lines;
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        fill(dialog, {u"run"_s});
        QTest::keyClick(field(dialog, 1), Qt::Key_Return);
        QCOMPARE(lines, QStringList{u"run,"_s});
    }

    void typingStopsAt35()
    {
        PRG_STAT state;
        QStringList lines;
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        const QString long40 = QString(40, u'w');
        for (int i = 1; i <= 4; ++i)
            QTest::keyClicks(field(dialog, i), long40);
        button(dialog, u"Button1"_s)->click();
        const QString cut = QString(35, u'w');
        QString expected = QStringList{cut, cut, cut, cut}.join(u',');
        expected += u',';
        QCOMPARE(lines, QStringList{expected});
    }

    void change_data()
    {
        QTest::addColumn<QString>("editLine");
        QTest::addColumn<QStringList>("shownFirst");
        QTest::addColumn<QStringList>("typed"); // null entries keep the field
        QTest::addColumn<QString>("stored");
        const QString keep;
        QTest::newRow("word renamed") << u"b,бэ,"_s << QStringList{u"b"_s, u"бэ"_s, u""_s, u""_s}
                                      << QStringList{u"bee"_s, keep, keep, keep} << u"bee,бэ,"_s;
        // What the editor does not show stays as it was.
        QTest::newRow("extra fields and tail kept")
            << u"go,идти,ехать,уходить,лишнее,хвост"_s
            << QStringList{u"go"_s, u"идти"_s, u"ехать"_s, u"уходить"_s} << QStringList{u"went"_s, keep, keep, keep}
            << u"went,идти,ехать,уходить,лишнее,хвост"_s;
        QTest::newRow("text after last comma kept") << u"go,идти"_s << QStringList{u"go"_s, u""_s, u""_s, u""_s}
                                                    << QStringList{keep, u"ехать"_s, keep, keep} << u"go,ехать,идти"_s;
        QTest::newRow("line without a comma kept after the new fields")
            << u"hand-written"_s << QStringList{u""_s, u""_s, u""_s, u""_s}
            << QStringList{u"hand"_s, u"рука"_s, keep, keep} << u"hand,рука,hand-written"_s;
        QTest::newRow("meaning removed closes the gap")
            << u"go,идти,ехать,уходить,"_s << QStringList{u"go"_s, u"идти"_s, u"ехать"_s, u"уходить"_s}
            << QStringList{keep, u""_s, keep, keep} << u"go,ехать,уходить,"_s;
        QTest::newRow("emptied word keeps the old line")
            << u"b,бэ,"_s << QStringList{u"b"_s, u"бэ"_s, u""_s, u""_s} << QStringList{u""_s, keep, keep, keep}
            << u"b,бэ,"_s;
        QTest::newRow("blank word keeps the old line")
            << u"b,бэ,"_s << QStringList{u"b"_s, u"бэ"_s, u""_s, u""_s} << QStringList{u" \t "_s, keep, keep, keep}
            << u"b,бэ,"_s;
        const QString long50 = QString(50, u'я');
        QTest::newRow("long stored field kept whole")
            << QString(u"w,"_s + long50 + u",x,"_s) << QStringList{u"w"_s, long50, u"x"_s, u""_s}
            << QStringList{u"word"_s, keep, keep, keep} << QString(u"word,"_s + long50 + u",x,"_s);
    }

    void change()
    {
        QFETCH(QString, editLine);
        QFETCH(QStringList, shownFirst);
        QFETCH(QStringList, typed);
        QFETCH(QString, stored);
        PRG_STAT state;
        state.editMode = 1;
        state.editIndex = 1;
        state.editLine = editLine;
        QStringList lines{u"a,а,"_s, editLine, u"c,ц,"_s};
        TAddDialog dialog(state, lines, nullptr);
        QSignalSpy changed(&dialog, &TAddDialog::dictionaryChanged);
        QCOMPARE(fieldTexts(dialog), shownFirst);
        for (int i = 0; i < 4; ++i) {
            if (!typed.at(i).isNull())
                field(dialog, i + 1)->setText(typed.at(i));
        }
        button(dialog, u"Button1"_s)->click();
        QCOMPARE(lines, (QStringList{u"a,а,"_s, stored, u"c,ц,"_s}));
        QCOMPARE(changed.count(), 1);
    }

    void changeOfVanishedLineStoresNothing()
    {
        PRG_STAT state;
        state.editMode = 1;
        state.editIndex = 2;
        state.editLine = u"c,ц,"_s;
        QStringList lines{u"a,а,"_s, u"b,б,"_s};
        TAddDialog dialog(state, lines, nullptr);
        QSignalSpy changed(&dialog, &TAddDialog::dictionaryChanged);
        button(dialog, u"Button1"_s)->click();
        QCOMPARE(lines, (QStringList{u"a,а,"_s, u"b,б,"_s}));
        QCOMPARE(changed.count(), 1);
    }

    void cancelStoresNothing_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Esc") << 0;
        QTest::newRow("Отмена") << 1;
        QTest::newRow("close box") << 2;
    }

    void cancelStoresNothing()
    {
        QFETCH(int, way);
        for (int mode : {0, 1}) {
            PRG_STAT state;
            state.editMode = mode;
            state.editIndex = 0;
            state.editLine = u"a,а,"_s;
            QStringList lines{state.editLine};
            TAddDialog dialog(state, lines, nullptr);
            QSignalSpy changed(&dialog, &TAddDialog::dictionaryChanged);
            dialog.show();
            fill(dialog, {u"new"_s, u"новый"_s});
            if (way == 0)
                QTest::keyClick(field(dialog, 2), Qt::Key_Escape);
            else if (way == 1)
                button(dialog, u"Button2"_s)->click();
            else
                dialog.close();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(lines, QStringList{u"a,а,"_s});
            QCOMPARE(changed.count(), 0);
        }
    }

    // The meanings select their text when tabbed into, so typing replaces
    // it; the English word keeps the caret.
    void tabbingSelectsTheMeanings()
    {
        PRG_STAT state;
        state.editMode = 1;
        state.editLine = u"run,бежать,управлять,"_s;
        QStringList lines{state.editLine};
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(!field(dialog, 1)->hasSelectedText());
        QTest::keyClick(field(dialog, 1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), field(dialog, 2));
        QCOMPARE(field(dialog, 2)->selectedText(), u"бежать"_s);
        QTest::keyClick(field(dialog, 2), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), field(dialog, 1));
        QVERIFY(!field(dialog, 1)->hasSelectedText());
        QTest::keyClick(field(dialog, 1), Qt::Key_Tab);
        type(field(dialog, 2), u"мчаться"_s);
        QTest::keyClick(field(dialog, 2), Qt::Key_Return);
        QCOMPARE(lines, QStringList{u"run,мчаться,управлять,"_s});
    }

    // A comma would end the field: neither typed nor pasted, and the
    // learner is told why.
    void commaIsNotTaken()
    {
        PRG_STAT state;
        QStringList lines;
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(field(dialog, 1), u"run"_s);
        type(field(dialog, 2), u"бежать, мчаться"_s);
        QCOMPARE(field(dialog, 2)->text(), u"бежать мчаться"_s);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(u"Запятая"_s));
        field(dialog, 3)->setFocus();
        field(dialog, 3)->insert(u"a,b"_s); // as a paste does
        QCOMPARE(field(dialog, 3)->text(), QString());
        button(dialog, u"Button1"_s)->click();
        QCOMPARE(lines, QStringList{u"run,бежать мчаться,"_s});
    }

    // Off, or without the dictionary package, the editor is the plain one:
    // the same widgets in the same places, and no list drops.
    void plainWithoutSuggestions_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("setting");
        QTest::newRow("setting off") << true << 0;
        QTest::newRow("package missing") << false << 1;
    }
    void plainWithoutSuggestions()
    {
        QFETCH(bool, installed);
        QFETCH(int, setting);
        const auto layout = [](QWidget &dialog) {
            QStringList widgets;
            for (const QWidget *child : dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                const QRect at = child->geometry();
                widgets << u"%1 %2,%3 %4x%5"_s.arg(child->objectName()).arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height());
            }
            return widgets;
        };
        PRG_STAT plainState;
        plainState.suggestMeanings = 0;
        QStringList plainLines;
        TAddDialog plain(plainState, plainLines, nullptr);

        useDictionary(installed);
        PRG_STAT state;
        state.suggestMeanings = setting;
        QStringList lines;
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(layout(dialog), layout(plain));
        // Nothing says that something is missing or broken.
        QStringList messages;
        MessageBoxes::setHandler([&](const QString &, const QString &text) { messages << text; });
        QTest::keyClicks(field(dialog, 1), u"thoroughly"_s);
        QTest::keyClick(field(dialog, 1), Qt::Key_Tab);
        QTest::keyClick(field(dialog, 2), Qt::Key_Down);
        QTest::keyClick(field(dialog, 2), Qt::Key_F2);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QTest::keyClick(field(dialog, 2), Qt::Key_Return);
        MessageBoxes::setHandler({});
        QCOMPARE(messages, QStringList{});
        QCOMPARE(lines, QStringList{u"thoroughly,"_s});
    }

    // The learner types the word, then takes meanings with the keyboard
    // alone: the list drops from the first empty meaning field, Enter takes
    // the highlighted meaning and the next empty field drops the rest.
    void takesMeaningsWithTheKeyboard_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QList<int>>("downs");
        QTest::addColumn<QString>("stored");
        QTest::newRow("thoroughly: the fourth, then the fourth of the rest")
            << u"thoroughly"_s << u"thoroughly [ˈθʌrəlɪ]"_s << QList<int>{3, 3} << u"thoroughly,основательно,тщательно,"_s;
        QTest::newRow("an inflected form")
            << u"houses"_s << u"houses → house [haʊs]"_s << QList<int>{0, 0} << u"houses,дом,жилище,"_s;
        QTest::newRow("a past tense with an article of its own, the base word's meanings after it")
            << u"studied"_s << u"studied [ˈstʌdɪd]"_s << QList<int>{4, 4} << u"studied,изучать,исследовать,"_s;
        QTest::newRow("a form that points to its base word")
            << u"went"_s << u"went → go [gəʊ]"_s << QList<int>{0, 1, 0} << u"went,идти,быть в движении,ходить,"_s;
    }
    void takesMeaningsWithTheKeyboard()
    {
        QFETCH(QString, word);
        QFETCH(QString, heading);
        QFETCH(QList<int>, downs);
        QFETCH(QString, stored);
        useDictionary(true);
        PRG_STAT state;
        QStringList lines;
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *list = dialog.findChild<QListWidget *>(u"Suggestions"_s);
        QVERIFY(list && !list->isVisible());
        QTest::keyClicks(field(dialog, 1), word);
        QTest::keyClick(field(dialog, 1), Qt::Key_Tab);
        QCOMPARE(dialog.findChild<QLabel *>(u"Transcription"_s)->text(), heading);
        for (qsizetype i = 0; i < downs.size(); ++i) {
            QLineEdit *meaning = field(dialog, int(i) + 2);
            QCOMPARE(QApplication::focusWidget(), meaning);
            QVERIFY(list->isVisible());
            QVERIFY(meaning->text().isEmpty()); // nothing is filled unasked
            for (int d = 0; d < downs[i]; ++d)
                QTest::keyClick(meaning, Qt::Key_Down);
            QTest::keyClick(meaning, Qt::Key_Return);
            QVERIFY(dialog.isVisible());
        }
        if (downs.size() < 3) {
            // Escape closes the list, not the dialog; Enter then confirms.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(!list->isVisible());
            QVERIFY(dialog.isVisible());
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(lines, QStringList{stored});
        for (const QString &meaning : lines.first().split(u','))
            QVERIFY(meaning.size() <= 35);
    }

    // Typed text wins: typing closes the list and the typed text is what is
    // stored; a click takes a meaning as Enter does.
    void typedTextWinsAndClicksTake()
    {
        useDictionary(true);
        PRG_STAT state;
        QStringList lines;
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *list = dialog.findChild<QListWidget *>(u"Suggestions"_s);
        QTest::keyClicks(field(dialog, 1), u"run"_s);
        // A pause after the last key is enough to look the word up.
        QTRY_COMPARE(dialog.findChild<QLabel *>(u"Transcription"_s)->text(), u"run [rʌn]"_s);
        QTest::keyClick(field(dialog, 1), Qt::Key_Tab);
        QVERIFY(list->isVisible());
        QCOMPARE(list->item(0)->text(), u"бежать"_s);
        type(field(dialog, 2), u"мчаться"_s);
        QVERIFY(!list->isVisible());
        QTest::keyClick(field(dialog, 2), Qt::Key_Tab);
        QVERIFY(list->isVisible());
        const QString second = list->item(1)->text();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(field(dialog, 3)->text(), second);
        QCOMPARE(QApplication::focusWidget(), field(dialog, 4));
        button(dialog, u"Button1"_s)->click();
        QCOMPARE(lines, QStringList{u"run,мчаться,"_s + second + u","_s});
    }

    // F2, or the button under the word, shows the whole article; a word the
    // dictionary lacks is said so.
    void showsTheArticle()
    {
        useDictionary(true);
        PRG_STAT state;
        QStringList lines;
        TAddDialog dialog(state, lines, nullptr);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(field(dialog, 1), u"went"_s);
        QString shown;
        answerNextModal<ArticleDialog>([&](ArticleDialog *article) {
            shown = article->findChild<QLabel *>(u"Heading"_s)->text() + u'\n'
                    + article->findChild<QPlainTextEdit *>(u"ArticleText"_s)->toPlainText();
            article->close();
        });
        QTest::keyClick(field(dialog, 1), Qt::Key_F2);
        QVERIFY2(shown.startsWith(u"went → go [gəʊ]\nwent\n"_s), qPrintable(shown));
        QVERIFY(shown.contains(u"идти, ходить"_s));

        QStringList messages;
        MessageBoxes::setHandler([&](const QString &, const QString &text) { messages << text; });
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        field(dialog, 1)->setText(u"zzxq"_s);
        button(dialog, u"BArticle"_s)->setEnabled(true);
        QTest::keyClick(field(dialog, 1), Qt::Key_F2);
        MessageBoxes::setHandler({});
        QCOMPARE(messages, QStringList{u"Слова «zzxq» нет в словаре."_s});
        QCOMPARE(dialog.findChild<QLabel *>(u"Transcription"_s)->text(), u"Нет в словаре"_s);
        QVERIFY(!button(dialog, u"BArticle"_s)->isEnabled());
    }
};

QTEST_MAIN(TestAddDialog)
#include "tst_add_dialog.moc"
