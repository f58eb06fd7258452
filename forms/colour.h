#pragma once

#include "app/program_state.h"

#include <QColor>

// The program keeps colours as 0x00BBGGRR; widgets want QColor. Every
// conversion between the two goes through these.
inline QColor toQColor(Colour colour)
{
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

inline Colour fromQColor(const QColor &colour)
{
    const QRgb rgb = colour.rgb();
    return static_cast<Colour>(qRed(rgb)) | static_cast<Colour>(qGreen(rgb)) << 8
           | static_cast<Colour>(qBlue(rgb)) << 16;
}
