#include "platform/speech.h"
#include "platform/speech_backend.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// What a fake backend did, shared between the test and the speech thread.
struct Record
{
    mutable QMutex mutex;
    SpeechBackend::Opened result = SpeechBackend::Opened::Ready;
    int openMs = 0;
    QSemaphore *openGate = nullptr; // open() waits for it, when given
    int sayMs = 0;
    int made = 0;
    QThread *openedOn = nullptr;
    QThread *destroyedOn = nullptr;
    QStringList begun; // words whose saying has begun
    QStringList said;  // words said to their end

    QStringList saidWords() const
    {
        QMutexLocker lock(&mutex);
        return said;
    }
    QStringList begunWords() const
    {
        QMutexLocker lock(&mutex);
        return begun;
    }
};

class FakeBackend : public SpeechBackend
{
public:
    explicit FakeBackend(std::shared_ptr<Record> record)
        : m_record(std::move(record))
    {
    }
    ~FakeBackend() override
    {
        QMutexLocker lock(&m_record->mutex);
        m_record->destroyedOn = QThread::currentThread();
    }
    Opened open() override
    {
        if (m_record->openGate)
            m_record->openGate->acquire();
        QThread::msleep(static_cast<unsigned long>(m_record->openMs));
        QMutexLocker lock(&m_record->mutex);
        m_record->openedOn = QThread::currentThread();
        return m_record->result;
    }
    void say(const QString &text) override
    {
        {
            QMutexLocker lock(&m_record->mutex);
            m_record->begun << text;
        }
        QThread::msleep(static_cast<unsigned long>(m_record->sayMs));
        QMutexLocker lock(&m_record->mutex);
        m_record->said << text;
    }

private:
    std::shared_ptr<Record> m_record;
};

Speech::BackendMaker makerFor(const std::shared_ptr<Record> &record)
{
    return [record]() -> std::unique_ptr<SpeechBackend> {
        {
            QMutexLocker lock(&record->mutex);
            ++record->made;
        }
        return std::make_unique<FakeBackend>(record);
    };
}

} // namespace

class TestSpeech : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nothingIsLoadedOrSpokenBeforeStart()
    {
        auto record = std::make_shared<Record>();
        Speech speech(makerFor(record));
        speech.say(u"cat"_s);
        QTest::qWait(100);
        QCOMPARE(speech.status(), Speech::Status::Off);
        QCOMPARE(record->made, 0);
        QVERIFY(!speech.unavailable());
        QVERIFY(speech.hint().isEmpty());
        QVERIFY(speech.findChildren<QThread *>().isEmpty());
    }

    void opensOffTheCallersThread_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("noBackend");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("hintNames");
        QTest::newRow("ready") << int(SpeechBackend::Opened::Ready) << false << int(Speech::Status::Ready)
                               << QStringList();
        QTest::newRow("no voice") << int(SpeechBackend::Opened::NoVoice) << false << int(Speech::Status::NoVoice)
                                  << QStringList{u"speech-dispatcher-espeak-ng"_s};
        QTest::newRow("no engine") << int(SpeechBackend::Opened::NoEngine) << false << int(Speech::Status::NoEngine)
                                   << QStringList{u"qt6-speech-speechd-plugin"_s, u"speech-dispatcher-espeak-ng"_s};
        QTest::newRow("no module") << int(SpeechBackend::Opened::Ready) << true << int(Speech::Status::NoEngine)
                                   << QStringList{u"qt6-speech-speechd-plugin"_s, u"speech-dispatcher-espeak-ng"_s};
    }
    void opensOffTheCallersThread()
    {
        QFETCH(int, result);
        QFETCH(bool, noBackend);
        QFETCH(int, status);
        QFETCH(QStringList, hintNames);
        auto record = std::make_shared<Record>();
        record->result = static_cast<SpeechBackend::Opened>(result);
        record->openMs = 200;
        Speech speech(noBackend ? Speech::BackendMaker([] { return std::unique_ptr<SpeechBackend>(); })
                                : makerFor(record));
        QSignalSpy changes(&speech, &Speech::statusChanged);

        QElapsedTimer clock;
        clock.start();
        speech.start();
        speech.start(); // once is enough
        QVERIFY2(clock.elapsed() < 100, "start() waited for the engine");
        QCOMPARE(speech.status(), Speech::Status::Starting);
        QTRY_COMPARE(int(speech.status()), status);
        QCOMPARE(changes.size(), 2);
        QCOMPARE(record->made, noBackend ? 0 : 1);
        if (!noBackend) {
            QVERIFY(record->openedOn);
            QVERIFY(record->openedOn != QThread::currentThread());
        }
        QCOMPARE(speech.unavailable(), !hintNames.isEmpty());
        for (const QString &name : hintNames)
            QVERIFY2(speech.hint().contains(name), qPrintable(speech.hint()));
        QCOMPARE(speech.hint().isEmpty(), hintNames.isEmpty());

        // Without a voice nothing is ever spoken, and nothing fails.
        speech.say(u"dog"_s);
        QTest::qWait(50);
        QCOMPARE(record->saidWords(), speech.status() == Speech::Status::Ready ? QStringList{u"dog"_s} : QStringList());
    }

    // The caller never waits: not for the engine to open, nor for a word to
    // end. A word overtaken by a newer one before its turn is dropped, and
    // the word given while the engine opened is the first one spoken.
    void neverHoldsTheCallerUp()
    {
        auto record = std::make_shared<Record>();
        record->openMs = 300;
        record->sayMs = 300;
        Speech speech(makerFor(record));
        QElapsedTimer clock;
        clock.start();
        speech.start();
        speech.say(u"early"_s);
        speech.say(u"first"_s);
        QVERIFY2(clock.elapsed() < 100, "the caller waited for the engine to open");

        QTRY_COMPARE(record->begunWords(), QStringList{u"first"_s});
        clock.restart();
        for (const QString &word : {u"second"_s, u"third"_s, u"fourth"_s})
            speech.say(word);
        QVERIFY2(clock.elapsed() < 100, "the caller waited for a word to end");
        QTRY_COMPARE(record->saidWords(), (QStringList{u"first"_s, u"fourth"_s}));
        QTest::qWait(400);
        QCOMPARE(record->saidWords(), (QStringList{u"first"_s, u"fourth"_s}));
        QCOMPARE(record->begunWords(), (QStringList{u"first"_s, u"fourth"_s}));
    }

    void closesTheEngineOnItsOwnThread_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::newRow("open") << 400;
        QTest::newRow("still opening") << 0;
    }
    void closesTheEngineOnItsOwnThread()
    {
        QFETCH(int, waitMs);
        auto record = std::make_shared<Record>();
        record->openMs = 150;
        {
            Speech speech(makerFor(record));
            speech.start();
            QTest::qWait(waitMs);
        }
        QVERIFY(record->openedOn);
        QCOMPARE(record->destroyedOn, record->openedOn);
    }

    // A speech service that does not answer holds the program's end up for
    // a moment only; when it answers at last, nothing calls back into the
    // Speech that is gone.
    void hungServiceDoesNotHoldTheEndUp()
    {
        auto record = std::make_shared<Record>();
        QSemaphore gate;
        record->openGate = &gate;
        QElapsedTimer clock;
        {
            auto speech = std::make_unique<Speech>(makerFor(record));
            speech->start();
            speech->say(u"cat"_s);
            QTest::qWait(50);
            clock.start();
        }
        QVERIFY2(clock.elapsed() < Speech::CloseWaitMs + 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(clock.elapsed() >= Speech::CloseWaitMs - 100);
        gate.release();
        // The engine closes on its thread once it has opened, and nothing is said.
        QTRY_VERIFY(record->destroyedOn != nullptr);
        QTest::qWait(100);
        QVERIFY(record->saidWords().isEmpty());
    }

    void moduleIsLookedForBesideTheProgramFirst()
    {
        const QStringList candidates = Speech::moduleCandidates(u"/opt/x/libexec/lexomat"_s);
        QCOMPARE(candidates.size(), 2);
        QCOMPARE(candidates.first(), u"/opt/x/libexec/lexomat/lexomat-speech.so"_s);
        QVERIFY(candidates.last().startsWith(u"/opt/x/"_s));
        QVERIFY(candidates.last().endsWith(u"/lexomat-speech.so"_s));
        QVERIFY(!candidates.last().contains(u".."_s));
    }
};

QTEST_GUILESS_MAIN(TestSpeech)
#include "tst_speech.moc"
