#pragma once

#include <QString>

struct SaveFailure;

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

} // namespace FileNotices
