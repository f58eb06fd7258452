#pragma once

#include <QApplication>
#include <QTranslator>

// The application object. Qt does not let exceptions through its event loop,
// so every event is delivered here under a handler that shows what escaped
// and lets the program go on.
class LexomatApplication : public QApplication
{
    Q_OBJECT

public:
    LexomatApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows an error in a message box titled with the application's title.
    static void showError(const QString &text);

    // Stands in fonts of the platform for the faces the windows are laid out in.
    static void useClassicFonts();

    // Whether Qt's own dialogs and buttons read Russian: false when Qt's
    // translation is not installed (Debian's qt6-translations-l10n).
    bool speaksRussian() const { return !m_qtTranslation.isEmpty(); }

private:
    QTranslator m_qtTranslation;
};
