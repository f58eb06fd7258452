#include "forms/main_form.h"

#include "app/process_objects.h"
#include "app/registry.h"
#include "app/settings.h"
#include "app/tray_routing.h"
#include "dict/dict_library.h"
#include "dict/merge_report.h"
#include "dict/save_rescue.h"
#include "forms/artwork.h"
#include "forms/file_notices.h"
#include "forms/message_box.h"
#include "platform/session_platform.h"
#include "platform/shell.h"
#include "platform/tray_icon.h"
#include "platform/window_shape.h"
#include "progress/progress_store.h"
#include "ui_about_memo.h"
#include "ui_dictionary_list.h"
#include "ui_main_form.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <cmath>

namespace {

const QColor WindowBlue(0, 0, 255);
const QColor ButtonFace(212, 208, 200);
const QColor Highlight(255, 255, 255);
const QColor Shadow(128, 128, 128);

const QString HelpFile = QStringLiteral("lexomat.hlp");

} // namespace

TForm1::TForm1(ProcessObjects &objects, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
    , m_objects(objects)
    , m_ui(std::make_unique<Ui::TForm1>())
    , m_engine(objects, *this)
{
    // The settings writes of a first start (the new dictionary's marks)
    // wait until the window is up.
    m_objects.registry->holdWrites();
    m_ui->setupUi(this);

    QPalette framePalette = palette();
    framePalette.setColor(QPalette::Window, WindowBlue);
    framePalette.setColor(QPalette::WindowText, Qt::white);
    framePalette.setColor(QPalette::Button, ButtonFace);
    framePalette.setColor(QPalette::ButtonText, WindowBlue);
    framePalette.setColor(QPalette::Base, Qt::white);
    framePalette.setColor(QPalette::Text, WindowBlue);
    setPalette(framePalette);
    setAutoFillBackground(true);
    QPalette pagesPalette = framePalette;
    pagesPalette.setColor(QPalette::Window, ButtonFace);
    pagesPalette.setColor(QPalette::WindowText, WindowBlue);
    m_ui->PageControl1->setPalette(pagesPalette);
    for (QWidget *page : {m_ui->TabSheet2, m_ui->TabSheet3}) {
        page->setPalette(framePalette);
        page->setAutoFillBackground(true);
    }

    // The bottom-right corner is drawn as painted and takes no input: a
    // press on it drags the frame like the panel around it.
    m_ui->Image2->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The status bar keeps the look of a status bar: dark text on its grey
    // panels, not the frame's white on blue.
    QPalette statusPalette = framePalette;
    statusPalette.setColor(QPalette::Window, ButtonFace);
    statusPalette.setColor(QPalette::WindowText, Qt::black);
    m_ui->StatusBar1->setPalette(statusPalette);

    // Drag handlers of the frame: the form, its panel, the board's background
    // and the dictionaries and about pages.
    for (QWidget *surface : {static_cast<QWidget *>(this), static_cast<QWidget *>(m_ui->Panel1),
                             static_cast<QWidget *>(m_ui->Shape1), m_ui->TabSheet2, m_ui->TabSheet3}) {
        surface->installEventFilter(this);
        surface->setMouseTracking(true);
    }
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);

    // A dictionary that cannot be written is never lost without a word.
    SaveRescue::setHandler([this](const SaveFailure &failure) {
        MessageBoxes::information(this, FileNotices::saveFailed(failure));
    });
    // Nor is a dictionary that changed underneath merged without a word.
    MergeReport::setHandler([this](const DictionaryMerge &merge) {
        MessageBoxes::information(this, FileNotices::dictionaryMerged(merge));
    });

    setUpTray();
    setUpGameTab();
    setUpDictionariesTab();
    setUpDictionaryArticle();
    setUpAboutTab();
    setUpPronunciation();
    FormCreate();
    updatePronounceItems();
}

TForm1::~TForm1()
{
    m_objects.registry->releaseWrites();
    // An edited dictionary still open saves itself now, while its failure
    // can still be told.
    m_library.reset();
    SaveRescue::setHandler({});
    MergeReport::setHandler({});
}

void TForm1::FormCreate()
{
    m_ui->Image3->setPixmap(Artwork::speedArrow(0));
    m_ui->Image4->setPixmap(Artwork::speedArrow(2));

    PRG_STAT &state = *m_objects.state;
    LoadedSettings loaded = LoadSettings(state, *m_objects.registry, QDir::currentPath());
    m_library = std::move(loaded.library);
    if (loaded.speed)
        m_ui->TBGameSpeed->setValue(*loaded.speed);

    m_engine.ResetBoard();
    PaintColumn(1, false);
    ApplyBoardFont();

    Perform(Requests::DictionaryChanged);
    m_engine.TBGameSpeedChange();

    StatusPanels *status = m_ui->StatusBar1;
    status->setPanelWidth(0, static_cast<int>(std::trunc(status->width() * 0.25788)));
    status->setPanelWidth(2, m_ui->ProgressBar1->width() + 8);
    SetTurnButtonsEnabled(false);
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        FormActivate();
        // What the first showing does not need is done once the window is up.
        QTimer::singleShot(0, this, &TForm1::finishStart);
        QTimer::singleShot(0, this, &TForm1::startSharing);
        // Told once the window is up, not in the way of its first showing.
        if (const INIT &registry = *m_objects.registry; registry.damaged()) {
            QTimer::singleShot(0, this, [this] {
                const INIT &registry = *m_objects.registry;
                MessageBoxes::information(this, FileNotices::settingsDamaged(registry.fileName(), registry.damagedCopy()));
            });
        }
    }
}

void TForm1::finishStart()
{
    m_objects.registry->releaseWrites();
    ensureIcons();
    // The speech engine opens on its own thread.
    startPronunciationIfOn();
}

// The application icon is drawn in several sizes: for the window, its task
// bar entry and the tray, none of which the first showing waits for.
void TForm1::ensureIcons()
{
    if (m_iconsDrawn)
        return;
    m_iconsDrawn = true;
    const QIcon icon = Artwork::applicationIcon();
    setWindowIcon(icon);
    m_tray->setIcon(icon);
}

void TForm1::FormActivate()
{
    // Centred on the screen.
    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        move(desktop.x() + (desktop.width() - width()) / 2, desktop.y() + (desktop.height() - height()) / 2);
    }

    if (m_objects.state->mainWindowInCharge) {
        const int w = width();
        const int h = height();
        const QPolygon outline({QPoint(15, 4), QPoint(8, 9), QPoint(3, 15), QPoint(0, 20), QPoint(0, h - 6),
                                QPoint(6, h), QPoint(w - 30, h), QPoint(w - 15, h - 4), QPoint(w - 8, h - 9),
                                QPoint(w - 3, h - 15), QPoint(w, h - 20), QPoint(w, 4), QPoint(w - 4, 0),
                                QPoint(30, 0)});
        WindowShape::apply(this, outline);
        m_ui->Image1->setPixmap(Artwork::cornerSkin(m_ui->Image1->size(), WindowBlue, Highlight,
                                                    QPolygon({QPoint(29, 0), QPoint(14, 5), QPoint(4, 14), QPoint(1, 20)})));
        m_ui->Image2->setPixmap(Artwork::cornerSkin(m_ui->Image2->size(), WindowBlue, Shadow,
                                                    QPolygon({QPoint(29, 0), QPoint(25, 8), QPoint(14, 18), QPoint(0, 22)})));
    }

    // The status bar takes the speed frame's width and left edge; the progress
    // bar sits in its third panel.
    StatusPanels *status = m_ui->StatusBar1;
    QProgressBar *progress = m_ui->ProgressBar1;
    status->setGeometry(m_ui->Bevel1->x(), status->y(), m_ui->Bevel1->width(),
                        static_cast<int>(std::trunc(progress->height() * 2.3)));
    const int q = status->width() / 100;
    status->setPanelWidth(0, q * 30);
    status->setPanelWidth(1, 0);
    status->setPanelWidth(2, progress->width() + 10);
    status->setPanelWidth(3, static_cast<int>(std::trunc(q * 34.38)));
    progress->move(status->x() + status->panelWidth(0) + 6, progress->y());
    progress->raise();
    status->update();
    progress->update();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    Q_EMIT closed();
}

void TForm1::FormClose()
{
    INIT &registry = *m_objects.registry;
    registry.releaseWrites();
    SaveSettings(*m_objects.state, registry, m_ui->TBGameSpeed->value(), m_library);
    if (registry.writeFailed())
        MessageBoxes::information(this, FileNotices::settingsNotWritten(registry.fileName()));
}

void TForm1::Perform(unsigned message, quint64 wParam, qint64 lParam)
{
    switch (message) {
    case Requests::DictionaryChanged:
        DictionaryChanged();
        break;
    case Requests::Restore:
        RestoreFromTray();
        break;
    case Requests::TrayMenu:
        OpenTrayMenu(QPoint(static_cast<qint16>(lParam & 0xFFFF), static_cast<qint16>((lParam >> 16) & 0xFFFF)));
        break;
    case Requests::TrayCommand:
        TrayCommand(static_cast<int>(wParam & 0xFFFF));
        break;
    case Requests::DictionaryDone:
        m_engine.DictionaryDone();
        break;
    default:
        break;
    }
}

void TForm1::RouteTrayMessage(unsigned message, quint64 wParam, qint64 lParam)
{
    const TrayRoute route = RouteApplicationMessage(message, wParam, lParam);
    if (route.request == Requests::TrayMenu) {
        const QPoint pointer = QCursor::pos();
        const qint64 position = (static_cast<qint64>(static_cast<quint16>(pointer.y())) << 16)
                                | static_cast<quint16>(pointer.x());
        Perform(route.request, wParam, position);
    } else if (route.request != 0) {
        Perform(route.request, wParam, lParam);
    }
    // Passing on: the framework has nothing more to do with these messages.
}

// Frame ----------------------------------------------------------------------

bool TForm1::dragEvent(QEvent *event)
{
    PRG_STAT &state = *m_objects.state;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || state.dragging == 1)
            return false;
        // Only the compositor can move a window on Wayland: it takes the
        // drag from here to the release.
        if (SessionPlatform::compositorPlacesWindows() && windowHandle() && windowHandle()->startSystemMove())
            return true;
        state.dragging = 1;
        const QPoint pointer = mouse->globalPosition().toPoint();
        state.dragLeft = frameGeometry().left();
        state.dragTop = frameGeometry().top();
        state.dragMouseX = pointer.x();
        state.dragMouseY = pointer.y();
        return true;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (state.dragging == 1 && (mouse->buttons() & Qt::LeftButton)) {
            const QPoint pointer = mouse->globalPosition().toPoint();
            state.dragLeft += pointer.x() - state.dragMouseX;
            state.dragTop += pointer.y() - state.dragMouseY;
            state.dragMouseX = pointer.x();
            state.dragMouseY = pointer.y();
        }
        m_engine.BackgroundMouseMove();
        return false;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || state.dragging == 0)
            return false;
        // The last stretch of the way counts too.
        const QPoint pointer = mouse->globalPosition().toPoint();
        state.dragLeft += pointer.x() - state.dragMouseX;
        state.dragTop += pointer.y() - state.dragMouseY;
        state.dragMouseX = pointer.x();
        state.dragMouseY = pointer.y();
        move(state.dragLeft, state.dragTop);
        state.dragging = 0;
        return true;
    }
    default:
        return false;
    }
}

void TForm1::Button1Click()
{
    m_ui->PageControl1->setFocus();
    if (TrayIcon::available()) {
        ensureIcons();
        m_tray->add();
        hide();
    } else {
        // Without a notification area the icon could never bring the window
        // back: minimise to the task bar instead.
        showMinimized();
    }
    m_ui->PageControl1->setFocus();
}

void TForm1::MinimiseToTray()
{
    Button1Click();
}

void TForm1::Button2Click()
{
    m_ui->PageControl1->setFocus();
    close();
}

void TForm1::Button5Click()
{
    Shell::openFile(HelpFile);
    m_ui->PageControl1->setFocus();
}

void TForm1::RestoreFromTray()
{
    if (!m_objects.state->mainWindowInCharge)
        return;
    // A Wayland client cannot bring itself back from the task bar, nor learn
    // that it is there; a window shown anew comes back.
    if (isVisible() && SessionPlatform::compositorPlacesWindows())
        hide();
    showNormal();
    raise();
    activateWindow();
    m_tray->remove();
}

void TForm1::OpenTrayMenu(QPoint pointer)
{
    PRG_STAT &state = *m_objects.state;
    if (!state.mainWindowInCharge)
        return;
    if (state.trayMenuPosUnset) {
        state.trayMenuX = static_cast<std::int16_t>(pointer.x());
        state.trayMenuY = static_cast<std::int16_t>(pointer.y());
        state.trayMenuPosUnset = false;
    }
    m_tray->popupMenu(QPoint(state.trayMenuX, state.trayMenuY));
}

void TForm1::TrayCommand(int id)
{
    if (!m_objects.state->mainWindowInCharge)
        return;
    switch (id) {
    case Requests::CommandRestore:
        Perform(Requests::Restore);
        break;
    case Requests::CommandExit:
        m_tray->remove();
        close();
        break;
    case Requests::CommandDictionaries:
        Perform(Requests::Restore);
        ShowDictionariesTab();
        break;
    case Requests::CommandVisitSite:
        Label15Click();
        break;
    case Requests::CommandProgress:
        ShowProgressWindow();
        break;
    case Requests::CommandReview:
        ReviewToday();
        break;
    default:
        break;
    }
}

void TForm1::setUpTray()
{
    const TrayIcon::MenuItems items = {
        {Requests::CommandRestore, QStringLiteral("Восстановить")},
        {Requests::CommandDictionaries, QStringLiteral("Словари")},
        {Requests::CommandProgress, QStringLiteral("Успехи")},
        {Requests::CommandReview, QStringLiteral("Повторить сегодня")},
        {0, QString()},
        {Requests::CommandVisitSite, QStringLiteral("Посетить сайт авторов")},
        {0, QString()},
        {Requests::CommandExit, QStringLiteral("Выход")},
    };
    m_tray = new TrayIcon(QStringLiteral("Lexomat"), items, this);
    connect(m_tray, &TrayIcon::message, this, &TForm1::RouteTrayMessage);
}

// Qt's own mapping of this borderless window to the screen can miss the
// window's place under some window managers (it came out at the screen's
// corner under openbox); the window's geometry is always right.
QPoint TForm1::onScreen(const QWidget *widget, QPoint point) const
{
    return geometry().topLeft() + widget->mapTo(this, point);
}

void TForm1::RefreshStatus()
{
    const int lines = m_library && m_library->file ? static_cast<int>(m_library->file->lines.size()) : 0;
    m_ui->StatusBar1->setPanelText(0, QStringLiteral("Всего слов: %1  ").arg(lines));
    m_ui->StatusBar1->setPanelText(3, QStringLiteral("Отгаданных слов: %1  ").arg(m_objects.state->guessedCount));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // A quick second click arrives as a double click and its release: it is
    // one more press on the frame (a drag may start with it), but on a
    // meaning or a link it must not answer or open a second time.
    if (event->type() == QEvent::MouseButtonDblClick && (isAboutLabel(watched) || isMeaningLabel(watched))) {
        m_doubleClicked = watched;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == m_doubleClicked) {
        m_doubleClicked = nullptr;
        return true;
    }
    if (watched == this || watched == m_ui->Panel1 || watched == m_ui->Shape1 || watched == m_ui->TabSheet2)
        return dragEvent(event);
    if (watched == m_ui->TabSheet3) {
        // The about page's own move handler colours the web address; a drag
        // started here still ends where the pointer was released.
        if (event->type() == QEvent::MouseMove)
            return aboutMouseMove(watched);
        return dragEvent(event);
    }
    if (isAboutLabel(watched))
        return aboutEvent(watched, event);
    return boardEvent(watched, event) || QWidget::eventFilter(watched, event);
}
