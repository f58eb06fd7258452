#pragma once

#include <QString>

#include <functional>

class QWidget;

// The open-file dialog of the dictionaries tab.
namespace FileDialogs {
// Shows the dialog on folder with the given filter, either in the form
// "Словари|*.wrd" (name|patterns pairs) or as Qt name filters
// ("Словари (*.wrd)"). Returns the chosen file's path, empty when cancelled.
// The dialog offers the file name chosen last time again.
QString openFile(QWidget *parent, const QString &folder, const QString &filter);

// While a handler is set it answers instead of the dialog (tests); an empty
// function brings the dialog back.
void setHandler(std::function<QString(const QString &folder, const QString &filter)> handler);
} // namespace FileDialogs
