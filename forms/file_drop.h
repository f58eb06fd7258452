#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// Lets a widget take files dropped onto it from the desktop: the first local
// file of a drop is handed to the handler once the drop has ended, so that
// the program that dragged it is not held up while the handler shows
// dialogs.
class FileDropTarget : public QObject
{
public:
    FileDropTarget(QWidget *target, std::function<void(const QString &path)> handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(const QString &)> m_handler;
};
