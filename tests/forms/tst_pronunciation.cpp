#include "main_window_fixture.h"

#include "dict/random.h"
#include "forms/color_dialog.h"
#include "modal_answer.h"
#include "platform/speech.h"
#include "platform/speech_backend.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMutex>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// What the window's speech engine was asked, shared with the speech thread.
struct Voice
{
    QMutex mutex;
    bool available = true;
    int openMs = 0;
    int sayMs = 0;
    int opened = 0;
    QStringList said;

    QStringList words()
    {
        QMutexLocker lock(&mutex);
        return said;
    }
    int opens()
    {
        QMutexLocker lock(&mutex);
        return opened;
    }
};

class RecordingBackend : public SpeechBackend
{
public:
    explicit RecordingBackend(std::shared_ptr<Voice> voice)
        : m_voice(std::move(voice))
    {
    }
    Opened open() override
    {
        QThread::msleep(static_cast<unsigned long>(m_voice->openMs));
        QMutexLocker lock(&m_voice->mutex);
        ++m_voice->opened;
        return m_voice->available ? Opened::Ready : Opened::NoVoice;
    }
    void say(const QString &text) override
    {
        QThread::msleep(static_cast<unsigned long>(m_voice->sayMs));
        QMutexLocker lock(&m_voice->mutex);
        m_voice->said << text;
    }

private:
    std::shared_ptr<Voice> m_voice;
};

QLabel *wordLabel(MainWindowFixture &f, int row)
{
    return f.window->findChild<QLabel *>(QStringLiteral("Label%1").arg(row + 1));
}

// The word the board shows in the active colour.
QString activeWord(MainWindowFixture &f)
{
    for (int row = 0; row < 6; ++row) {
        if (wordLabel(f, row)->palette().color(QPalette::WindowText) == QColor(255, 255, 0))
            return wordLabel(f, row)->text();
    }
    return QString();
}

QStringList visibleItems(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (action->isVisible())
            texts << (action->isSeparator() ? u"-"_s : action->text());
    }
    return texts;
}

} // namespace

class TestPronunciation : public QObject
{
    Q_OBJECT

    std::shared_ptr<Voice> m_voice;

    void storeSpeakWords(MainWindowFixture &f, int value)
    {
        INIT registry(f.settingsPath());
        registry.OpenKey(INIT::RootKey, true);
        registry.WriteInteger(u"SPEAK_WORDS"_s, value);
        registry.CloseKey();
    }

    void selectRow(MainWindowFixture &f, int row)
    {
        f.child<QTabWidget>("PageControl1")->setCurrentIndex(1); // the list is made with its page
        auto *list = f.child<QTreeWidget>("ListView1");
        list->setCurrentItem(list->topLevelItem(row));
        list->topLevelItem(row)->setSelected(true);
        list->setFocus();
    }

private Q_SLOTS:
    void init()
    {
        Clock::setSource([] { return qint64(1234567); });
        m_voice = std::make_shared<Voice>();
        Speech::setDefaultBackendMaker([voice = m_voice]() -> std::unique_ptr<SpeechBackend> {
            return std::make_unique<RecordingBackend>(voice);
        });
    }
    void cleanup()
    {
        Speech::setDefaultBackendMaker({});
        Clock::setSource({});
    }

    // Off, the program is as it was without pronunciation: the menus hold
    // the items they had, the key speaks nothing and no engine is ever opened.
    void offLeavesMenusAndEngineAlone()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(visibleItems(f.child<QMenu>("PopupMenu1")),
                 (QStringList{u"Добавить"_s, u"-"_s, u"Редактировать"_s, u"-"_s, u"Удалить"_s, u"-"_s, u"Найти"_s,
                              u"-"_s, u"Успехи"_s, u"Повторить сегодня"_s, u"-"_s, u"Импорт…"_s, u"Экспорт…"_s, u"Слова из текста…"_s, u"-"_s,
                              u"Словарная статья"_s}));
        QCOMPARE(visibleItems(f.child<QMenu>("PopupMenu2")),
                 (QStringList{u"Дальше"_s, u"-"_s, u"Запуск"_s, u"Стоп"_s, u"-"_s, u"Настройки"_s, u"-"_s, u"Успехи"_s,
                              u"Повторить сегодня"_s}));
        selectRow(f, 2);
        QTest::keyClick(f.child<QTreeWidget>("ListView1"), Qt::Key_F5);
        f.child<QTabWidget>("PageControl1")->setCurrentIndex(0);
        window.engine().BStartClick();
        window.engine().N13Click();
        QTest::keyClick(&window, Qt::Key_F5);
        QTest::qWait(100);
        QCOMPARE(window.speech()->status(), Speech::Status::Off);
        QCOMPARE(m_voice->opens(), 0);
        QVERIFY(f.messages.isEmpty());
    }

    void onSpeaksTurnsAndBothMenus()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        storeSpeakWords(f, 1);
        TForm1 &window = f.open();
        // Nothing on the way to the first showing.
        QTest::qWait(50);
        QCOMPARE(window.speech()->status(), Speech::Status::Off);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.speech()->status(), Speech::Status::Ready);
        QCOMPARE(m_voice->opens(), 1);

        auto *listItem = f.child<QAction>("NSpeakWord");
        auto *gameItem = f.child<QAction>("NSpeakActive");
        QCOMPARE(listItem->text(), u"Произнести"_s);
        QCOMPARE(listItem->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(visibleItems(f.child<QMenu>("PopupMenu1")).last(), u"Произнести"_s);
        QCOMPARE(visibleItems(f.child<QMenu>("PopupMenu2")).last(), u"Произнести"_s);

        // The list's key speaks the English word of the selected row only.
        selectRow(f, 3);
        QTest::keyClick(f.child<QTreeWidget>("ListView1"), Qt::Key_F5);
        QTRY_COMPARE(m_voice->words(), QStringList{u"w3"_s});
        QVERIFY(!gameItem->isEnabled()); // the game page's key is not the list's

        // Every turn speaks its active word; the game menu and its key too.
        f.child<QTabWidget>("PageControl1")->setCurrentIndex(0);
        QVERIFY(gameItem->isEnabled());
        window.engine().BStartClick();
        const QString first = activeWord(f);
        QVERIFY(!first.isEmpty());
        QTRY_COMPARE(m_voice->words().size(), 2);
        QCOMPARE(m_voice->words().last(), first);
        gameItem->trigger();
        QTRY_COMPARE(m_voice->words().size(), 3);
        QCOMPARE(m_voice->words().last(), first);
        window.engine().N13Click();
        const QString second = activeWord(f);
        QTRY_COMPARE(m_voice->words().size(), 4);
        QCOMPARE(m_voice->words().last(), second);
        QVERIFY(f.messages.isEmpty());
    }

    // A slow engine never slows the game: turns follow each other at once,
    // and the word that sounds at last is the word of the last turn.
    void turnsNeverWaitForTheVoice()
    {
        m_voice->openMs = 400;
        m_voice->sayMs = 300;
        MainWindowFixture f;
        f.writeDictionary(0, 30);
        storeSpeakWords(f, 1);
        TForm1 &window = f.open();
        window.show();
        QElapsedTimer clock;
        clock.start();
        window.engine().BStartClick();
        for (int turn = 0; turn < 10; ++turn)
            window.engine().N13Click();
        QVERIFY2(clock.elapsed() < 250, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(f.objects.state->turns, 5); // eleven turns: a new deal and five of its turns
        const QString last = activeWord(f);
        QTRY_VERIFY_WITH_TIMEOUT(!m_voice->words().isEmpty() && m_voice->words().last() == last, 5000);
        // Words overtaken while the engine opened or spoke were dropped.
        QVERIFY(m_voice->words().size() < 11);
    }

    // The settings dialog turns it on for this run and for the next.
    void settingsDialogTurnsItOn()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bool found = false;
        answerNextModal<TGameColorDialog>(
            [](TGameColorDialog *dialog) {
                QTest::mouseClick(dialog->findChild<QCheckBox *>(u"CBSpeak"_s), Qt::LeftButton);
                dialog->findChild<QPushButton *>(u"OKBtn"_s)->click();
            },
            &found);
        window.N9Click();
        QVERIFY(found);
        QCOMPARE(f.objects.state->speakWords, 1);
        QVERIFY(f.child<QAction>("NSpeakActive")->isVisible());
        QTRY_COMPARE(window.speech()->status(), Speech::Status::Ready);
        window.engine().BStartClick();
        QTRY_COMPARE(m_voice->words(), QStringList{activeWord(f)});

        window.close();
        INIT registry(f.settingsPath());
        registry.OpenKey(INIT::RootKey, true);
        QCOMPARE(registry.ReadInteger(u"SPEAK_WORDS"_s), 1);
    }

    // No voice: no message box, the game plays on, the items cannot be chosen.
    void noVoiceNoHarm()
    {
        m_voice->available = false;
        MainWindowFixture f;
        f.writeDictionary(0, 12);
        storeSpeakWords(f, 1);
        TForm1 &window = f.open();
        window.show();
        QTRY_COMPARE(window.speech()->status(), Speech::Status::NoVoice);
        QVERIFY(f.child<QAction>("NSpeakActive")->isVisible());
        QVERIFY(!f.child<QAction>("NSpeakActive")->isEnabled());
        QVERIFY(!f.child<QAction>("NSpeakWord")->isEnabled());
        window.engine().BStartClick();
        for (int turn = 0; turn < 8; ++turn)
            window.engine().N13Click();
        QCOMPARE(f.objects.state->gameState, 2);
        QTest::qWait(50);
        QVERIFY(m_voice->words().isEmpty());
        QVERIFY(f.messages.isEmpty());
    }
};

QTEST_MAIN(TestPronunciation)
#include "tst_pronunciation.moc"
