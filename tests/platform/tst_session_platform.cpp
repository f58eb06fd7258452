// The choice of the windowing system: when X11 is preferred, that a user's
// choice wins, and the real probe and command line against an X server.

#include "platform/session_platform.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cstring>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using SessionPlatform::Session;

Q_DECLARE_METATYPE(Session)

namespace {

// An argv as main() gets it, with storage that lives as long as the object.
class CommandLine
{
public:
    explicit CommandLine(const QList<QByteArray> &arguments)
        : m_storage(arguments)
    {
        for (QByteArray &argument : m_storage)
            m_pointers.push_back(argument.data());
        m_pointers.push_back(nullptr);
        argc = int(m_storage.size());
        argv = m_pointers.data();
    }

    QList<QByteArray> arguments() const
    {
        QList<QByteArray> list;
        for (int i = 0; i < argc; ++i)
            list.append(QByteArray(argv[i]));
        return list;
    }

    int argc = 0;
    char **argv = nullptr;

private:
    QList<QByteArray> m_storage;
    std::vector<char *> m_pointers;
};

// A private X server for the probe, on a display number of its own choice.
class XServer
{
public:
    ~XServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString start()
    {
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (xvfb.isEmpty())
            return {};
        // -displayfd 1: the server writes its display number to standard output.
        m_process.start(xvfb, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s, u"-screen"_s, u"0"_s,
                               u"320x240x24"_s});
        QByteArray number;
        while (!number.endsWith('\n') && m_process.waitForReadyRead(10000))
            number += m_process.readAllStandardOutput();
        return number.endsWith('\n') ? u':' + QString::fromLatin1(number.trimmed()) : QString();
    }

private:
    QProcess m_process;
};

void setSession(const QByteArray &display)
{
    qunsetenv("QT_QPA_PLATFORM");
    qputenv("DISPLAY", display);
    qputenv("WAYLAND_DISPLAY", "wayland-lexomat-test");
    qputenv("XDG_SESSION_TYPE", "wayland");
}

} // namespace

class TestSessionPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prefersX11_data();
    void prefersX11();
    void currentReadsEnvironmentAndCommandLine();
    void unreachableServerLeavesTheCommandLine();
    void reachableServerRunsTheProgramOnX11();
};

void TestSessionPlatform::prefersX11_data()
{
    QTest::addColumn<Session>("session");
    QTest::addColumn<bool>("x11");

    const Session wayland{{}, ":1", "wayland-0", "wayland", false};
    QTest::newRow("Wayland session with XWayland") << wayland << true;
    Session noSocketName = wayland;
    noSocketName.waylandDisplay.clear();
    QTest::newRow("Wayland session type only") << noSocketName << true;
    Session socketOnly = wayland;
    socketOnly.sessionType.clear();
    QTest::newRow("Wayland socket only") << socketOnly << true;

    Session userWayland = wayland;
    userWayland.qpaPlatform = "wayland";
    QTest::newRow("user chose Wayland") << userWayland << false;
    Session userList = wayland;
    userList.qpaPlatform = "wayland;xcb";
    QTest::newRow("user chose a list") << userList << false;
    Session argument = wayland;
    argument.platformArgument = true;
    QTest::newRow("user chose with -platform") << argument << false;
    Session noX = wayland;
    noX.display.clear();
    QTest::newRow("Wayland without XWayland") << noX << false;
    QTest::newRow("X11 session") << Session{{}, ":0", {}, "x11", false} << false;
    QTest::newRow("no session type") << Session{{}, ":0", {}, {}, false} << false;
}

void TestSessionPlatform::prefersX11()
{
    QFETCH(Session, session);
    QFETCH(bool, x11);
    QCOMPARE(SessionPlatform::prefersX11(session), x11);
}

void TestSessionPlatform::currentReadsEnvironmentAndCommandLine()
{
    setSession(":7");
    CommandLine plain({"lexomat", "--from-test"});
    Session session = SessionPlatform::current(plain.argc, plain.argv);
    QCOMPARE(session.qpaPlatform, QByteArray());
    QCOMPARE(session.display, QByteArray(":7"));
    QCOMPARE(session.waylandDisplay, QByteArray("wayland-lexomat-test"));
    QCOMPARE(session.sessionType, QByteArray("wayland"));
    QVERIFY(!session.platformArgument);

    for (const QByteArray &option : {QByteArray("-platform"), QByteArray("--platform")}) {
        CommandLine chosen({"lexomat", option, "wayland"});
        QVERIFY(SessionPlatform::current(chosen.argc, chosen.argv).platformArgument);
    }
    // The program's name is not an option, whatever it is.
    CommandLine named({"-platform"});
    QVERIFY(!SessionPlatform::current(named.argc, named.argv).platformArgument);

    qputenv("QT_QPA_PLATFORM", "wayland");
    QCOMPARE(SessionPlatform::current(plain.argc, plain.argv).qpaPlatform, QByteArray("wayland"));
}

void TestSessionPlatform::unreachableServerLeavesTheCommandLine()
{
    // A display number no server uses.
    setSession(":31987");
    QVERIFY(!SessionPlatform::xServerReachable());
    CommandLine line({"lexomat", "--from-test"});
    char **before = line.argv;
    SessionPlatform::choose(line.argc, line.argv);
    QCOMPARE(line.argv, before);
    QCOMPARE(line.arguments(), (QList<QByteArray>{"lexomat", "--from-test"}));
}

void TestSessionPlatform::reachableServerRunsTheProgramOnX11()
{
    XServer server;
    const QString display = server.start();
    QVERIFY2(!display.isEmpty(), "no X server for the probe (package xvfb; tools/dev.sh test installs it)");

    // The user's choice is followed even with a server at hand.
    setSession(display.toLatin1());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CommandLine chosen({"lexomat"});
    SessionPlatform::choose(chosen.argc, chosen.argv);
    QCOMPARE(chosen.arguments(), QList<QByteArray>{"lexomat"});

    setSession(display.toLatin1());
    QVERIFY(SessionPlatform::xServerReachable());
    CommandLine line({"lexomat", "--from-test"});
    SessionPlatform::choose(line.argc, line.argv);
    QCOMPARE(line.arguments(), (QList<QByteArray>{"lexomat", "-platform", "xcb", "--from-test"}));
    QCOMPARE(line.argv[line.argc], nullptr);

    // Qt takes the option from there and leaves the program its own.
    {
        QGuiApplication app(line.argc, line.argv);
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        QCOMPARE(QCoreApplication::arguments().mid(1), QStringList{u"--from-test"_s});
        QVERIFY(!SessionPlatform::compositorPlacesWindows());
    }
    // The environment is not changed for the programs Lexomat starts.
    QVERIFY(qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"));
}

QTEST_APPLESS_MAIN(TestSessionPlatform)
#include "tst_session_platform.moc"
