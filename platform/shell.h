#pragma once

#include <QUrl>

#include <functional>

// Hands documents and web pages to the desktop's default programs.
namespace Shell {

// Results are not checked: a missing browser or file shows nothing from
// the program.
void openUrl(const QUrl &url);
// A file, looked up relative to the current directory.
void openFile(const QString &path);

// While set, openings go to the handler instead of the desktop (tests).
void setHandler(std::function<void(const QUrl &)> handler);

} // namespace Shell
