#include "forms/cadr_form.h"

#include "ui_cadr_form.h"

#include "app/process_objects.h"
#include "forms/colour.h"

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
    // Three meanings below the word must fit whole: the window grows in
    // height as far as the font's three lines need; its width stays.
    const int needed = m_ui->Label2->y() + 3 * QFontMetrics(font).lineSpacing() + 2;
    setFixedSize(width(), std::max(height(), needed));

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
    placeFrame();

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(state.bgColor));
    setPalette(palette);
    setAutoFillBackground(true);
    setTextColour(m_ui->Label1, state.activeColor);
    setTextColour(m_ui->Label2, state.passiveColor);

    state.mainWindowInCharge = false;
    m_timer->start();
}

// Puts the window's outer top-left corner at the saved position, or flush in
// the screen's top-right corner.
void TCadr::placeFrame()
{
    PRG_STAT &state = *m_objects.state;
    if (m_inCorner) {
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        state.flashLeft = desktop.x() + desktop.width() - frameGeometry().width();
        state.flashTop = desktop.y();
    }
    move(state.flashLeft, state.flashTop);
}

bool TCadr::event(QEvent *event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::WindowActivate)
        placeOnceFramed();
    return QDialog::event(event);
}

// Placed before it was framed, the window's client area sat where its frame
// should be: once the frame is known, the frame itself is placed. The window
// manager's frame may come without a move of the window, so the ticks look
// too.
void TCadr::placeOnceFramed()
{
    if (m_activated && !m_framePlaced && isVisible() && frameGeometry().topLeft() != geometry().topLeft()) {
        m_framePlaced = true;
        placeFrame();
    }
}

void TCadr::Timer1Timer()
{
    placeOnceFramed();
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
