#include "forms/cadr_form.h"

#include "ui_cadr_form.h"

#include "app/process_objects.h"
#include "forms/colour.h"
#include "platform/window_frame.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

const QString WindowKey = QStringLiteral("SOFTWARE\\Tolv\\LX\\WIN");
const QString TopValue = QStringLiteral("W25TH_TOP");
const QString LeftValue = QStringLiteral("W25TH_LEFT");

// A strip of film: a dark frame with sprocket holes and a bright picture.
QIcon filmIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(1, 0, 14, 16, QColor(40, 40, 40));
    for (int y = 1; y < 16; y += 3) {
        painter.fillRect(2, y, 2, 2, Qt::white);
        painter.fillRect(12, y, 2, 2, Qt::white);
    }
    painter.fillRect(5, 3, 6, 10, QColor(255, 210, 0));
    return QIcon(pixmap);
}

void setTextColour(QWidget *widget, Colour colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    widget->setPalette(palette);
}

} // namespace

TCadr::TCadr(ProcessObjects &objects, QWidget *owner)
    : QDialog(owner)
    , m_objects(objects)
    , m_ui(std::make_unique<Ui::Cadr>())
    , m_timer(new QTimer(this))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setWindowIcon(filmIcon());

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(15);
    font.setBold(true);
    m_ui->Label1->setFont(font);
    m_ui->Label2->setFont(font);
    // Three meanings below the word must fit whole, the descenders of the
    // last line ("р", "у", "д") and a margin below them included: the window
    // grows in height as far as that needs; its width stays.
    const QString deepest = QStringLiteral("рудфщцДЦЩgjpqy");
    const QString blank = m_ui->Label2->text();
    m_ui->Label2->setText(deepest + QLatin1Char('\n') + deepest + QLatin1Char('\n') + deepest);
    const int threeLines = m_ui->Label2->sizeHint().height();
    m_ui->Label2->setText(blank);
    // A face may draw a descender below the descent its line box allows.
    const QFontMetrics metrics(font);
    const int overhang = std::max(0, metrics.tightBoundingRect(deepest).bottom() + 1 - metrics.descent());
    constexpr int Margin = 4;
    setFixedSize(width(), std::max(height(), m_ui->Label2->y() + threeLines + overhang + Margin));

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(40);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TCadr::Timer1Timer);
}

TCadr::~TCadr() = default;

void TCadr::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TCadr::FormActivate()
{
    if (m_activated)
        return;
    m_activated = true;
    PRG_STAT &state = *m_objects.state;

    // A value of the wrong type or an unreadable settings file only costs
    // the saved position: the window then opens in the corner.
    INIT &registry = *m_objects.registry;
    try {
        registry.OpenKey(WindowKey, true);
        if (registry.ValueExists(TopValue))
            state.flashTop = registry.ReadInteger(TopValue);
        if (registry.ValueExists(LeftValue))
            state.flashLeft = registry.ReadInteger(LeftValue);
        registry.CloseKey();
    } catch (const RegistryError &) {
        try {
            registry.CloseKey();
        } catch (const RegistryError &) {
        }
    }

    m_inCorner = state.flashLeft <= 0 || state.flashTop <= 0;
    move(frameTarget(frameGeometry().width()));

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(state.bgColor));
    setPalette(palette);
    setAutoFillBackground(true);
    setTextColour(m_ui->Label1, state.activeColor);
    setTextColour(m_ui->Label2, state.passiveColor);

    state.mainWindowInCharge = false;
    m_timer->start();
}

// Where the window's outer top-left corner belongs: at the saved position,
// or flush in the screen's top-right corner.
QPoint TCadr::frameTarget(int frameWidth)
{
    PRG_STAT &state = *m_objects.state;
    if (m_inCorner) {
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        state.flashLeft = desktop.x() + desktop.width() - frameWidth;
        state.flashTop = desktop.y();
    }
    return {state.flashLeft, state.flashTop};
}

bool TCadr::event(QEvent *event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::WindowActivate)
        placeUntilSettled();
    return QDialog::event(event);
}

// Placed before it was framed, the window's client area sat where its frame
// should be. A window manager may frame the window late, under load long
// after it was shown, and may move it as it frames it; and the toolkit takes
// a move as done before the window manager has done it. So for a while
// after the frame first shows, the frame is put back in its place on every
// move and tick that finds it elsewhere, with its caption bar and close
// button on the screen. After that the window is the learner's to move.
void TCadr::placeUntilSettled()
{
    if (!m_activated || m_settled || !isVisible())
        return;
    // The window system's own word on the frame where it has one.
    QPoint client = geometry().topLeft();
    QMargins margins(client.x() - frameGeometry().x(), client.y() - frameGeometry().y(),
                     frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    if (const std::optional<WindowFrame::State> actual = WindowFrame::current(this)) {
        client = actual->client;
        margins = actual->margins;
    }
    if (margins.isNull())
        return; // not framed (yet)
    if (!m_framedSince.isValid())
        m_framedSince.start();
    if (m_framedSince.hasExpired(SettleMs)) {
        m_settled = true;
        return;
    }
    const QPoint corner(margins.left(), margins.top());
    const QPoint target = frameTarget(width() + margins.left() + margins.right());
    if (client - corner != target)
        WindowFrame::moveClient(this, target + corner);
}

void TCadr::Timer1Timer()
{
    placeUntilSettled();
    QString word;
    QString meanings;
    if (GWORDW *words = m_objects.words.get()) {
        BWORDW *drawn = words->DrawWord();
        if (!drawn) {
            // The cycle is through: every word may come again.
            words->MarkAllAvailable();
            drawn = words->DrawWord();
        }
        if (drawn) {
            word = drawn->FieldText(0);
            meanings = QString(drawn->FieldText(1) + QLatin1Char('\n') + drawn->FieldText(2) + QLatin1Char('\n')
                               + drawn->FieldText(3));
        }
    }
    m_ui->Label1->setText(word);
    m_ui->Label1->adjustSize();
    m_ui->Label2->setText(meanings);
    m_ui->Label2->adjustSize();
}

void TCadr::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TCadr::reject()
{
    close();
}

void TCadr::keyPressEvent(QKeyEvent *event)
{
    // Esc does not close the flash window; only its close button does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TCadr::FormClose()
{
    if (!isVisible())
        return;
    // The position is remembered for the next showing; should the settings
    // file not be writable now, the values stay pending in the store and
    // reach the file with the next successful write.
    INIT &registry = *m_objects.registry;
    try {
        registry.OpenKey(WindowKey, true);
        registry.WriteInteger(TopValue, y());
        registry.WriteInteger(LeftValue, x());
        registry.CloseKey();
    } catch (const RegistryError &) {
    }

    m_timer->stop();
    QDialog::done(QDialog::Rejected); // hides the window and ends its modal showing
    if (m_objects.words)
        m_objects.words->MarkAllAvailable();
    m_objects.state->mainWindowInCharge = true;
    Q_EMIT handBack();
}
