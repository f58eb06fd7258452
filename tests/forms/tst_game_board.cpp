#include "main_window_fixture.h"

#include "dict/random.h"
#include "forms/color_dialog.h"
#include "modal_answer.h"
#include "forms/shape.h"
#include "forms/status_panels.h"
#include "forms/up_down.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

class TestGameBoard : public QObject
{
    Q_OBJECT

private:
    static QLabel *label(MainWindowFixture &f, int column, int row)
    {
        return f.window->findChild<QLabel *>(QStringLiteral("Label%1").arg(column == 0 ? row + 1 : row + 9));
    }

    // The row of the word drawn in the active colour, -1 when none is.
    static int activeRow(MainWindowFixture &f)
    {
        for (int row = 0; row < 6; ++row) {
            if (label(f, 0, row)->palette().color(QPalette::WindowText) == QColor(255, 255, 0))
                return row;
        }
        return -1;
    }

    // The meaning label that shows the meaning of the word in row.
    static int meaningRowOf(MainWindowFixture &f, int row)
    {
        const QString word = label(f, 0, row)->text();
        for (int j = 0; j < 6; ++j) {
            if (label(f, 1, j)->text().startsWith(QStringLiteral("m") + word + QLatin1Char('\n')))
                return j;
        }
        return -1;
    }

private Q_SLOTS:
    void init() { Clock::setSource([] { return qint64(1234567); }); }
    void cleanup() { Clock::setSource({}); }

    void clickingTheRightMeaningCountsAndHidesIt()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        QTest::mouseClick(f.child<QPushButton>("BStart"), Qt::LeftButton);
        QCOMPARE(f.child<QPushButton>("BStart")->text(), QStringLiteral("Стоп"));
        QSet<QString> words;
        for (int row = 0; row < 6; ++row)
            words.insert(label(f, 0, row)->text());
        QCOMPARE(words.size(), 6);

        const int active = activeRow(f);
        QVERIFY(active >= 0);
        const int right = meaningRowOf(f, active);
        QVERIFY(right >= 0);
        // A wrong click first: nothing is counted or hidden.
        const int wrong = (right + 1) % 6;
        QTest::mouseClick(label(f, 1, wrong), Qt::LeftButton);
        QCOMPARE(f.objects.state->guessedCount, 0);
        QVERIFY(label(f, 1, wrong)->isVisible());

        const int next = activeRow(f);
        const int nextRight = meaningRowOf(f, next);
        QTest::mouseClick(label(f, 1, nextRight), Qt::LeftButton);
        QCOMPARE(f.objects.state->guessedCount, 1);
        QVERIFY(!label(f, 1, nextRight)->isVisible());
        QVERIFY(f.child<QLabel>("Image5")->isVisible());
        QTRY_VERIFY(!f.child<QLabel>("Image5")->isVisible()); // the flash bar goes after 50 ms
        QVERIFY(f.child<StatusPanels>("StatusBar1")->panelText(3).contains(QStringLiteral(": 1")));
    }

    void keysOneToSixAnswer()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.engine().BStartClick();
        const int right = meaningRowOf(f, activeRow(f));
        QTest::keyClick(&window, static_cast<Qt::Key>(Qt::Key_1 + right));
        QCOMPARE(f.objects.state->guessedCount, 1);
    }

    void wordLabelsAreCutToTheirWidth()
    {
        MainWindowFixture f;
        {
            WordFile file(f.dictPath(0));
            for (int i = 0; i < 6; ++i)
                file.lines << QStringLiteral("%1%2,%3,%3,").arg(QString(34, QLatin1Char('W'))).arg(i).arg(QString(34, QLatin1Char('M')));
            file.Save();
        }
        TForm1 &window = f.open();
        window.show();
        window.engine().BStartClick();
        for (int row = 0; row < 6; ++row) {
            QCOMPARE(label(f, 0, row)->width(), 98);
            QCOMPARE(label(f, 1, row)->width(), 185);
        }
        // Repainting keeps the widths.
        window.PaintColumn(1, true);
        QCOMPARE(label(f, 1, 0)->width(), 185);
    }

    void leavingTheGameTabStopsTheGameAndEmptiesTheBoard()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        window.engine().BStartClick();
        QVERIFY(!label(f, 0, 0)->text().isEmpty());
        f.child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        QCOMPARE(f.objects.state->gameState, 0);
        for (int row = 0; row < 6; ++row)
            QVERIFY(label(f, 0, row)->text().isEmpty());
        QVERIFY(!f.child<QPushButton>("Button3")->isVisible());
        QVERIFY(!f.child<QSlider>("TBGameSpeed")->isEnabled());
        f.child<QTabWidget>("PageControl1")->setCurrentIndex(0);
        QCOMPARE(f.objects.state->gameState, 0);
        QVERIFY(f.child<QPushButton>("Button3")->isVisible());
        QVERIFY(!f.child<QPushButton>("Button3")->isEnabled());
    }

    void settingsDuringAGameStopItAndRepaintTheBoard()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        window.engine().BStartClick();
        QCOMPARE(f.objects.state->gameState, 2);
        bool found = false;
        // Cancelled, but the board still takes the state as it now stands.
        f.objects.state->bgColor = 0x0000FF;
        answerNextModal<TGameColorDialog>([](TGameColorDialog *dialog) { dialog->reject(); }, &found);
        QTest::mouseClick(f.child<QPushButton>("BSettings"), Qt::LeftButton);
        QVERIFY(found);
        QCOMPARE(f.objects.state->gameState, 0);
        QCOMPARE(f.child<QPushButton>("BStart")->text(), QStringLiteral("Запуск"));
        for (int row = 0; row < 6; ++row) {
            QVERIFY(label(f, 0, row)->text().isEmpty());
            QVERIFY(label(f, 1, row)->isVisible());
            QCOMPARE(label(f, 1, row)->palette().color(QPalette::Window), QColor(255, 0, 0));
        }
        QCOMPARE(f.child<Shape>("Shape1")->brushColor(), QColor(255, 0, 0));
    }

    // A double click on a meaning is one answer, not two.
    void doubleClickAnswersOnce()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(f.child<QPushButton>("BStart"), Qt::LeftButton);
        const int turnsBefore = f.objects.state->turns;
        const int row = meaningRowOf(f, activeRow(f));
        QVERIFY(row >= 0);
        // As the window system delivers a double click.
        QLabel *meaning = label(f, 1, row);
        const QPointF at = meaning->rect().center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, meaning->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(meaning, &event);
        }
        QCOMPARE(f.objects.state->guessedCount, 1);
        QCOMPARE(f.objects.state->turns, turnsBefore + 1);
    }

    // Keys 1 to 6 answer on the game page only; elsewhere they are typed.
    void answerKeysOnlyOnTheGamePage()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12, QString()); // rows "0,m0," to "11,m11,"
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(f.child<QPushButton>("BStart"), Qt::LeftButton);
        const int turns = f.objects.state->turns;
        QTest::keyClick(&window, Qt::Key_3);
        QCOMPARE(f.objects.state->turns, turns + 1); // answered

        auto *pages = f.child<QTabWidget>("PageControl1");
        pages->setCurrentIndex(1);
        auto *list = f.child<QTreeWidget>("ListView1");
        QVERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_5);
        QCOMPARE(list->currentItem(), list->topLevelItem(5)); // the list's type-ahead: "5,m5,"
        pages->setCurrentIndex(0);
        QTest::mouseClick(f.child<QPushButton>("BStart"), Qt::LeftButton);
        const int again = f.objects.state->turns;
        QTest::keyClick(&window, Qt::Key_1);
        QCOMPARE(f.objects.state->turns, again + 1);
    }

    void columnShiftStopsAtTheBoardsEdge()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.engine().BStartClick();
        auto *upDown = f.child<UpDown>("UpDown1");
        QToolButton *right = upDown->rightArrow();
        // A click during a game stops it and empties the board.
        QTest::mouseClick(right, Qt::LeftButton);
        QCOMPARE(f.objects.state->gameState, 0);
        QVERIFY(label(f, 0, 0)->text().isEmpty());
        QCOMPARE(f.objects.state->wordColumnLeft, 69);
        QCOMPARE(label(f, 0, 3)->x(), 69);

        const int pageWidth = f.child<QWidget>("TabSheet1")->width();
        const int limit = pageWidth - 6 * (pageWidth / 100);
        int clicks = 0;
        while (f.objects.state->wordColumnLeft < limit && clicks++ < 400)
            QTest::mouseClick(right, Qt::LeftButton);
        const int edge = f.objects.state->wordColumnLeft;
        QVERIFY(edge >= limit && edge < limit + 2);
        // The next step is refused and puts the position back to 0.
        QTest::mouseClick(right, Qt::LeftButton);
        QCOMPARE(f.objects.state->wordColumnLeft, edge);
        QCOMPARE(upDown->position(), 0);
        // So the following left step lands two pixels left of the start.
        QTest::mouseClick(upDown->leftArrow(), Qt::LeftButton);
        QCOMPARE(f.objects.state->wordColumnLeft, 65);
        QCOMPARE(label(f, 0, 5)->x(), 65);
        QCOMPARE(f.objects.state->wordColumnBase, 67);
    }

    // An up-down arrow acts on its press, repeats while held, and does
    // nothing on its release or when the pointer has slid off.
    void holdingAnArrowHighlightsItsColumn()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        auto *upDown = f.child<UpDown>("UpDown2");
        QTest::mousePress(upDown->rightArrow(), Qt::LeftButton);
        QCOMPARE(f.objects.state->meaningColumnLeft, 171);
        QCOMPARE(label(f, 1, 2)->palette().color(QPalette::Window), QColor(255, 255, 0));
        QCOMPARE(label(f, 0, 2)->palette().color(QPalette::Window), QColor(255, 128, 255));
        QTest::qWait(UpDown::RepeatDelay / 2);
        QCOMPARE(f.objects.state->meaningColumnLeft, 171); // not before the delay
        QTRY_VERIFY_WITH_TIMEOUT(f.objects.state->meaningColumnLeft >= 175, 2000);
        QTest::mouseRelease(upDown->rightArrow(), Qt::LeftButton);
        const int released = f.objects.state->meaningColumnLeft;
        QTest::qWait(150);
        QCOMPARE(f.objects.state->meaningColumnLeft, released);
        QCOMPARE(label(f, 1, 2)->palette().color(QPalette::Window), QColor(255, 128, 255));

        // A press that slides off the arrow stops there; the release far
        // away adds nothing.
        QToolButton *left = upDown->leftArrow();
        QTest::mousePress(left, Qt::LeftButton);
        QCOMPARE(f.objects.state->meaningColumnLeft, released - 2);
        QTest::mouseMove(left, QPoint(left->width() + 40, left->height() + 40));
        QMouseEvent away(QEvent::MouseMove, QPointF(left->width() + 40, left->height() + 40),
                         left->mapToGlobal(QPointF(left->width() + 40, left->height() + 40)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(left, &away);
        QTest::qWait(UpDown::RepeatDelay + 150);
        QTest::mouseRelease(left, Qt::LeftButton, {}, QPoint(left->width() + 40, left->height() + 40));
        QCOMPARE(f.objects.state->meaningColumnLeft, released - 2);
    }

    // A short click is one step of 600; held, the arrow repeats only after
    // its delay.
    void speedArrowsStepAndRepeatWhileHeld()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        auto *speed = f.child<QSlider>("TBGameSpeed");
        auto *faster = f.child<QLabel>("Image4");
        QTest::mouseClick(faster, Qt::LeftButton);
        QCOMPARE(speed->value(), 7100);
        QCOMPARE(f.child<QProgressBar>("ProgressBar1")->maximum(), (11000 - 7100 + 2000) / 10);
        QTest::mousePress(faster, Qt::LeftButton);
        QTest::qWait(120); // a click of a slow hand
        QTest::mouseRelease(faster, Qt::LeftButton);
        QCOMPARE(speed->value(), 7700);

        QTest::mousePress(f.child<QLabel>("Image3"), Qt::LeftButton);
        QCOMPARE(speed->value(), 7100);
        QTRY_VERIFY(speed->value() <= 7100 - 3 * 600); // repeats every 50 ms while held
        QTest::mouseRelease(f.child<QLabel>("Image3"), Qt::LeftButton);
        const int released = speed->value();
        QTest::qWait(120);
        QCOMPARE(speed->value(), released); // the repeat ends with the release
        QTest::mouseClick(faster, Qt::LeftButton);
        QCOMPARE(speed->value(), std::min(11000, released + 600));

        speed->setValue(11000);
        QTest::mouseClick(faster, Qt::LeftButton);
        QCOMPARE(speed->value(), 11000);
    }
};

QTEST_MAIN(TestGameBoard)
#include "tst_game_board.moc"
