#pragma once

#include "dict/line_merge.h"

#include <QString>

#include <functional>

// A dictionary that changed on disk while it was open, and how the two
// versions were merged when it was written.
struct DictionaryMerge
{
    QString path;
    LineMerge::Result merge;
};

namespace MergeReport {

// Tells whoever listens; without a listener the merge goes to standard error.
void report(const DictionaryMerge &merge);
void setHandler(std::function<void(const DictionaryMerge &)> handler);

} // namespace MergeReport
