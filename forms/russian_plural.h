#pragma once

#include <QString>

// The Russian form of a noun after a count: 1 слово, 2 слова, 5 слов,
// 11 слов, 21 слово.
inline QString RussianPlural(qint64 count, const QString &one, const QString &few, const QString &many)
{
    const qint64 tens = count % 100;
    const qint64 units = count % 10;
    if (tens >= 11 && tens <= 14)
        return many;
    if (units == 1)
        return one;
    if (units >= 2 && units <= 4)
        return few;
    return many;
}
