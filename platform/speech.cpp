#include "platform/speech.h"

#include "platform/speech_backend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QThread>

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
    // The engine is closed on its own thread, after whatever it still does;
    // the thread then ends by itself.
    post([this] {
        m_backend.reset();
        QThread::currentThread()->quit();
    });
    m_thread->wait();
    delete m_context;
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

void Speech::post(std::function<void()> job)
{
    QMetaObject::invokeMethod(m_context, std::move(job), Qt::QueuedConnection);
}

void Speech::start()
{
    if (m_status != Status::Off)
        return;
    setStatus(Status::Starting);
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("speech"));
    m_context = new QObject;
    m_context->moveToThread(m_thread.get());
    m_thread->start();
    post([this, maker = m_maker] {
        std::unique_ptr<SpeechBackend> backend = maker();
        const SpeechBackend::Opened result = backend ? backend->open() : SpeechBackend::Opened::NoEngine;
        if (result == SpeechBackend::Opened::Ready)
            m_backend = std::move(backend);
        QMetaObject::invokeMethod(this, [this, result] { opened(static_cast<int>(result)); }, Qt::QueuedConnection);
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
    const int number = ++m_latest;
    post([this, text, number] {
        if (number == m_latest.load() && m_backend)
            m_backend->say(text);
    });
}
