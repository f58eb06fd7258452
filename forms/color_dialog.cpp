#include "forms/color_dialog.h"

#include "ui_color_dialog.h"

#include "forms/colour.h"
#include "forms/label_fit.h"
#include "forms/pickers.h"
#include "lexicon/lexicon.h"
#include "platform/speech.h"

#include <QColorDialog>
#include <QMouseEvent>

namespace {

QFont fontOf(const QString &name, int size, std::uint8_t style)
{
    QFont font(name);
    if (size > 0)
        font.setPointSize(size);
    font.setBold(style & FontBold);
    font.setItalic(style & FontItalic);
    font.setUnderline(style & FontUnderline);
    font.setStrikeOut(style & FontStrikeOut);
    return font;
}

std::uint8_t styleOf(const QFont &font)
{
    return static_cast<std::uint8_t>((font.bold() ? FontBold : 0) | (font.italic() ? FontItalic : 0)
                                     | (font.underline() ? FontUnderline : 0)
                                     | (font.strikeOut() ? FontStrikeOut : 0));
}

// A swatch shows its colour as a filled rectangle with a black outline.
void setSwatch(QFrame *swatch, Colour colour)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    palette.setColor(QPalette::WindowText, Qt::black);
    swatch->setPalette(palette);
}

Colour swatchColour(const QFrame *swatch)
{
    return fromQColor(swatch->palette().color(QPalette::Window));
}

} // namespace

TGameColorDialog::TGameColorDialog(PRG_STAT &state, QWidget *mainWindow, Speech *speech)
    : QDialog(mainWindow)
    , m_state(state)
    , m_speech(speech)
    , m_ui(std::make_unique<Ui::GameColorDialog>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    // Blue form, white texts; buttons keep their own colours.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::blue);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    // A check box that cannot be ticked shows it in its text too.
    QPalette speakPalette = palette;
    speakPalette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 160, 255));
    m_ui->CBSpeak->setPalette(speakPalette);

    for (QLabel *label : {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5, m_ui->Label6})
        fitLabelAroundCentre(label);
    for (QFrame *swatch : {m_ui->Shape1, m_ui->Shape2, m_ui->Shape3})
        swatch->installEventFilter(this);
    m_ui->FontLabel->installEventFilter(this);

    QColorDialog::setCustomColor(0, toQColor(CustomColour));

    connect(m_ui->Button1, &QPushButton::clicked, this, [this] { chooseColour(m_ui->Shape1); });
    connect(m_ui->Button2, &QPushButton::clicked, this, [this] { chooseColour(m_ui->Shape2); });
    connect(m_ui->Button3, &QPushButton::clicked, this, [this] { chooseColour(m_ui->Shape3); });
    connect(m_ui->Button5, &QPushButton::clicked, this, &TGameColorDialog::FontLabelClick);
    connect(m_ui->OKBtn, &QPushButton::clicked, this, &TGameColorDialog::OKBtnClick);
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TGameColorDialog::Button4Click);
    connect(m_ui->CBSpeak, &QCheckBox::clicked, this, &TGameColorDialog::CBSpeakClick);
    if (m_speech)
        connect(m_speech, &Speech::statusChanged, this, &TGameColorDialog::showSpeechStatus);

    FormCreate(mainWindow);
}

TGameColorDialog::~TGameColorDialog() = default;

void TGameColorDialog::FormCreate(QWidget *mainWindow)
{
    if (mainWindow)
        move(mainWindow->window()->frameGeometry().topLeft() + QPoint(40, 10));
    setSwatch(m_ui->Shape1, m_state.bgColor);
    setSwatch(m_ui->Shape2, m_state.activeColor);
    setSwatch(m_ui->Shape3, m_state.passiveColor);
    m_ui->CBTimer->setChecked(m_state.timerOn != 0);
    ChangeLabel(m_state.fontName, m_state.fontSize, m_state.fontStyle);
    showMode(m_state.mode);
    m_ui->CBSpeak->setChecked(m_state.speakWords == 1);
    showSpeechStatus();
    showMeaningsSetting();
}

// Without a dictionary the box cannot be ticked and names the package that
// brings one; the stored setting stays as it is until then.
void TGameColorDialog::showMeaningsSetting()
{
    const bool installed = Lexicon::isInstalled();
    m_ui->CBMeanings->setEnabled(installed);
    m_ui->CBMeanings->setChecked(installed && m_state.suggestMeanings == 1);
    if (!installed) {
        m_ui->CBMeanings->setText(QStringLiteral("Значения из словаря: пакет %1").arg(QLatin1StringView(Lexicon::PackageName)));
        m_ui->CBMeanings->setToolTip(Lexicon::shared()->problem());
    }
}

// Without an engine or a voice the box cannot be ticked, and says what to
// install; the stored setting stays as it is until then.
void TGameColorDialog::showSpeechStatus()
{
    const bool unavailable = m_speech && m_speech->unavailable();
    QString hint;
    if (unavailable) {
        hint = m_speech->hint();
        m_ui->CBSpeak->setChecked(false);
    } else if (m_speech && m_speech->status() == Speech::Status::Starting && m_ui->CBSpeak->isChecked()) {
        hint = QStringLiteral("Ищу голос…");
    }
    m_ui->CBSpeak->setEnabled(!unavailable);
    m_ui->SpeakHint->setText(hint);
}

void TGameColorDialog::CBSpeakClick(bool checked)
{
    // The engine is looked for as soon as the learner asks for it, so that
    // a missing voice shows here and not after the dialog has closed.
    if (checked && m_speech)
        m_speech->start();
    showSpeechStatus();
}

void TGameColorDialog::showMode(int mode)
{
    // Any other mode leaves all three unchecked; OK then keeps the mode.
    switch (mode) {
    case ModeStandard:
        m_ui->RadioButton1->setChecked(true);
        break;
    case ModeLearning:
        m_ui->RadioButton2->setChecked(true);
        break;
    case ModeFlash:
        m_ui->RadioButton3->setChecked(true);
        break;
    default:
        break;
    }
}

bool TGameColorDialog::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    // Any mouse button on a swatch opens the picker; a fast second press
    // arrives as a double click and counts as a press too.
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        for (QFrame *swatch : {m_ui->Shape1, m_ui->Shape2, m_ui->Shape3}) {
            if (watched == swatch) {
                chooseColour(swatch);
                return true;
            }
        }
    }
    if (watched == m_ui->FontLabel && type == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_ui->FontLabel->rect().contains(mouse->position().toPoint())) {
            FontLabelClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TGameColorDialog::chooseColour(QFrame *swatch)
{
    // The first picker of the dialog preselects no colour; later ones the
    // colour last confirmed.
    const QColor start = m_pickedColour.value_or(QColor());
    if (const auto picked = Pickers::pickColour(this, start)) {
        m_pickedColour = *picked;
        setSwatch(swatch, fromQColor(*picked));
    }
    m_ui->OKBtn->setFocus();
}

void TGameColorDialog::FontLabelClick()
{
    // The picker starts from the program state's font, not the preview's;
    // a cancelled picker leaves the preview as it was, with the font chosen
    // before in this dialog.
    if (const auto font = Pickers::pickFont(this, fontOf(m_state.fontName, m_state.fontSize, m_state.fontStyle))) {
        const int size = font->pointSize() > 0 ? font->pointSize() : m_state.fontSize;
        ChangeLabel(font->family(), size, styleOf(*font));
    }
    m_ui->OKBtn->setFocus();
}

void TGameColorDialog::ChangeLabel(const QString &fontName, int fontSize, std::uint8_t fontStyle)
{
    m_fontName = fontName;
    m_fontSize = fontSize;
    m_fontStyle = fontStyle;
    m_ui->FontLabel->setFont(fontOf(fontName, fontSize, fontStyle));
    m_ui->FontLabel->setText(QStringLiteral(" выглядит так"));
    m_ui->FontLabel->adjustSize();
}

void TGameColorDialog::OKBtnClick()
{
    m_state.bgColor = swatchColour(m_ui->Shape1);
    m_state.activeColor = swatchColour(m_ui->Shape2);
    m_state.passiveColor = swatchColour(m_ui->Shape3);
    m_state.timerOn = m_ui->CBTimer->isChecked() ? 1 : 0;
    if (m_ui->CBSpeak->isEnabled())
        m_state.speakWords = m_ui->CBSpeak->isChecked() ? 1 : 0;
    if (m_ui->CBMeanings->isEnabled())
        m_state.suggestMeanings = m_ui->CBMeanings->isChecked() ? 1 : 0;
    m_state.fontName = m_fontName;
    m_state.fontSize = m_fontSize;
    m_state.fontStyle = m_fontStyle;
    if (m_ui->RadioButton1->isChecked())
        m_state.mode = ModeStandard;
    else if (m_ui->RadioButton2->isChecked())
        m_state.mode = ModeLearning;
    else if (m_ui->RadioButton3->isChecked())
        m_state.mode = ModeFlash;
    accept();
}

void TGameColorDialog::Button4Click()
{
    // The defaults go straight into the program state; the dialog then
    // closes as cancelled, so nothing else of its working copy is taken.
    m_state.bgColor = 0xFF80FF;
    m_state.activeColor = 0x00FFFF;
    m_state.passiveColor = 0x000000;
    setSwatch(m_ui->Shape1, m_state.bgColor);
    setSwatch(m_ui->Shape2, m_state.activeColor);
    setSwatch(m_ui->Shape3, m_state.passiveColor);
    m_ui->RadioButton1->setChecked(true);
    m_state.fontSize = 10;
    m_state.fontName = QStringLiteral("Microsoft Sans Serif");
    ChangeLabel(m_state.fontName, m_state.fontSize, m_state.fontStyle);
    m_ui->CBTimer->setChecked(true);
    m_state.timerOn = 1;
    m_ui->CBSpeak->setChecked(false);
    m_state.speakWords = 0;
    m_state.suggestMeanings = 1;
    m_ui->CBMeanings->setChecked(m_ui->CBMeanings->isEnabled());
    m_state.mode = ModeStandard;
    m_state.wordColumnBase = 67;
    m_state.wordColumnLeft = 67;
    m_state.meaningColumnBase = 169;
    m_state.meaningColumnLeft = 169;
    reject();
}
