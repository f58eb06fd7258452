#include "lexicon/sorted_lines.h"

#include <QFile>

#include <algorithm>
#include <cstring>

SortedLines::SortedLines(const QString &path)
{
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return;
    const qint64 size = file->size();
    if (size > 0) {
        uchar *mapped = file->map(0, size);
        if (!mapped)
            return;
        m_bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size));
    }
    m_file = std::move(file);
    m_open = true;
}

SortedLines SortedLines::fromBytes(QByteArray bytes)
{
    SortedLines lines;
    lines.m_bytes = std::move(bytes);
    lines.m_open = true;
    return lines;
}

QByteArrayView SortedLines::find(QByteArrayView key) const
{
    if (key.isEmpty())
        return {};
    const QByteArrayView all(m_bytes);
    // Binary search over byte positions: each probe moves back to the start
    // of the line it falls in.
    const auto lineStart = [&](qsizetype at) {
        while (at > 0 && all[at - 1] != '\n')
            --at;
        return at;
    };
    // The line from start to its line break, the break left out.
    const auto lineAt = [&](qsizetype start) {
        const qsizetype end = all.indexOf('\n', start);
        return all.sliced(start, (end < 0 ? all.size() : end) - start);
    };
    const auto keyOf = [](QByteArrayView line) {
        const qsizetype space = line.indexOf(' ');
        return space < 0 ? line : line.first(space);
    };
    const auto compare = [](QByteArrayView a, QByteArrayView b) {
        const qsizetype n = std::min(a.size(), b.size());
        const int c = n > 0 ? std::memcmp(a.data(), b.data(), std::size_t(n)) : 0;
        return c != 0 ? c : (a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1));
    };
    qsizetype low = 0;
    qsizetype high = all.size();
    while (low < high) {
        const qsizetype start = lineStart(low + (high - low) / 2);
        const QByteArrayView line = lineAt(start);
        const int c = compare(keyOf(line), key);
        if (c == 0) {
            QByteArrayView rest = line.size() > key.size() ? line.sliced(key.size() + 1) : line.sliced(key.size());
            if (rest.endsWith('\r'))
                rest.chop(1);
            return rest;
        }
        const qsizetype next = start + line.size() + 1;
        if (c < 0) {
            // This line and all before it are smaller; the line may have been
            // found from its middle, so the search goes on after its end.
            low = std::max(next, low + 1);
        } else {
            high = start;
        }
    }
    return {};
}
