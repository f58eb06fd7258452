// The about tab of the main window, the help button, and the settings and
// flash windows that the main window opens.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "app/tray_routing.h"
#include "forms/artwork.h"
#include "forms/cadr_form.h"
#include "forms/color_dialog.h"
#include "forms/colour.h"
#include "platform/shell.h"
#include "ui_about_memo.h"
#include "ui_main_form.h"

#include <QMouseEvent>

namespace {

const QUrl MakerPage(QStringLiteral("https://lexomat.example.org"));
const QColor AddressColour(255, 255, 0);
const QColor AddressHoverColour(255, 255, 255);

const QStringList ThumbUpMessage{
    QStringLiteral("Если программа оказалась вам полезной и вы хотите поддержать её "
                   "дальнейшее развитие, переведите любую сумму на один из электронных "
                   "кошельков, указанных ниже."),
    QString(),
    QStringLiteral("Пример-Кошелёк: счёт 0000-0000-0000 (образец)"),
    QString(),
    QStringLiteral("Образец-Деньги: счета 000000001 и 000000002 (образцы)"),
    QString(),
    QStringLiteral("Тест-Перевод: счёт 0000000000 (образец), почта author@example.org"),
};
const QString ThumbDownMessage = QStringLiteral(
    "Критические замечания присылайте, пожалуйста, на адрес author@example.org");

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

void TForm1::setUpAboutTab()
{
    for (QLabel *label : {m_ui->Label7, m_ui->Label16, m_ui->Label17})
        setTextColour(label, AddressColour);
    setTextColour(m_ui->Label15, Qt::white);
    m_ui->Label17->setText(MakerPage.host());
    for (QLabel *label : {m_ui->Label7, m_ui->Label16, m_ui->Label17, m_ui->Label15, m_ui->Image6}) {
        label->setMouseTracking(true);
        label->installEventFilter(this);
    }
    connect(m_ui->UserVoiceYes, &QToolButton::clicked, this, [this] { UserVoiceYesClick(1); });
    connect(m_ui->UserVoiceNo, &QToolButton::clicked, this, [this] { UserVoiceYesClick(2); });
}

// The about page's pictures and its message box are made when the page is
// first shown.
void TForm1::ensureAboutPage()
{
    if (m_aboutUi)
        return;
    m_aboutUi = std::make_unique<Ui::AboutMemo>();
    QWidget *page = m_ui->TabSheet3;
    const QSize pageSize = page->size();
    m_aboutUi->setupUi(page);
    page->resize(pageSize);
    m_aboutUi->Memo1->setAlignment(Qt::AlignCenter);
    m_ui->Image6->setPixmap(Artwork::logo());
    m_ui->UserVoiceYes->setIcon(Artwork::thumb(true));
    m_ui->UserVoiceNo->setIcon(Artwork::thumb(false));
}

bool TForm1::aboutMouseMove(QObject *watched)
{
    setTextColour(m_ui->Label17, watched == m_ui->Label17 ? AddressHoverColour : AddressColour);
    return false;
}

bool TForm1::aboutEvent(QObject *watched, QEvent *event)
{
    // Moves and presses over a label are the label's own: they must not reach
    // the page beneath, which would undo the hover colour or start a drag.
    if (event->type() == QEvent::MouseMove) {
        aboutMouseMove(watched);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = static_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            Label15Click();
            return true;
        }
    }
    return false;
}

bool TForm1::isAboutLabel(QObject *watched) const
{
    return watched == m_ui->Label7 || watched == m_ui->Label16 || watched == m_ui->Label17
           || watched == m_ui->Label15 || watched == m_ui->Image6;
}

void TForm1::Label15Click()
{
    Shell::openUrl(MakerPage);
}

void TForm1::UserVoiceYesClick(int tag)
{
    ensureAboutPage();
    QTextEdit *memo = m_aboutUi->Memo1;
    memo->hide();
    memo->clear();
    const QStringList lines = tag == 1 ? ThumbUpMessage : tag == 2 ? QStringList{ThumbDownMessage} : QStringList{};
    for (const QString &line : lines) {
        memo->append(line);
        memo->setAlignment(Qt::AlignCenter);
    }
    // The message reads from its first line.
    memo->moveCursor(QTextCursor::Start);
    memo->show();
}

void TForm1::HideAboutMemo()
{
    if (!m_aboutUi)
        return;
    m_aboutUi->Memo1->hide();
    m_aboutUi->Memo1->clear();
}

void TForm1::N9Click()
{
    PRG_STAT &state = *m_objects.state;
    if (state.gameState >= 1)
        m_engine.BStartClick();
    {
        TGameColorDialog dialog(state, this, m_speech);
        dialog.exec();
    }
    m_ui->Shape1->setBrushColor(toQColor(state.bgColor));
    PaintColumn(0, false);
    PaintColumn(1, false);
    ApplyBoardFont();
    ProgressBarModel bar = m_engine.progressBar();
    bar.background = state.gameState != 0 ? ProgressBarModel::Background::Board : ProgressBarModel::Background::Window;
    UpdateProgressBar(bar);
    startPronunciationIfOn();
    FocusPageControl();
}

void TForm1::RunFlashWindow()
{
    TCadr flash(m_objects, this);
    connect(&flash, &TCadr::handBack, this, [this] {
        FocusPageControl();
        Perform(Requests::Restore);
    });
    flash.exec();
}
