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

namespace {

qsizetype lineStart(QByteArrayView all, qsizetype at)
{
    while (at > 0 && all[at - 1] != '\n')
        --at;
    return at;
}

// The line from start to its line break, the break left out.
QByteArrayView lineAt(QByteArrayView all, qsizetype start)
{
    const qsizetype end = all.indexOf('\n', start);
    return all.sliced(start, (end < 0 ? all.size() : end) - start);
}

QByteArrayView keyOf(QByteArrayView line)
{
    const qsizetype space = line.indexOf(' ');
    QByteArrayView key = space < 0 ? line : line.first(space);
    if (key.endsWith('\r'))
        key.chop(1);
    return key;
}

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const int c = n > 0 ? std::memcmp(a.data(), b.data(), std::size_t(n)) : 0;
    return c != 0 ? c : (a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1));
}

} // namespace

qsizetype SortedLines::lowerBound(QByteArrayView key) const
{
    const QByteArrayView all(m_bytes);
    // Binary search over byte positions: each probe moves back to the start
    // of the line it falls in. low is always the start of a line.
    qsizetype low = 0;
    qsizetype high = all.size();
    while (low < high) {
        const qsizetype start = lineStart(all, low + (high - low) / 2);
        const QByteArrayView line = lineAt(all, start);
        if (compareBytes(keyOf(line), key) < 0)
            low = std::max(start + line.size() + 1, low + 1);
        else
            high = start;
    }
    return std::min(low, all.size());
}

QByteArrayView SortedLines::find(QByteArrayView key) const
{
    if (key.isEmpty())
        return {};
    const QByteArrayView all(m_bytes);
    const qsizetype start = lowerBound(key);
    if (start >= all.size())
        return {};
    const QByteArrayView line = lineAt(all, start);
    if (keyOf(line) != key)
        return {};
    QByteArrayView rest = line.sliced(std::min(line.size(), key.size() + 1));
    if (rest.endsWith('\r'))
        rest.chop(1);
    return rest;
}

QList<QByteArrayView> SortedLines::linesStartingWith(QByteArrayView prefix) const
{
    QList<QByteArrayView> lines;
    if (prefix.isEmpty())
        return lines;
    const QByteArrayView all(m_bytes);
    for (qsizetype start = lowerBound(prefix); start < all.size();) {
        const QByteArrayView line = lineAt(all, start);
        if (!line.startsWith(prefix))
            break;
        lines.append(line);
        start += line.size() + 1;
    }
    return lines;
}
