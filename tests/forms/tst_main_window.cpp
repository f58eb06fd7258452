#include "main_window_fixture.h"

#include "app/registry.h"
#include "app/tray_routing.h"
#include "forms/cadr_form.h"
#include "modal_answer.h"
#include "forms/status_panels.h"
#include "platform/tray_icon.h"

#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button, QPoint global)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(widget->mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusShowsLinesAndGuessedWords()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        f.objects.state->guessedCount = 3;
        window.RefreshStatus();
        auto *status = f.child<StatusPanels>("StatusBar1");
        QCOMPARE(status->panelText(0), QStringLiteral("Всего слов: 12  "));
        QCOMPARE(status->panelText(3), QStringLiteral("Отгаданных слов: 3  "));
    }

    void activationLaysOutTheStatusBar()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        auto *status = f.child<StatusPanels>("StatusBar1");
        // At creation: a quarter of the design width and the progress bar's width plus 8.
        QCOMPARE(status->panelWidth(0), 90);
        QCOMPARE(status->panelWidth(2), 112);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(status->panelWidth(0), 90);
        QCOMPARE(status->panelWidth(1), 0);
        QCOMPARE(status->panelWidth(2), 114);
        QCOMPARE(status->panelWidth(3), 103);
        QCOMPARE(status->geometry(), QRect(32, 309, 351, 16));
        QCOMPARE(f.child<QProgressBar>("ProgressBar1")->x(), 128);
        // Created at the design size and centred on the screen.
        QCOMPARE(window.size(), QSize(413, 382));
        const QRect screen = window.screen()->geometry();
        QCOMPARE(window.x(), screen.x() + (screen.width() - 413) / 2);
    }

    void dragMovesByThePointersDisplacement_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::newRow("form") << QString();
        QTest::newRow("panel") << QStringLiteral("Panel1");
        QTest::newRow("board") << QStringLiteral("Shape1");
        QTest::newRow("dictionaries page") << QStringLiteral("TabSheet2");
        QTest::newRow("about page") << QStringLiteral("TabSheet3");
    }

    void dragMovesByThePointersDisplacement()
    {
        QFETCH(QString, surface);
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget *target = surface.isEmpty() ? static_cast<QWidget *>(&window) : window.findChild<QWidget *>(surface);
        QVERIFY(target);
        const QPoint start = window.pos();
        const QPoint press = target->mapToGlobal(QPoint(5, 5));
        sendMouse(target, QEvent::MouseButtonPress, Qt::LeftButton, press);
        QCOMPARE(f.objects.state->dragging, 1);
        // A second press while dragging changes nothing.
        sendMouse(target, QEvent::MouseButtonPress, Qt::LeftButton, press + QPoint(100, 100));
        sendMouse(target, QEvent::MouseMove, Qt::NoButton, press + QPoint(7, 3));
        QCOMPARE(window.pos(), start); // the window moves only on release
        sendMouse(target, QEvent::MouseMove, Qt::NoButton, press + QPoint(20, -11));
        sendMouse(target, QEvent::MouseButtonRelease, Qt::LeftButton, press + QPoint(25, -12));
        QCOMPARE(f.objects.state->dragging, 0);
        QCOMPARE(window.pos(), start + QPoint(25, -12));
    }

    // Press, release, press and drag: the second press arrives as a double
    // click and still starts the drag.
    void secondPressOfADoubleClickDrags()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *panel = f.child<QWidget>("Panel1");
        const QPoint start = window.pos();
        const QPoint press = panel->mapToGlobal(QPoint(5, 5));
        sendMouse(panel, QEvent::MouseButtonPress, Qt::LeftButton, press);
        sendMouse(panel, QEvent::MouseButtonRelease, Qt::LeftButton, press);
        QCOMPARE(window.pos(), start);
        sendMouse(panel, QEvent::MouseButtonDblClick, Qt::LeftButton, press);
        QCOMPARE(f.objects.state->dragging, 1);
        sendMouse(panel, QEvent::MouseMove, Qt::NoButton, press + QPoint(30, 10));
        sendMouse(panel, QEvent::MouseButtonRelease, Qt::LeftButton, press + QPoint(40, 12));
        QCOMPARE(window.pos(), start + QPoint(40, 12));
    }

    // A double click on a link of the about tab opens the page once.
    void doubleClickOpensThePageOnce()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        f.child<QTabWidget>("PageControl1")->setCurrentIndex(2);
        for (const char *name : {"Label17", "Image6"}) {
            f.opened.clear();
            auto *link = f.child<QLabel>(name);
            const QPoint at = link->mapToGlobal(link->rect().center());
            // As the window system delivers a double click.
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
                sendMouse(link, type, Qt::LeftButton, at);
            QCOMPARE(f.opened.size(), 1);
            QTest::mouseClick(f.child<QLabel>(name), Qt::LeftButton);
            QCOMPARE(f.opened.size(), 2); // a later click is a click again
        }
    }

    // The frame as drawn: the minimise button's 18-point bold "-", the
    // bottom-right corner exactly its picture, and status panels in dark
    // text on grey, not the frame's white on blue.
    void frameDetails()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QFont minimise = f.child<QPushButton>("Button1")->font();
        QCOMPARE(minimise.pointSize(), 18);
        QVERIFY(minimise.bold());

        auto *corner = f.child<QLabel>("Image2");
        const QImage picture = corner->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(!picture.isNull());
        const QImage drawn = corner->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(drawn.size(), picture.size());
        QCOMPARE(drawn, picture);

        auto *status = f.child<StatusPanels>("StatusBar1");
        auto *panel = status->findChild<QLabel *>(QStringLiteral("panel0"));
        QCOMPARE(panel->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(panel->palette().color(QPalette::Window), QColor(212, 208, 200));
        // A press on the corner drags the frame like the panel around it.
        const QPoint start = window.pos();
        const QPoint press = corner->mapToGlobal(QPoint(10, 10));
        QWidget *under = window.childAt(window.mapFromGlobal(press));
        QVERIFY(under && under != corner);
        sendMouse(under, QEvent::MouseButtonPress, Qt::LeftButton, press);
        sendMouse(under, QEvent::MouseButtonRelease, Qt::LeftButton, press + QPoint(-5, -6));
        QCOMPARE(window.pos(), start + QPoint(-5, -6));
    }

    void rightPressStartsNoDrag()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint start = window.pos();
        auto *panel = f.child<QWidget>("Panel1");
        const QPoint press = panel->mapToGlobal(QPoint(5, 5));
        sendMouse(panel, QEvent::MouseButtonPress, Qt::RightButton, press);
        QCOMPARE(f.objects.state->dragging, 0);
        sendMouse(panel, QEvent::MouseButtonRelease, Qt::RightButton, press + QPoint(30, 30));
        QCOMPARE(window.pos(), start);
    }

    void trayClicksRestoreOnlyWhileTheWindowIsInCharge()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Restoring a shown window leaves it shown.
        window.Perform(Requests::Restore);
        QVERIFY(window.isVisible());

        window.hide();
        f.objects.state->mainWindowInCharge = false;
        window.RouteTrayMessage(Requests::TrayNotification, 0, Requests::LeftButtonDown);
        QVERIFY(!window.isVisible());
        window.RouteTrayMessage(Requests::TrayNotification, 0, Requests::RightButtonUp);
        QVERIFY(f.objects.state->trayMenuPosUnset);
        window.RouteTrayMessage(Requests::Command, Requests::CommandExit, 0);
        QVERIFY(f.window); // nothing closed

        f.objects.state->mainWindowInCharge = true;
        window.RouteTrayMessage(Requests::TrayNotification, 0, Requests::MouseMove);
        QVERIFY(!window.isVisible());
        window.RouteTrayMessage(Requests::TrayNotification, 0, Requests::LeftButtonDown);
        QVERIFY(window.isVisible());
        QVERIFY(!window.trayIcon()->isShown());
    }

    void trayMenuOpensWhereItWasFirstAskedFor()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        const auto lParam = [](int x, int y) {
            return static_cast<qint64>((static_cast<quint32>(static_cast<quint16>(y)) << 16) | static_cast<quint16>(x));
        };
        window.Perform(Requests::TrayMenu, 0, lParam(700, 500));
        QMenu *menu = window.trayIcon()->menu();
        QTRY_VERIFY(menu->isVisible());
        const QRect first = menu->geometry();
        menu->hide();
        QCOMPARE(f.objects.state->trayMenuX, 700);
        QCOMPARE(f.objects.state->trayMenuY, 500);
        window.Perform(Requests::TrayMenu, 0, lParam(100, 50));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->geometry(), first);
        QCOMPARE(f.objects.state->trayMenuX, 700);
        // Centred on the pointer's x.
        QVERIFY(qAbs(first.center().x() - 700) <= 1);
        menu->hide();

        QStringList captions;
        for (QAction *action : menu->actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(captions, (QStringList{QStringLiteral("Восстановить"), QStringLiteral("Словари"),
                                        QStringLiteral("Успехи"), QStringLiteral("Повторить сегодня"),
                                        QStringLiteral("-"),
                                        QStringLiteral("Посетить сайт авторов"), QStringLiteral("-"), QStringLiteral("Выход")}));
        QCOMPARE(window.trayIcon()->toolTip(), QStringLiteral("Lexomat"));
    }

    void trayNegativeCoordinatesSurviveThePacking()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        const qint64 packed = (static_cast<qint64>(static_cast<quint16>(-20)) << 16) | static_cast<quint16>(-5);
        window.Perform(Requests::TrayMenu, 0, packed);
        QCOMPARE(f.objects.state->trayMenuX, -5);
        QCOMPARE(f.objects.state->trayMenuY, -20);
        window.trayIcon()->menu()->hide();
    }

    void exitFromTheTrayMenuSavesTheSettings()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 8);
        TForm1 &window = f.open();
        window.show();
        QSignalSpy closed(&window, &TForm1::closed);
        window.Perform(Requests::TrayCommand, Requests::CommandExit);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.trayIcon()->isShown());
        INIT registry(f.settingsPath());
        registry.OpenKey(INIT::RootKey, false);
        QCOMPARE(registry.ReadString(QStringLiteral("FIRST_LANCH")), QStringLiteral("NO"));
        QCOMPARE(registry.ReadInteger(QStringLiteral("DEFAULT_SPEED")), 6500);
        QCOMPARE(registry.ReadString(QStringLiteral("DEFAULT_DICT")), f.dictPath(0));
    }

    void dictionariesFromTheTrayMenuStopsTheGame()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        window.engine().BStartClick();
        QCOMPARE(f.objects.state->gameState, 2);
        window.hide();
        window.Perform(Requests::TrayCommand, Requests::CommandDictionaries);
        QVERIFY(window.isVisible());
        QCOMPARE(f.child<QTabWidget>("PageControl1")->currentIndex(), 1);
        QCOMPARE(f.objects.state->gameState, 0);
        QCOMPARE(f.child<QPushButton>("BStart")->text(), QStringLiteral("Запуск"));
        QVERIFY(!f.child<QPushButton>("BStart")->isEnabled());
    }

    void visitSiteOpensTheMakersPage()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.Perform(Requests::TrayCommand, Requests::CommandVisitSite);
        QTest::mouseClick(f.child<QLabel>("Image6"), Qt::LeftButton);
        QCOMPARE(f.opened.size(), 2);
        QCOMPARE(f.opened.first(), QUrl(QStringLiteral("https://lexomat.example.org")));
        QCOMPARE(f.opened.last(), f.opened.first());
    }

    void helpOpensTheHelpFileOfTheCurrentFolder()
    {
        MainWindowFixture f;
        f.open();
        QTest::mouseClick(f.child<QPushButton>("Button5"), Qt::LeftButton);
        QCOMPARE(f.opened.size(), 1);
        QCOMPARE(f.opened.first(), QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("lexomat.hlp"))));
    }

    void feedbackMemoShowsOneMessageAtATime()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        auto *pages = f.child<QTabWidget>("PageControl1");
        pages->setCurrentIndex(2);
        auto *memo = f.child<QTextEdit>("Memo1");
        QVERIFY(!memo->isVisible());
        QTest::mouseClick(f.child<QToolButton>("UserVoiceYes"), Qt::LeftButton);
        QTest::mouseClick(f.child<QToolButton>("UserVoiceYes"), Qt::LeftButton);
        QVERIFY(memo->isVisible());
        QCOMPARE(memo->document()->blockCount(), 7);
        QTest::mouseClick(f.child<QToolButton>("UserVoiceNo"), Qt::LeftButton);
        QCOMPARE(memo->document()->blockCount(), 1);
        QVERIFY(memo->toPlainText().contains(QStringLiteral("@example.org")));
        pages->setCurrentIndex(0);
        pages->setCurrentIndex(2);
        QVERIFY(!memo->isVisible());
        QVERIFY(memo->toPlainText().isEmpty());
    }

    void webAddressLightsUpUnderThePointer()
    {
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        f.child<QTabWidget>("PageControl1")->setCurrentIndex(2);
        auto *address = f.child<QLabel>("Label17");
        const auto colour = [address] { return address->palette().color(QPalette::WindowText); };
        const auto hover = [](QWidget *widget) {
            sendMouse(widget, QEvent::MouseMove, Qt::NoButton, widget->mapToGlobal(QPoint(2, 2)));
        };
        QCOMPARE(colour(), QColor(255, 255, 0));
        hover(address);
        QCOMPARE(colour(), QColor(255, 255, 255));
        hover(f.child<QLabel>("Image6"));
        QCOMPARE(colour(), QColor(255, 255, 0));
        hover(address);
        QCOMPARE(colour(), QColor(255, 255, 255));
        hover(f.child<QWidget>("TabSheet3"));
        QCOMPARE(colour(), QColor(255, 255, 0));
    }

    void flashModeHidesTheWindowUntilTheFlashWindowCloses()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 8);
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        f.objects.state->mode = ModeFlash;
        f.objects.state->guessedCount = 4;
        bool found = false;
        bool mainWindowHidden = false;
        bool inCharge = true;
        answerNextModal<TCadr>([&](TCadr *flash) {
            mainWindowHidden = !window.isVisible() || window.isMinimized();
            inCharge = f.objects.state->mainWindowInCharge;
            // The tray does nothing while the flash window runs.
            window.RouteTrayMessage(Requests::TrayNotification, 0, Requests::LeftButtonDown);
            mainWindowHidden = mainWindowHidden && (!window.isVisible() || window.isMinimized());
            flash->close();
        }, &found);
        QTest::mouseClick(f.child<QPushButton>("BStart"), Qt::LeftButton);
        QVERIFY(found);
        QVERIFY(mainWindowHidden);
        QVERIFY(!inCharge);
        QVERIFY(f.objects.state->mainWindowInCharge);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
        QVERIFY(!window.trayIcon()->isShown());
        QCOMPARE(f.objects.state->gameState, 0);
        QCOMPARE(f.objects.state->guessedCount, 0);
        QCOMPARE(f.objects.words->AvailableCount(), 8);
    }

    void minimisingWithoutANotificationAreaUsesTheTaskBar()
    {
        if (TrayIcon::available())
            QSKIP("this desktop has a notification area");
        MainWindowFixture f;
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(f.child<QPushButton>("Button1"), Qt::LeftButton);
        QVERIFY(window.isVisible());
        QVERIFY(window.isMinimized());
        QVERIFY(!window.trayIcon()->isShown());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
