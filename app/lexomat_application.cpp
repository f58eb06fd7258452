#include "app/lexomat_application.h"

#include <QMessageBox>

#include <exception>

LexomatApplication::LexomatApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Lexomat"));
    setOrganizationName(QStringLiteral("Tolv"));
    setApplicationVersion(QStringLiteral(LEXOMAT_VERSION));
    setDesktopFileName(QStringLiteral("lexomat"));
}

bool LexomatApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error"));
    }
    return false;
}

void LexomatApplication::showError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Lexomat"), text, QMessageBox::Ok);
    box.exec();
}
