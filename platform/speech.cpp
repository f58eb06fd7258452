#include "platform/speech.h"

#include "platform/speech_backend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QPluginLoader>
#include <QThread>

#include <atomic>

namespace {

const QString ModuleName = QStringLiteral("lexomat-speech.so");

Speech::BackendMaker &defaultMaker()
{
    static Speech::BackendMaker maker;
    return maker;
}

// Runs on the speech thread: the module is loaded there, off the window's way.
std::unique_ptr<SpeechBackend> loadModule(const QString &programDir)
{
    for (const QString &path : Speech::moduleCandidates(programDir)) {
        if (!QFileInfo::exists(path))
            continue;
        QPluginLoader loader(path);
        if (auto *factory = qobject_cast<SpeechBackendFactory *>(loader.instance()))
            return std::unique_ptr<SpeechBackend>(factory->createBackend());
    }
    return nullptr;
}

} // namespace

// The speech thread with what its jobs work on. A speech service can hang
// (speech-dispatcher does when its sound output fails), and the engine's
// calls into it have no time limit: a Speech that ends while its thread is
// stuck leaves this behind, and the thread then never calls back.
struct Speech::Thread
{
    QThread thread;
    // Lives on the speech thread: the jobs posted there run in its name.
    QObject context;
    // Touched on the speech thread only.
    std::unique_ptr<SpeechBackend> backend;
    // The number of the latest word: a word overtaken before the speech
    // thread came to it is dropped, so words never queue up behind the engine.
    std::atomic<int> latest{0};
    QMutex ownerMutex;
    Speech *owner = nullptr;

    void post(std::function<void()> job)
    {
        QMetaObject::invokeMethod(&context, std::move(job), Qt::QueuedConnection);
    }

    // From the speech thread to the owner's, while there is an owner.
    void tellOwner(std::function<void(Speech *)> call)
    {
        QMutexLocker lock(&ownerMutex);
        if (Speech *speech = owner)
            QMetaObject::invokeMethod(speech, [speech, call] { call(speech); }, Qt::QueuedConnection);
    }
};

Speech::Speech(QObject *parent)
    : Speech(defaultMaker(), parent)
{
}

Speech::Speech(BackendMaker maker, QObject *parent)
    : QObject(parent)
    , m_maker(std::move(maker))
{
    if (!m_maker) {
        m_maker = [programDir = QCoreApplication::applicationDirPath()] { return loadModule(programDir); };
    }
}

Speech::~Speech()
{
    if (!m_thread)
        return;
    {
        QMutexLocker lock(&m_thread->ownerMutex);
        m_thread->owner = nullptr;
    }
    // The engine is closed on its own thread, after whatever it still does;
    // the thread then ends by itself.
    Thread *thread = m_thread.get();
    thread->post([thread] {
        thread->backend.reset();
        QThread::currentThread()->quit();
    });
    if (thread->thread.wait(CloseWaitMs))
        return;
    // Stuck in the speech service: the thread is left to finish by itself,
    // and what it worked on goes once it has.
    m_thread.release();
    QObject::connect(&thread->thread, &QThread::finished, QCoreApplication::instance(), [thread] {
        thread->thread.wait();
        delete thread;
    });
}

void Speech::setDefaultBackendMaker(BackendMaker maker)
{
    defaultMaker() = std::move(maker);
}

QStringList Speech::moduleCandidates(const QString &programDir)
{
    const QDir dir(programDir);
    return {dir.filePath(ModuleName),
            QDir::cleanPath(dir.filePath(QStringLiteral(LEXOMAT_SPEECH_MODULE_DIR "/") + ModuleName))};
}

QString Speech::hint() const
{
    switch (m_status) {
    case Status::NoEngine:
        return QStringLiteral("Нет голоса. Нужны пакеты\nqt6-speech-speechd-plugin и\nspeech-dispatcher-espeak-ng");
    case Status::NoVoice:
        return QStringLiteral("Нет английского голоса.\nНужен пакет\nspeech-dispatcher-espeak-ng");
    default:
        return QString();
    }
}

void Speech::start()
{
    if (m_status != Status::Off)
        return;
    setStatus(Status::Starting);
    m_thread = std::make_unique<Thread>();
    Thread *thread = m_thread.get();
    thread->owner = this;
    thread->thread.setObjectName(QStringLiteral("speech"));
    thread->context.moveToThread(&thread->thread);
    thread->thread.start();
    thread->post([thread, maker = m_maker] {
        std::unique_ptr<SpeechBackend> backend = maker();
        const SpeechBackend::Opened result = backend ? backend->open() : SpeechBackend::Opened::NoEngine;
        if (result == SpeechBackend::Opened::Ready)
            thread->backend = std::move(backend);
        thread->tellOwner([result](Speech *speech) { speech->opened(static_cast<int>(result)); });
    });
}

void Speech::opened(int result)
{
    switch (static_cast<SpeechBackend::Opened>(result)) {
    case SpeechBackend::Opened::Ready:
        setStatus(Status::Ready);
        break;
    case SpeechBackend::Opened::NoEngine:
        setStatus(Status::NoEngine);
        break;
    case SpeechBackend::Opened::NoVoice:
        setStatus(Status::NoVoice);
        break;
    }
    const QString pending = std::exchange(m_pending, QString());
    if (m_status == Status::Ready && !pending.isEmpty())
        say(pending);
}

void Speech::setStatus(Status status)
{
    if (m_status == status)
        return;
    m_status = status;
    Q_EMIT statusChanged(status);
}

void Speech::say(const QString &text)
{
    if (text.isEmpty())
        return;
    if (m_status == Status::Starting) {
        m_pending = text;
        return;
    }
    if (m_status != Status::Ready)
        return;
    Thread *thread = m_thread.get();
    const int number = ++thread->latest;
    thread->post([thread, text, number] {
        if (number == thread->latest.load() && thread->backend)
            thread->backend->say(text);
    });
}
