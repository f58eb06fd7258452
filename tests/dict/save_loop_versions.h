#pragma once

#include <QString>
#include <QStringList>

// The two contents the save-loop helper writes in turn. They differ in
// length, so a file cut short or mixed from both matches neither.
namespace SaveLoop {

inline QStringList version(int which)
{
    QStringList lines;
    const int count = which == 0 ? 69 : 41;
    for (int i = 0; i < count; ++i) {
        if (which == 0)
            lines << QStringLiteral("word%1,значение номер %1,второе значение,третье,").arg(i);
        else
            lines << QStringLiteral("другое%1,other meaning %1 😀,").arg(i);
    }
    return lines;
}

} // namespace SaveLoop
