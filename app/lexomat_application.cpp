#include "app/lexomat_application.h"

#include <QFont>
#include <QLibraryInfo>
#include "forms/message_box.h"

#include <exception>

LexomatApplication::LexomatApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Lexomat"));
    setOrganizationName(QStringLiteral("Tolv"));
    setApplicationVersion(QStringLiteral(LEXOMAT_VERSION));
    setDesktopFileName(QStringLiteral("lexomat"));
    setQuitOnLastWindowClosed(false);
    setStyle(QStringLiteral("Fusion"));
    useClassicFonts();
    // Every text of the program is Russian, so Qt's own dialogs and buttons
    // (colour, font and file dialogs, message box buttons, edit menus) are
    // too, whatever the system's locale; before any window exists.
    if (m_qtTranslation.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslation);
}

void LexomatApplication::useClassicFonts()
{
    // The windows are laid out for the classic sans-serif faces; where those
    // are missing, metric-compatible faces with Cyrillic stand in.
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")};
    for (const QString &family : {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif")})
        QFont::insertSubstitutions(family, sans);
    QFont::insertSubstitutions(QStringLiteral("MS Serif"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")});
}

bool LexomatApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showError(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void LexomatApplication::showError(const QString &text)
{
    MessageBoxes::error(nullptr, text);
}
