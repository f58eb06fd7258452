#pragma once

#include <QString>
#include <QStringList>

// Lines shaped like a real dictionary: a word and three Russian meanings.
inline QStringList sampleLines(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        lines << QStringLiteral("word%1,значение %1,второе значение,третье,").arg(i);
    }
    return lines;
}
