#include "app/tray_routing.h"

#include <QTest>

class TestTrayRouting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void routes_data()
    {
        using namespace Requests;
        QTest::addColumn<uint>("message");
        QTest::addColumn<quint64>("wParam");
        QTest::addColumn<qint64>("lParam");
        QTest::addColumn<uint>("request");
        QTest::addColumn<bool>("passOn");
        QTest::newRow("left down restores") << TrayNotification << quint64(10) << qint64(LeftButtonDown) << Restore << false;
        QTest::newRow("right up opens menu") << TrayNotification << quint64(10) << qint64(RightButtonUp) << TrayMenu << false;
        QTest::newRow("move swallowed") << TrayNotification << quint64(10) << qint64(MouseMove) << 0u << false;
        QTest::newRow("left up swallowed") << TrayNotification << quint64(10) << qint64(LeftButtonUp) << 0u << false;
        QTest::newRow("double click swallowed") << TrayNotification << quint64(10) << qint64(LeftButtonDoubleClick) << 0u << false;
        QTest::newRow("right down swallowed") << TrayNotification << quint64(10) << qint64(RightButtonDown) << 0u << false;
        QTest::newRow("first command") << Command << quint64(49253) << qint64(0) << TrayCommand << true;
        QTest::newRow("last command") << Command << quint64(49272) << qint64(0) << TrayCommand << true;
        QTest::newRow("below range") << Command << quint64(49252) << qint64(0) << 0u << true;
        QTest::newRow("above range") << Command << quint64(49273) << qint64(0) << 0u << true;
        QTest::newRow("other message") << 15u << quint64(49253) << qint64(LeftButtonDown) << 0u << true;
    }

    void routes()
    {
        QFETCH(uint, message);
        QFETCH(quint64, wParam);
        QFETCH(qint64, lParam);
        const TrayRoute route = RouteApplicationMessage(message, wParam, lParam);
        QTEST(route.request, "request");
        QTEST(route.passOn, "passOn");
    }
};

QTEST_APPLESS_MAIN(TestTrayRouting)
#include "tst_tray_routing.moc"
