#include "tools/wrd/wrd_merge.h"

#include "dict/conflict_copies.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString failureText(const ConflictCopies::Copy &copy, const ConflictCopies::Merged &merged)
{
    using Failure = ConflictCopies::Merged::Failure;
    const QString original = QFileInfo(copy.originalPath).fileName();
    switch (merged.failure) {
    case Failure::None:
        break;
    case Failure::NotDictionary:
        return u"no dictionary; left alone"_s;
    case Failure::CopyUnreadable:
        return u"cannot be read; left alone"_s;
    case Failure::DictionaryUnreadable:
        return original + u" cannot be read; nothing was merged"_s;
    case Failure::DictionaryNotWritten:
        return original + u" cannot be written (error "_s + QString::number(merged.error) + u"); nothing was merged"_s;
    case Failure::NotMoved:
        return u"its words are in "_s + original + u", but the copy could not be moved into "_s
               + ConflictCopies::KeptFolder.toString();
    }
    return QString();
}

} // namespace

int ListConflictCopies(const QString &folder, QTextStream &out)
{
    const QList<ConflictCopies::Copy> copies = ConflictCopies::Find(folder);
    for (const ConflictCopies::Copy &copy : copies) {
        const QString original = QFileInfo(copy.originalPath).fileName();
        out << shown(copy.path) << u": "_s;
        if (copy.dictionary) {
            out << u"a copy of "_s << original << u" that "_s << ConflictCopies::EngineName(copy.engine)
                << u" made when it was changed on two computers; lexomat-wrd merge adds its words to "_s << original
                << u'\n';
        } else {
            out << u"named as a copy of "_s << original << u" by "_s << ConflictCopies::EngineName(copy.engine)
                << u" but no dictionary; left alone\n"_s;
        }
    }
    return static_cast<int>(copies.size());
}

int MergeConflictCopies(const QString &folder, QTextStream &out, QTextStream &err)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        err << shown(folder) << (info.exists() ? u": not a folder\n"_s : u": no such folder\n"_s);
        return 1;
    }
    const QList<ConflictCopies::Copy> copies = ConflictCopies::Find(folder);
    int failed = 0;
    int merged = 0;
    for (const ConflictCopies::Copy &copy : copies) {
        const QString original = QFileInfo(copy.originalPath).fileName();
        if (!copy.dictionary) {
            out << shown(copy.path) << u": no dictionary; left alone\n"_s;
            continue;
        }
        const ConflictCopies::Merged result = ConflictCopies::Merge(copy);
        if (!result.ok()) {
            ++failed;
            err << shown(copy.path) << u": "_s << failureText(copy, result) << u'\n';
            continue;
        }
        ++merged;
        out << shown(copy.path) << u": "_s << result.added << (result.added == 1 ? u" line"_s : u" lines"_s)
            << u" added to "_s << original << u"; the copy is now "_s << shown(result.keptAs) << u'\n';
    }
    if (copies.isEmpty())
        out << shown(folder) << u": no conflict copies\n"_s;
    else
        out << merged << (merged == 1 ? u" copy merged\n"_s : u" copies merged\n"_s);
    return failed == 0 ? 0 : 1;
}
