#include "platform/shell.h"

#include <QDesktopServices>
#include <QDir>

namespace {

std::function<void(const QUrl &)> &handler()
{
    static std::function<void(const QUrl &)> instance;
    return instance;
}

} // namespace

void Shell::openUrl(const QUrl &url)
{
    if (handler())
        handler()(url);
    else
        QDesktopServices::openUrl(url);
}

void Shell::openFile(const QString &path)
{
    openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(path)));
}

void Shell::setHandler(std::function<void(const QUrl &)> newHandler)
{
    handler() = std::move(newHandler);
}
