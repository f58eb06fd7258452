#include "platform/tray_icon.h"

#include "app/tray_routing.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(const QString &tip, const MenuItems &menu, QObject *parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(this))
    , m_menu(new QMenu)
{
    m_icon->setToolTip(tip);
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    for (const auto &[id, caption] : menu) {
        if (id == 0) {
            m_menu->addSeparator();
            continue;
        }
        QAction *action = m_menu->addAction(caption);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] {
            Q_EMIT message(Requests::Command, static_cast<quint64>(id), 0);
        });
    }
    // The menu is opened by the program on a right click, not by the tray
    // itself, so that it can open at a place of the program's choosing.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        unsigned mouse = Requests::MouseMove;
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            mouse = Requests::LeftButtonDown;
            break;
        case QSystemTrayIcon::Context:
            mouse = Requests::RightButtonUp;
            break;
        case QSystemTrayIcon::DoubleClick:
            mouse = Requests::LeftButtonDoubleClick;
            break;
        default:
            break;
        }
        Q_EMIT message(Requests::TrayNotification, 0, mouse);
    });
}

TrayIcon::~TrayIcon()
{
    m_icon->hide();
    delete m_menu;
}

bool TrayIcon::available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setIcon(const QIcon &icon)
{
    m_icon->setIcon(icon);
}

void TrayIcon::add()
{
    m_icon->show();
}

void TrayIcon::remove()
{
    m_icon->hide();
}

bool TrayIcon::isShown() const
{
    return m_icon->isVisible();
}

QString TrayIcon::toolTip() const
{
    return m_icon->toolTip();
}

void TrayIcon::setToolTip(const QString &tip)
{
    m_icon->setToolTip(tip);
}

void TrayIcon::popupMenu(QPoint pos)
{
    m_menu->ensurePolished();
    const QSize size = m_menu->sizeHint();
    m_menu->popup(QPoint(pos.x() - size.width() / 2, pos.y()));
}
