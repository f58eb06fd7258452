#pragma once

#include <QString>
#include <QtPlugin>

// One speech engine with an English voice. Every call comes from the speech
// thread, never from the window's.
class SpeechBackend
{
public:
    enum class Opened { Ready, NoEngine, NoVoice };

    virtual ~SpeechBackend() = default;
    // Finds an engine and an English voice; may take seconds.
    virtual Opened open() = 0;
    // Speaks text, cutting off what is still being spoken.
    virtual void say(const QString &text) = 0;
};

// What the pronunciation module offers: the backends that speak through
// Qt's speech engines. The module is loaded only once pronunciation is on.
class SpeechBackendFactory
{
public:
    virtual ~SpeechBackendFactory() = default;
    virtual SpeechBackend *createBackend() = 0;
};

#define LexomatSpeechBackendFactory_iid "org.example.lexomat.SpeechBackendFactory/1"
Q_DECLARE_INTERFACE(SpeechBackendFactory, LexomatSpeechBackendFactory_iid)
