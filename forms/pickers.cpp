#include "forms/pickers.h"

#include <QColorDialog>
#include <QFontDialog>

namespace {

std::function<std::optional<QColor>(const QColor &)> &colourHandler()
{
    static std::function<std::optional<QColor>(const QColor &)> handler;
    return handler;
}

std::function<std::optional<QFont>(const QFont &)> &fontHandler()
{
    static std::function<std::optional<QFont>(const QFont &)> handler;
    return handler;
}

} // namespace

std::optional<QColor> Pickers::pickColour(QWidget *parent, const QColor &initial)
{
    if (const auto &handler = colourHandler())
        return handler(initial);
    // Qt's own picker: a desktop's native one would not offer the custom colours.
    const QColor colour = QColorDialog::getColor(initial, parent, QString(), QColorDialog::DontUseNativeDialog);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

std::optional<QFont> Pickers::pickFont(QWidget *parent, const QFont &initial)
{
    if (const auto &handler = fontHandler())
        return handler(initial);
    bool confirmed = false;
    const QFont font = QFontDialog::getFont(&confirmed, initial, parent);
    if (!confirmed)
        return std::nullopt;
    return font;
}

void Pickers::setColourHandler(std::function<std::optional<QColor>(const QColor &)> handler)
{
    colourHandler() = std::move(handler);
}

void Pickers::setFontHandler(std::function<std::optional<QFont>(const QFont &)> handler)
{
    fontHandler() = std::move(handler);
}
