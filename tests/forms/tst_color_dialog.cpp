#include "app/program_state.h"
#include "forms/color_dialog.h"
#include "forms/colour.h"
#include "forms/pickers.h"
#include "platform/speech.h"
#include "platform/speech_backend.h"

#include <QCheckBox>
#include <QApplication>
#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<SpeechBackend::Opened>)

namespace {

// The settings the dialog may change, for whole-record comparisons.
auto settingsOf(const PRG_STAT &s)
{
    return std::make_tuple(s.bgColor, s.activeColor, s.passiveColor, s.mode, s.timerOn, s.fontName, s.fontSize,
                           s.fontStyle, s.wordColumnBase, s.wordColumnLeft, s.meaningColumnBase,
                           s.meaningColumnLeft, s.speakWords);
}

// A program state far from every default.
PRG_STAT customState()
{
    PRG_STAT state;
    state.bgColor = 0x112233;
    state.activeColor = 0x445566;
    state.passiveColor = 0x778899;
    state.mode = ModeLearning;
    state.timerOn = 0;
    state.fontName = u"Courier New"_s;
    state.fontSize = 14;
    state.fontStyle = FontBold | FontItalic;
    state.wordColumnBase = 90;
    state.wordColumnLeft = 95;
    state.meaningColumnBase = 200;
    state.meaningColumnLeft = 210;
    state.speakWords = 1;
    return state;
}

template <typename T = QWidget>
T *child(QWidget &dialog, const QString &name)
{
    auto *widget = dialog.findChild<T *>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

// A speech engine that opens with the given outcome and speaks nothing.
class SilentBackend : public SpeechBackend
{
public:
    explicit SilentBackend(Opened result)
        : m_result(result)
    {
    }
    Opened open() override { return m_result; }
    void say(const QString &) override {}

private:
    Opened m_result;
};

Speech::BackendMaker opening(std::optional<SpeechBackend::Opened> result)
{
    return [result]() -> std::unique_ptr<SpeechBackend> {
        if (!result)
            return nullptr;
        return std::make_unique<SilentBackend>(*result);
    };
}

Colour swatch(QWidget &dialog, int n)
{
    return fromQColor(child<QFrame>(dialog, QStringLiteral("Shape%1").arg(n))->palette().color(QPalette::Window));
}

} // namespace

class TestColorDialog : public QObject
{
    Q_OBJECT

    QList<QColor> m_pickerStarts;
    QList<std::optional<QColor>> m_pickerAnswers;
    QList<QFont> m_fontStarts;
    QList<std::optional<QFont>> m_fontAnswers;

private Q_SLOTS:
    // Qt's dialogs keep their state in the user's Qt settings; the tests keep theirs apart.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_pickerStarts.clear();
        m_pickerAnswers.clear();
        m_fontStarts.clear();
        m_fontAnswers.clear();
        QTest::failOnWarning(QRegularExpression(u"unexpected (colour|font) pick"_s));
        // Every pick takes the next prepared answer; none left fails the test.
        Pickers::setColourHandler([this](const QColor &initial) -> std::optional<QColor> {
            m_pickerStarts << initial;
            if (m_pickerAnswers.isEmpty()) {
                qWarning("unexpected colour pick");
                return std::nullopt;
            }
            return m_pickerAnswers.takeFirst();
        });
        Pickers::setFontHandler([this](const QFont &initial) -> std::optional<QFont> {
            m_fontStarts << initial;
            if (m_fontAnswers.isEmpty()) {
                qWarning("unexpected font pick");
                return std::nullopt;
            }
            return m_fontAnswers.takeFirst();
        });
    }

    void cleanup()
    {
        Pickers::setColourHandler({});
        Pickers::setFontHandler({});
    }

    void form()
    {
        PRG_STAT state;
        QWidget mainWindow;
        mainWindow.move(200, 100);
        TGameColorDialog dialog(state, &mainWindow);
        dialog.show();

        QCOMPARE(dialog.windowTitle(), u"Настройки"_s);
        QCOMPARE(dialog.size(), QSize(312, 401));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.pos(), QPoint(240, 110));
        QCOMPARE(dialog.font().family(), u"MS Sans Serif"_s);
        QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(Qt::blue));
        QVERIFY(child<QPushButton>(dialog, u"OKBtn"_s)->isDefault());

        const QList<std::pair<QString, QString>> texts{
            {u"Label1"_s, u"Игровой фон"_s},      {u"Label2"_s, u"Активные слова"_s},
            {u"Label3"_s, u"Пассивные слова"_s},  {u"Label4"_s, u"Цвета"_s},
            {u"Label5"_s, u"Режим"_s},            {u"Label6"_s, u"Прочие"_s},
            {u"FontLabel"_s, u" выглядит так"_s},
        };
        for (const auto &[name, text] : texts) {
            auto *label = child<QLabel>(dialog, name);
            QCOMPARE(label->text(), text);
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        }
        for (const QString &heading : {u"Label4"_s, u"Label5"_s, u"Label6"_s}) {
            QVERIFY(child(dialog, heading)->font().bold());
            QCOMPARE(child(dialog, heading)->font().pointSize(), 10);
        }
        for (int n = 1; n <= 7; ++n)
            child<QFrame>(dialog, QStringLiteral("Bevel%1").arg(n));
        QCOMPARE(child(dialog, u"Shape1"_s)->toolTip(), u"Click Me!"_s);
        QCOMPARE(child(dialog, u"Shape3"_s)->toolTip(), QString());
        QCOMPARE(child(dialog, u"Button4"_s)->toolTip(), u"Установить все значения по умолчанию"_s);

        QStringList order;
        QWidget *w = child(dialog, u"OKBtn"_s);
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != child(dialog, u"OKBtn"_s));
        QCOMPARE(order, (QStringList{u"OKBtn"_s, u"CancelBtn"_s, u"Button4"_s, u"RadioButton2"_s, u"RadioButton1"_s,
                                     u"Button1"_s, u"Button2"_s, u"Button3"_s, u"RadioButton3"_s, u"CBTimer"_s,
                                     u"Button5"_s, u"CBSpeak"_s, u"CBMeanings"_s}));
    }

    void loadsTheProgramState_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("checked");
        QTest::newRow("standard") << 0 << u"RadioButton1"_s;
        QTest::newRow("learning") << 1 << u"RadioButton2"_s;
        QTest::newRow("flash") << 2 << u"RadioButton3"_s;
        QTest::newRow("unknown") << 7 << QString();
    }

    void loadsTheProgramState()
    {
        QFETCH(int, mode);
        QFETCH(QString, checked);
        PRG_STAT state = customState();
        state.mode = mode;
        TGameColorDialog dialog(state, nullptr);
        QCOMPARE(swatch(dialog, 1), Colour(0x112233));
        QCOMPARE(swatch(dialog, 2), Colour(0x445566));
        QCOMPARE(swatch(dialog, 3), Colour(0x778899));
        QVERIFY(!child<QCheckBox>(dialog, u"CBTimer"_s)->isChecked());
        for (int n = 1; n <= 3; ++n) {
            const QString name = QStringLiteral("RadioButton%1").arg(n);
            QCOMPARE(child<QRadioButton>(dialog, name)->isChecked(), name == checked);
        }
        const QFont font = child(dialog, u"FontLabel"_s)->font();
        QCOMPARE(font.family(), u"Courier New"_s);
        QCOMPARE(font.pointSize(), 14);
        QVERIFY(font.bold() && font.italic() && !font.underline() && !font.strikeOut());
    }

    void okCopiesEverything()
    {
        PRG_STAT state = customState();
        TGameColorDialog dialog(state, nullptr);
        dialog.show();
        m_pickerAnswers << QColor(255, 0, 0) << QColor(0, 255, 0) << QColor(0, 0, 255);
        child<QPushButton>(dialog, u"Button1"_s)->click();
        child<QPushButton>(dialog, u"Button2"_s)->click();
        child<QPushButton>(dialog, u"Button3"_s)->click();
        QFont picked(u"DejaVu Serif"_s);
        picked.setPointSize(18);
        picked.setUnderline(true);
        picked.setStrikeOut(true);
        m_fontAnswers << picked;
        child<QPushButton>(dialog, u"Button5"_s)->click();
        child<QRadioButton>(dialog, u"RadioButton3"_s)->setChecked(true);
        child<QCheckBox>(dialog, u"CBTimer"_s)->setChecked(true);
        QCOMPARE(state.bgColor, Colour(0x112233)); // nothing taken before OK

        child<QPushButton>(dialog, u"OKBtn"_s)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(state.bgColor, Colour(0x0000FF));
        QCOMPARE(state.activeColor, Colour(0x00FF00));
        QCOMPARE(state.passiveColor, Colour(0xFF0000));
        QCOMPARE(state.mode, int(ModeFlash));
        QCOMPARE(state.timerOn, 1);
        QCOMPARE(state.fontName, u"DejaVu Serif"_s);
        QCOMPARE(state.fontSize, 18);
        QCOMPARE(state.fontStyle, std::uint8_t(FontUnderline | FontStrikeOut));
        QCOMPARE(state.wordColumnLeft, 95); // not the dialog's
    }

    void okWithoutCheckedModeKeepsMode()
    {
        PRG_STAT state = customState();
        state.mode = 7;
        TGameColorDialog dialog(state, nullptr);
        child<QCheckBox>(dialog, u"CBTimer"_s)->setChecked(true);
        child<QPushButton>(dialog, u"OKBtn"_s)->click();
        QCOMPARE(state.mode, 7);
        QCOMPARE(state.timerOn, 1);
    }

    void cancelDropsChanges_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Отмена") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }

    void cancelDropsChanges()
    {
        QFETCH(int, way);
        PRG_STAT state = customState();
        const auto before = settingsOf(state);
        TGameColorDialog dialog(state, nullptr);
        dialog.show();
        m_pickerAnswers << QColor(255, 0, 0);
        child<QPushButton>(dialog, u"Button1"_s)->click();
        m_fontAnswers << QFont(u"DejaVu Serif"_s);
        child<QPushButton>(dialog, u"Button5"_s)->click();
        child<QRadioButton>(dialog, u"RadioButton3"_s)->setChecked(true);
        child<QCheckBox>(dialog, u"CBTimer"_s)->setChecked(true);
        if (way == 0)
            child<QPushButton>(dialog, u"CancelBtn"_s)->click();
        else if (way == 1)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(settingsOf(state) == before);
    }

    void resetWritesDefaultsAndCancels()
    {
        PRG_STAT state = customState();
        TGameColorDialog dialog(state, nullptr);
        dialog.show();
        // Working changes made before the reset are not taken over.
        m_pickerAnswers << QColor(0, 255, 0);
        child<QPushButton>(dialog, u"Button3"_s)->click();
        child<QRadioButton>(dialog, u"RadioButton3"_s)->setChecked(true);
        child<QPushButton>(dialog, u"Button4"_s)->click();

        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(state.bgColor, Colour(16744703));
        QCOMPARE(state.activeColor, Colour(65535));
        QCOMPARE(state.passiveColor, Colour(0));
        QCOMPARE(state.mode, 0);
        QCOMPARE(state.timerOn, 1);
        QCOMPARE(state.fontName, u"Microsoft Sans Serif"_s);
        QCOMPARE(state.fontSize, 10);
        QCOMPARE(state.fontStyle, std::uint8_t(FontBold | FontItalic));
        QCOMPARE(state.wordColumnBase, 67);
        QCOMPARE(state.wordColumnLeft, 67);
        QCOMPARE(state.meaningColumnBase, 169);
        QCOMPARE(state.meaningColumnLeft, 169);
        // The controls show what was written.
        QCOMPARE(swatch(dialog, 1), Colour(0xFF80FF));
        QCOMPARE(swatch(dialog, 2), Colour(0x00FFFF));
        QCOMPARE(swatch(dialog, 3), Colour(0));
        QVERIFY(child<QRadioButton>(dialog, u"RadioButton1"_s)->isChecked());
        QVERIFY(!child<QRadioButton>(dialog, u"RadioButton3"_s)->isChecked());
        QVERIFY(child<QCheckBox>(dialog, u"CBTimer"_s)->isChecked());
    }

    void colourPicks()
    {
        PRG_STAT state = customState();
        TGameColorDialog dialog(state, nullptr);
        dialog.show();
        // The first pick preselects no colour; confirm red.
        m_pickerAnswers << QColor(255, 0, 0) << std::nullopt << std::nullopt;
        child<QPushButton>(dialog, u"Button1"_s)->click();
        QCOMPARE(dialog.focusWidget(), child(dialog, u"OKBtn"_s));
        // A cancelled pick leaves the swatch; both start from the last confirmed colour.
        child<QPushButton>(dialog, u"Button2"_s)->click();
        child<QPushButton>(dialog, u"Button3"_s)->click();
        QCOMPARE(m_pickerStarts, (QList<QColor>{QColor(), QColor(255, 0, 0), QColor(255, 0, 0)}));
        QCOMPARE(swatch(dialog, 1), Colour(0x0000FF));
        QCOMPARE(swatch(dialog, 2), Colour(0x445566));
        QCOMPARE(swatch(dialog, 3), Colour(0x778899));
        child<QPushButton>(dialog, u"OKBtn"_s)->click();
        QCOMPARE(state.bgColor, Colour(0x0000FF));
        QCOMPARE(state.activeColor, Colour(0x445566));
    }

    void customColourPreset()
    {
        QColorDialog::setCustomColor(0, Qt::black);
        PRG_STAT state;
        TGameColorDialog dialog(state, nullptr);
        QCOMPARE(QColorDialog::customColor(0), QColor(0xE1, 0xFC, 0xE0));
    }

    void anyMouseButtonOnSwatch_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        for (int shape = 1; shape <= 3; ++shape) {
            QTest::addRow("Shape%d left", shape) << shape << Qt::LeftButton;
            QTest::addRow("Shape%d right", shape) << shape << Qt::RightButton;
            QTest::addRow("Shape%d middle", shape) << shape << Qt::MiddleButton;
        }
    }

    void anyMouseButtonOnSwatch()
    {
        QFETCH(int, shape);
        QFETCH(Qt::MouseButton, mouseButton);
        PRG_STAT state = customState();
        TGameColorDialog dialog(state, nullptr);
        dialog.show();
        m_pickerAnswers << QColor(1, 2, 3);
        QTest::mousePress(child(dialog, QStringLiteral("Shape%1").arg(shape)), mouseButton);
        QCOMPARE(m_pickerStarts.size(), 1);
        QCOMPARE(swatch(dialog, shape), Colour(0x030201));
    }

    void fontPicks()
    {
        PRG_STAT state = customState();
        TGameColorDialog dialog(state, nullptr);
        dialog.show();
        auto *preview = child<QLabel>(dialog, u"FontLabel"_s);
        QFont picked(u"DejaVu Serif"_s);
        picked.setPointSize(20);
        m_fontAnswers << picked << std::nullopt;

        QTest::mouseClick(preview, Qt::LeftButton); // the preview opens the picker too
        QCOMPARE(preview->font().family(), u"DejaVu Serif"_s);
        QCOMPARE(preview->font().pointSize(), 20);
        QVERIFY(!preview->font().bold());
        QCOMPARE(preview->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(preview->text(), u" выглядит так"_s);

        // The picker starts from the program state's font, never from the
        // preview's, and a cancel keeps the font chosen before.
        child<QPushButton>(dialog, u"Button5"_s)->click();
        QCOMPARE(m_fontStarts.size(), 2);
        for (const QFont &start : std::as_const(m_fontStarts)) {
            QCOMPARE(start.family(), u"Courier New"_s);
            QCOMPARE(start.pointSize(), 14);
            QVERIFY(start.bold() && start.italic());
        }
        QCOMPARE(preview->font().family(), u"DejaVu Serif"_s);
        QCOMPARE(preview->font().pointSize(), 20);
        QCOMPARE(dialog.focusWidget(), child(dialog, u"OKBtn"_s));
        child<QPushButton>(dialog, u"OKBtn"_s)->click();
        QCOMPARE(state.fontName, u"DejaVu Serif"_s);
        QCOMPARE(state.fontSize, 20);
    }
    void pronunciationSetting_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::newRow("OK turns it on") << 0 << true << u"OKBtn"_s << 1;
        QTest::newRow("OK turns it off") << 1 << false << u"OKBtn"_s << 0;
        QTest::newRow("Отмена drops it") << 0 << true << u"CancelBtn"_s << 0;
        QTest::newRow("Сброс turns it off") << 1 << true << u"Button4"_s << 0;
    }
    void pronunciationSetting()
    {
        QFETCH(int, stored);
        QFETCH(bool, tick);
        QFETCH(QString, button);
        QFETCH(int, expected);
        Speech speech(opening(SpeechBackend::Opened::Ready));
        PRG_STAT state;
        state.speakWords = stored;
        TGameColorDialog dialog(state, nullptr, &speech);
        dialog.show();
        auto *box = child<QCheckBox>(dialog, u"CBSpeak"_s);
        QCOMPARE(box->text(), u"Произношение"_s);
        QCOMPARE(box->isChecked(), stored == 1);
        QVERIFY(box->isEnabled());
        if (box->isChecked() != tick)
            QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(box->isChecked(), tick);
        // Ticking is when the engine is first looked for, never before.
        QCOMPARE(speech.status(), tick && stored == 0 ? Speech::Status::Starting : Speech::Status::Off);
        QCOMPARE(state.speakWords, stored); // nothing taken before OK
        child<QPushButton>(dialog, button)->click();
        QCOMPARE(state.speakWords, expected);
        QVERIFY(!box->isChecked() || button != u"Button4"_s);
    }

    // Without an engine or a voice the box cannot be ticked and names what
    // to install; no message box ever comes up, and the stored choice stays.
    void noVoiceDisablesTheBox_data()
    {
        QTest::addColumn<std::optional<SpeechBackend::Opened>>("result");
        QTest::addColumn<QString>("package");
        QTest::newRow("no module") << std::optional<SpeechBackend::Opened>() << u"qt6-speech-speechd-plugin"_s;
        QTest::newRow("no engine") << std::optional(SpeechBackend::Opened::NoEngine) << u"qt6-speech-speechd-plugin"_s;
        QTest::newRow("no voice") << std::optional(SpeechBackend::Opened::NoVoice) << u"speech-dispatcher-espeak-ng"_s;
    }
    void noVoiceDisablesTheBox()
    {
        QFETCH(std::optional<SpeechBackend::Opened>, result);
        QFETCH(QString, package);
        Speech speech(opening(result));
        PRG_STAT state;
        {
            TGameColorDialog dialog(state, nullptr, &speech);
            dialog.show();
            auto *box = child<QCheckBox>(dialog, u"CBSpeak"_s);
            auto *hint = child<QLabel>(dialog, u"SpeakHint"_s);
            QVERIFY(hint->text().isEmpty());
            QTest::mouseClick(box, Qt::LeftButton);
            QTRY_VERIFY(!box->isEnabled());
            QVERIFY(!box->isChecked());
            QVERIFY2(hint->text().contains(package), qPrintable(hint->text()));
            QVERIFY(hint->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
            for (QWidget *top : QApplication::topLevelWidgets())
                QVERIFY2(!top->isVisible() || top == &dialog, top->metaObject()->className());
            child<QPushButton>(dialog, u"OKBtn"_s)->click();
            QCOMPARE(state.speakWords, 0);
        }
        // Opened again, the dialog knows at once; OK keeps a stored "on" for
        // the day the voice is installed, and "Сброс" still turns it off.
        state.speakWords = 1;
        {
            TGameColorDialog dialog(state, nullptr, &speech);
            QVERIFY(!child<QCheckBox>(dialog, u"CBSpeak"_s)->isEnabled());
            QVERIFY(!child<QCheckBox>(dialog, u"CBSpeak"_s)->isChecked());
            QVERIFY(child<QLabel>(dialog, u"SpeakHint"_s)->text().contains(package));
            child<QPushButton>(dialog, u"OKBtn"_s)->click();
            QCOMPARE(state.speakWords, 1);
        }
        {
            TGameColorDialog dialog(state, nullptr, &speech);
            child<QPushButton>(dialog, u"Button4"_s)->click();
            QCOMPARE(state.speakWords, 0);
        }
    }

    // The pronunciation row fits its frame: nothing overlaps, nothing is cut,
    // the longest hint included.
    void pronunciationRowFits()
    {
        Speech speech(opening(SpeechBackend::Opened::NoEngine));
        speech.start();
        QTRY_VERIFY(speech.unavailable());
        PRG_STAT state;
        TGameColorDialog dialog(state, nullptr, &speech);
        dialog.show();
        auto *box = child<QCheckBox>(dialog, u"CBSpeak"_s);
        auto *hint = child<QLabel>(dialog, u"SpeakHint"_s);
        const QRect frame = child(dialog, u"Bevel6"_s)->geometry().adjusted(2, 2, -2, -2);
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(QString::number(box->sizeHint().width())));
        QVERIFY2(hint->heightForWidth(hint->width()) <= hint->height(), qPrintable(QString::number(hint->heightForWidth(hint->width()))));
        const QFontMetrics metrics(hint->font());
        for (const QString &line : speech.hint().split(u'\n'))
            QVERIFY2(metrics.horizontalAdvance(line) <= hint->width(), qPrintable(line + u' ' + QString::number(metrics.horizontalAdvance(line))));
        for (QWidget *mine : {static_cast<QWidget *>(box), static_cast<QWidget *>(hint)}) {
            QVERIFY2(frame.contains(mine->geometry()), qPrintable(mine->objectName()));
            for (QWidget *other : dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (other == mine || other->objectName().startsWith(u"Bevel"_s))
                    continue;
                QVERIFY2(!other->geometry().intersects(mine->geometry()),
                         qPrintable(mine->objectName() + u" overlaps "_s + other->objectName()));
            }
        }
        for (const QString &name : {u"OKBtn"_s, u"CancelBtn"_s, u"Button4"_s})
            QVERIFY(child(dialog, name)->geometry().top() > frame.bottom());
    }

    // "Значения из словаря": on by default; without a dictionary the box
    // cannot be ticked and names the package that brings one, and the
    // stored choice stays for the day it is installed.
    void meaningsSetting_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::newRow("OK keeps it on") << true << 1 << true << u"OKBtn"_s << 1;
        QTest::newRow("OK turns it off") << true << 1 << false << u"OKBtn"_s << 0;
        QTest::newRow("OK turns it on") << true << 0 << true << u"OKBtn"_s << 1;
        QTest::newRow("Отмена drops a change") << true << 1 << false << u"CancelBtn"_s << 1;
        QTest::newRow("Сброс turns it on") << true << 0 << false << u"Button4"_s << 1;
        QTest::newRow("no dictionary: off stays off") << false << 0 << false << u"OKBtn"_s << 0;
        QTest::newRow("no dictionary: on stays on") << false << 1 << false << u"OKBtn"_s << 1;
    }
    void meaningsSetting()
    {
        QFETCH(bool, installed);
        QFETCH(int, stored);
        QFETCH(bool, tick);
        QFETCH(QString, button);
        QFETCH(int, expected);
        QTemporaryDir empty;
        if (!installed)
            qputenv("LEXOMAT_DICTD_DIR", empty.path().toLocal8Bit());
        const auto restore = qScopeGuard([] { qunsetenv("LEXOMAT_DICTD_DIR"); });
        PRG_STAT state;
        state.suggestMeanings = stored;
        TGameColorDialog dialog(state, nullptr);
        dialog.show();
        auto *box = child<QCheckBox>(dialog, u"CBMeanings"_s);
        QCOMPARE(box->isEnabled(), installed);
        QCOMPARE(box->isChecked(), installed && stored == 1);
        QCOMPARE(box->text().contains(u"mueller7-dict"_s), !installed);
        if (installed && box->isChecked() != tick)
            box->click();
        QCOMPARE(state.suggestMeanings, stored);
        child<QPushButton>(dialog, button)->click();
        QCOMPARE(state.suggestMeanings, expected);

        // The box fits its frame, the package's name included.
        const QRect frame = child(dialog, u"Bevel6"_s)->geometry().adjusted(2, 2, -2, -2);
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(QString::number(box->sizeHint().width())));
        QVERIFY(frame.contains(box->geometry()));
        for (QWidget *other : dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other != box && !other->objectName().startsWith(u"Bevel"_s))
                QVERIFY2(!other->geometry().intersects(box->geometry()), qPrintable(other->objectName()));
        }
    }
};

QTEST_MAIN(TestColorDialog)
#include "tst_color_dialog.moc"
