#pragma once

#include <QString>

struct SaveFailure;
struct DictionaryMerge;
namespace ConflictCopies {
struct Copy;
struct Merged;
}

// What the learner is told when one of their files cannot be read or
// written: which file, why, and where the edits went.
namespace FileNotices {

// Why an operation on a file failed, from its error number, as a clause.
QString reason(int error);

QString unreadableDictionary(const QString &path, int error);
QString dictionaryNotEditable(const QString &path);
QString newDictionaryNotCreated(const QString &path, int error);
QString saveFailed(const SaveFailure &failure);
QString settingsDamaged(const QString &file, const QString &keptAs);
QString settingsNotWritten(const QString &file);

// A dictionary that changed on disk while it was open, merged when written.
QString dictionaryMerged(const DictionaryMerge &merge);
// The dictionaries tab's line about a conflict copy, and what "Объединить"
// came to.
QString conflictCopyFound(const ConflictCopies::Copy &copy, qsizetype others);
QString conflictCopyMerged(const ConflictCopies::Copy &copy, const ConflictCopies::Merged &merged);

} // namespace FileNotices
