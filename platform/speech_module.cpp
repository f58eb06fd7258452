// The pronunciation module: the only code that speaks to Qt's speech
// engines. The program loads it (lexomat-speech.so) once pronunciation is
// on, so a program that never speaks never loads Qt TextToSpeech.
#include "platform/speech_backend.h"

#include <QLocale>
#include <QObject>
#include <QTextToSpeech>
#include <QThread>
#include <QVoice>

#include <memory>
#include <optional>

namespace {

// speech-dispatcher is what Linux desktops and screen readers speak with;
// flite speaks without a service, with voices of its own.
const QStringList PreferredEngines{QStringLiteral("speechd"), QStringLiteral("flite")};
// A speech-dispatcher that the engine has only just started may not yet
// tell its voices, and the engine then gives up at once: it is asked again.
constexpr int EngineTries = 3;
constexpr unsigned long EngineRetryMs = 700;

std::optional<QLocale> englishLocale(const QList<QLocale> &offered)
{
    for (const QLocale::Territory territory : {QLocale::UnitedStates, QLocale::UnitedKingdom}) {
        for (const QLocale &locale : offered) {
            if (locale.language() == QLocale::English && locale.territory() == territory)
                return locale;
        }
    }
    for (const QLocale &locale : offered) {
        if (locale.language() == QLocale::English)
            return locale;
    }
    return std::nullopt;
}

// Engines that list every variant of a voice as "<voice>+<variant>" (the
// espeak-ng voices of speech-dispatcher) get a plain voice, and one that
// names the country of the locale where there is one.
QVoice chooseVoice(const QList<QVoice> &voices, const QLocale &locale)
{
    const QStringList country = locale.territory() == QLocale::UnitedStates
        ? QStringList{QStringLiteral("America"), QStringLiteral("United States")}
        : QStringList{QStringLiteral("Great Britain"), QStringLiteral("United Kingdom")};
    const auto score = [&country](const QVoice &voice) {
        const QString name = voice.name();
        int points = name.contains(u'+') ? 0 : 2;
        for (const QString &word : country) {
            if (name.contains(word, Qt::CaseInsensitive))
                return points + 1;
        }
        return points;
    };
    QVoice best = voices.first();
    for (const QVoice &voice : voices) {
        if (score(voice) > score(best))
            best = voice;
    }
    return best;
}

class QtSpeechBackend : public SpeechBackend
{
public:
    Opened open() override
    {
        m_speech.reset();
        const QStringList engines = QTextToSpeech::availableEngines();
        Opened result = Opened::NoEngine;
        for (const QString &engine : PreferredEngines) {
            if (!engines.contains(engine))
                continue;
            result = Opened::NoVoice;
            auto speech = std::make_unique<QTextToSpeech>(engine);
            for (int attempt = 1; speech->state() == QTextToSpeech::Error && attempt < EngineTries; ++attempt) {
                QThread::msleep(EngineRetryMs);
                speech = std::make_unique<QTextToSpeech>(engine);
            }
            // A speech service that cannot be reached or started.
            if (speech->state() == QTextToSpeech::Error)
                continue;
            const std::optional<QLocale> locale = englishLocale(speech->availableLocales());
            if (!locale)
                continue;
            speech->setLocale(*locale);
            const QList<QVoice> voices = speech->availableVoices();
            if (voices.isEmpty())
                continue;
            speech->setVoice(chooseVoice(voices, *locale));
            m_speech = std::move(speech);
            return Opened::Ready;
        }
        return result;
    }

    void say(const QString &text) override
    {
        // The speech service may have gone away since (its own idle exit,
        // a restart): the engine is opened anew once.
        if (m_speech && m_speech->state() == QTextToSpeech::Error)
            open();
        if (!m_speech)
            return;
        if (m_speech->state() == QTextToSpeech::Speaking)
            m_speech->stop(QTextToSpeech::BoundaryHint::Immediate);
        m_speech->say(text);
    }

private:
    std::unique_ptr<QTextToSpeech> m_speech;
};

} // namespace

class LexomatSpeechModule : public QObject, public SpeechBackendFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID LexomatSpeechBackendFactory_iid)
    Q_INTERFACES(SpeechBackendFactory)

public:
    SpeechBackend *createBackend() override { return new QtSpeechBackend; }
};

#include "speech_module.moc"
