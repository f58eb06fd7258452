#pragma once

#include <QColor>
#include <QFont>

#include <functional>
#include <optional>

class QWidget;

// The standard colour and font pickers of the settings dialog.
namespace Pickers {
// The colour the user confirmed, nothing when the picker was cancelled. An
// invalid initial colour preselects none.
std::optional<QColor> pickColour(QWidget *parent, const QColor &initial);
// The font the user confirmed, nothing when the picker was cancelled.
std::optional<QFont> pickFont(QWidget *parent, const QFont &initial);

// While a handler is set it answers instead of the picker (tests); nothing
// stands for a cancelled picker. An empty function brings the picker back.
void setColourHandler(std::function<std::optional<QColor>(const QColor &initial)> handler);
void setFontHandler(std::function<std::optional<QFont>(const QFont &initial)> handler);
} // namespace Pickers
