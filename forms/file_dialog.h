#pragma once

#include <QString>

#include <functional>

class QWidget;

// The open-file and save-file dialogs of the dictionaries tab.
namespace FileDialogs {
// Shows the dialog on folder with the given filter, either in the form
// "Словари|*.wrd" (name|patterns pairs) or as Qt name filters
// ("Словари (*.wrd)"). Returns the chosen file's path, empty when cancelled.
// The dialog offers the file name chosen last time again.
QString openFile(QWidget *parent, const QString &folder, const QString &filter);

// While a handler is set it answers instead of the dialog (tests); an empty
// function brings the dialog back.
void setHandler(std::function<QString(const QString &folder, const QString &filter)> handler);
// Shows a save dialog that offers suggestedPath (its folder and name) and
// asks before replacing a file. Returns the chosen path, with the filter's
// extension added to a name typed without one; empty when cancelled.
QString saveFile(QWidget *parent, const QString &suggestedPath, const QString &filter);

// The same for the save dialog.
void setSaveHandler(std::function<QString(const QString &suggestedPath, const QString &filter)> handler);
} // namespace FileDialogs
