#include "dict/line_merge.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Beyond this many cells the table of common lines would take too much
// memory; the middle of two such files is then taken as changed whole.
constexpr qsizetype TableLimit = qsizetype(1) << 22;

// For each line of a, the index of the line of b that a longest common
// subsequence of the two pairs it with, or -1.
QList<qsizetype> matchLines(const QStringList &a, const QStringList &b)
{
    const qsizetype n = a.size();
    const qsizetype m = b.size();
    QList<qsizetype> matched(n, -1);
    qsizetype prefix = 0;
    while (prefix < n && prefix < m && a[prefix] == b[prefix]) {
        matched[prefix] = prefix;
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix && a[n - 1 - suffix] == b[m - 1 - suffix]) {
        matched[n - 1 - suffix] = m - 1 - suffix;
        ++suffix;
    }
    const qsizetype rows = n - prefix - suffix;
    const qsizetype columns = m - prefix - suffix;
    if (rows == 0 || columns == 0 || rows * columns > TableLimit)
        return matched;

    // Lines as numbers, so that the table compares integers.
    QHash<QString, int> ids;
    const auto idsOf = [&ids](const QStringList &lines, qsizetype from, qsizetype count) {
        std::vector<int> out(static_cast<std::size_t>(count));
        for (qsizetype i = 0; i < count; ++i) {
            const QString &line = lines[from + i];
            auto found = ids.constFind(line);
            if (found == ids.cend())
                found = ids.insert(line, int(ids.size()));
            out[static_cast<std::size_t>(i)] = *found;
        }
        return out;
    };
    const std::vector<int> x = idsOf(a, prefix, rows);
    const std::vector<int> y = idsOf(b, prefix, columns);

    // length[i][j]: the longest common subsequence of x[i..] and y[j..].
    const auto width = static_cast<std::size_t>(columns + 1);
    std::vector<std::uint32_t> length(static_cast<std::size_t>(rows + 1) * width, 0);
    const auto at = [&](qsizetype i, qsizetype j) -> std::uint32_t & {
        return length[static_cast<std::size_t>(i) * width + static_cast<std::size_t>(j)];
    };
    for (qsizetype i = rows - 1; i >= 0; --i) {
        for (qsizetype j = columns - 1; j >= 0; --j) {
            at(i, j) = x[static_cast<std::size_t>(i)] == y[static_cast<std::size_t>(j)]
                           ? at(i + 1, j + 1) + 1
                           : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < rows && j < columns) {
        if (x[static_cast<std::size_t>(i)] == y[static_cast<std::size_t>(j)]) {
            matched[prefix + i] = prefix + j;
            ++i;
            ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
    return matched;
}

QSet<QString> setOf(const QStringList &lines)
{
    return QSet<QString>(lines.cbegin(), lines.cend());
}

// One stretch between lines that stand unchanged on both sides.
void resolve(const QStringList &base, const QStringList &ours, const QStringList &theirs, LineMerge::Result &result)
{
    if (ours == theirs || theirs == base) {
        result.lines += ours;
        return;
    }
    const QSet<QString> inBase = setOf(base);
    const QSet<QString> inTheirs = setOf(theirs);
    if (ours == base) {
        result.lines += theirs;
        for (const QString &line : theirs) {
            if (!inBase.contains(line))
                result.added.append(line);
        }
        for (const QString &line : base) {
            if (!inTheirs.contains(line))
                result.removed.append(line);
        }
        return;
    }

    // Both sides changed this stretch. Of ours, a line goes only when it is
    // an old one that theirs took out; of theirs, what ours holds already
    // and old lines that ours took out stay out.
    const QSet<QString> inOurs = setOf(ours);
    QStringList oursNew;
    QStringList theirsNew;
    for (const QString &line : ours) {
        if (inBase.contains(line) && !inTheirs.contains(line)) {
            result.removed.append(line);
            continue;
        }
        result.lines.append(line);
        if (!inBase.contains(line))
            oursNew.append(line);
    }
    for (const QString &line : theirs) {
        if (inOurs.contains(line) || inBase.contains(line))
            continue;
        result.lines.append(line);
        theirsNew.append(line);
    }
    result.added += theirsNew;
    // Both adding at the same place changed nothing that was there.
    if (!base.isEmpty() && !oursNew.isEmpty() && !theirsNew.isEmpty())
        result.bothChanged.append({oursNew, theirsNew});
}

} // namespace

LineMerge::Result LineMerge::ThreeWay(const QStringList &base, const QStringList &ours, const QStringList &theirs)
{
    const QList<qsizetype> inOurs = matchLines(base, ours);
    const QList<qsizetype> inTheirs = matchLines(base, theirs);
    Result result;
    qsizetype b = 0;
    qsizetype o = 0;
    qsizetype t = 0;
    for (qsizetype i = 0; i < base.size(); ++i) {
        if (inOurs[i] < 0 || inTheirs[i] < 0)
            continue;
        resolve(base.mid(b, i - b), ours.mid(o, inOurs[i] - o), theirs.mid(t, inTheirs[i] - t), result);
        result.lines.append(base[i]);
        b = i + 1;
        o = inOurs[i] + 1;
        t = inTheirs[i] + 1;
    }
    resolve(base.mid(b), ours.mid(o), theirs.mid(t), result);
    return result;
}

LineMerge::Result LineMerge::Union(const QStringList &ours, const QStringList &theirs)
{
    Result result;
    result.lines = ours;
    QSet<QString> held = setOf(ours);
    for (const QString &line : theirs) {
        if (held.contains(line))
            continue;
        held.insert(line);
        result.lines.append(line);
        result.added.append(line);
    }
    return result;
}
