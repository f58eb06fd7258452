#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class SpeechBackend;

// Speaks English words through the desktop's speech service. Nothing is
// loaded until start(): then the pronunciation module and its engine are
// opened on a thread of their own, which can take seconds, and every word
// goes there too, so the caller never waits for the engine or the sound.
class Speech : public QObject
{
    Q_OBJECT

public:
    enum class Status {
        Off,      // not started
        Starting, // the engine is being opened
        Ready,
        NoEngine, // no speech engine (or no module) was found
        NoVoice,  // an engine, but no English voice to speak with
    };
    Q_ENUM(Status)

    // How long the end of the program waits for a speech service that does
    // not answer before it leaves the speech thread behind.
    static constexpr int CloseWaitMs = 2000;

    // Makes a backend; runs on the speech thread. nullptr: there is no engine.
    using BackendMaker = std::function<std::unique_ptr<SpeechBackend>()>;

    // Speaks through the module beside the program (or the one set below).
    explicit Speech(QObject *parent = nullptr);
    Speech(BackendMaker maker, QObject *parent = nullptr);
    ~Speech() override;

    // What a Speech made without a maker of its own uses; an empty maker
    // brings back the module (tests).
    static void setDefaultBackendMaker(BackendMaker maker);

    Status status() const { return m_status; }
    bool unavailable() const { return m_status == Status::NoEngine || m_status == Status::NoVoice; }
    // For the learner, once the engine was not found: which packages bring
    // the voice, in lines short enough for the settings dialog.
    QString hint() const;

    // Opens the engine; nothing when it is open or opening already.
    void start();
    // Speaks text at once, interrupting the word still spoken. Returns at
    // once. A word given while the engine opens is spoken when it is open,
    // unless another one came after it; before start() nothing is spoken.
    void say(const QString &text);

    // The files the module is looked for at, in this order: beside the
    // program (the build tree), then where the installed tree keeps it.
    static QStringList moduleCandidates(const QString &programDir);

Q_SIGNALS:
    void statusChanged(Speech::Status status);

private:
    struct Thread;

    void opened(int result);
    void setStatus(Status status);

    BackendMaker m_maker;
    Status m_status = Status::Off;
    QString m_pending;
    // The speech thread and what it works on; made by start().
    std::unique_ptr<Thread> m_thread;
};
