#include "forms/message_box.h"

#include <QMessageBox>

namespace {

std::function<void(const QString &, const QString &)> &messageHandler()
{
    static std::function<void(const QString &, const QString &)> handler;
    return handler;
}

} // namespace

void MessageBoxes::information(QWidget *owner, const QString &text)
{
    const QString caption = QStringLiteral("Информация");
    if (const auto &handler = messageHandler()) {
        handler(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void MessageBoxes::error(QWidget *owner, const QString &text)
{
    const QString caption = QStringLiteral("Lexomat");
    if (const auto &handler = messageHandler()) {
        handler(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void MessageBoxes::setHandler(std::function<void(const QString &, const QString &)> handler)
{
    messageHandler() = std::move(handler);
}
