#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

#include <utility>
#include <vector>

class QMenu;
class QSystemTrayIcon;

// The icon in the desktop's notification area and its menu. Clicks and menu
// commands come out as the program's tray messages (a tray notification
// carrying the mouse message, or a command carrying its id) for the
// application's message router.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    // Menu items: a command id and a caption; id 0 is a separator.
    using MenuItems = std::vector<std::pair<int, QString>>;

    // The icon may come later, before the first add().
    TrayIcon(const QString &tip, const MenuItems &menu, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop has a notification area to put the icon in.
    static bool available();

    void setIcon(const QIcon &icon);
    void add();
    void remove();
    bool isShown() const;
    QString toolTip() const;
    void setToolTip(const QString &tip);
    QMenu *menu() const { return m_menu; }
    // Opens the menu horizontally centred on pos.
    void popupMenu(QPoint pos);

Q_SIGNALS:
    void message(unsigned message, quint64 wParam, qint64 lParam);

private:
    QSystemTrayIcon *m_icon;
    QMenu *m_menu;
};
