#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's information messages: a modal box captioned "Информация"
// with the information icon and one OK button.
namespace MessageBoxes {
void information(QWidget *owner, const QString &text);
// An error that the program cannot handle itself: a box titled "Lexomat".
void error(QWidget *owner, const QString &text);

// While a handler is set it receives every message instead of a box being
// shown (tests); an empty function brings the boxes back.
void setHandler(std::function<void(const QString &caption, const QString &text)> handler);
} // namespace MessageBoxes
