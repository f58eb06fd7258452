#include "dict/merge_report.h"

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

std::function<void(const DictionaryMerge &)> &handler()
{
    static std::function<void(const DictionaryMerge &)> instance;
    return instance;
}

} // namespace

void MergeReport::report(const DictionaryMerge &merge)
{
    if (handler()) {
        handler()(merge);
        return;
    }
    const QString text = u"lexomat: %1 changed on disk while it was open; merged: %2 lines added, %3 removed, %4 changed on both sides\n"_s
                             .arg(merge.path)
                             .arg(merge.merge.added.size())
                             .arg(merge.merge.removed.size())
                             .arg(merge.merge.bothChanged.size());
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

void MergeReport::setHandler(std::function<void(const DictionaryMerge &)> newHandler)
{
    handler() = std::move(newHandler);
}
