#include "app/program_state.h"
#include "forms/add_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
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

private Q_SLOTS:
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
};

QTEST_MAIN(TestAddDialog)
#include "tst_add_dialog.moc"
