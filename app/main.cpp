#include "app/lexomat_application.h"
#include "app/process_objects.h"
#include "forms/main_form.h"
#include "platform/session_platform.h"
#include "platform/single_instance.h"
#include "platform/tray_icon.h"
#include "platform/toolkit_settings.h"

#include <cstdio>
#include <exception>
#include <memory>

namespace {

// Exit statuses: 1 means "already running" and nothing else.
constexpr int Finished = 0;
constexpr int AlreadyRunning = 1;
constexpr int StartFailed = 2;

// Runs one block of start-up or shutdown; what escapes it is shown to the
// user, and the rest of the block is skipped. False when something escaped.
template <typename Block>
bool guarded(Block block)
{
    try {
        block();
        return true;
    } catch (const std::exception &error) {
        LexomatApplication::showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        LexomatApplication::showError(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    // One instance per user: a second start ends at once, silently.
    const SingleInstanceLock lock(SingleInstanceLock::ProgramName);
    if (lock.state() == SingleInstanceLock::State::AlreadyRunning)
        return AlreadyRunning;
    if (lock.state() == SingleInstanceLock::State::Unavailable)
        std::fputs("lexomat: no single-instance lock could be taken; running without one\n", stderr);

    ToolkitSettings::keepInMemory();
    SessionPlatform::choose(argc, argv);
    LexomatApplication app(argc, argv);
    ProcessObjects objects;
    std::unique_ptr<TForm1> mainWindow;

    const bool started = guarded([&] {
        objects.state = std::make_unique<PRG_STAT>();
        objects.registry = std::make_unique<INIT>();
        objects.words = std::make_unique<GWORDW>(WordStoreCapacity);
        mainWindow = std::make_unique<TForm1>(objects);
        // The window hides in the tray and dialogs close while it is hidden:
        // only the main window's own close ends the program.
        QObject::connect(mainWindow.get(), &TForm1::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        mainWindow->show();
        app.exec();
    });

    // At the end only the tray icon goes: a restore now would show the
    // closed window for an instant.
    if (mainWindow)
        guarded([&] { mainWindow->trayIcon()->remove(); });
    mainWindow.reset();
    guarded([&] {
        objects.registry.reset();
        objects.state.reset();
        objects.words.reset();
    });
    return started ? Finished : StartFailed;
}
