#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Merging two edits of the same dictionary, line by line.
namespace LineMerge {

struct Result
{
    QStringList lines;
    // Lines the other side added (or changed to) that are kept.
    QStringList added;
    // Lines of ours that the other side deleted and that we left as they were.
    QStringList removed;
    // Places where both sides changed the same lines: our version and theirs
    // are both kept, ours first.
    QList<QPair<QStringList, QStringList>> bothChanged;

    bool tookAnything() const { return !added.isEmpty() || !removed.isEmpty() || !bothChanged.isEmpty(); }
};

// A three-way merge: base is what both edits started from, ours the lines in
// memory, theirs the lines on disk now. A line added on either side is kept;
// a line deleted on one side and left alone on the other goes; where both
// sides changed the same lines, both versions are kept. Lines that stand
// unchanged on both sides keep their order, and each side's additions stay
// where that side put them.
Result ThreeWay(const QStringList &base, const QStringList &ours, const QStringList &theirs);

// Every line of ours, then the lines of theirs that ours does not hold, in
// their order and each once: nothing is lost and nothing doubled. What
// theirs adds is in Result::added.
Result Union(const QStringList &ours, const QStringList &theirs);

} // namespace LineMerge
