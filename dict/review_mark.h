#pragma once

#include <QByteArray>
#include <QString>

// Which dictionary of a folder is the review dictionary that "Повторить
// сегодня" wrote last: a small file beside the dictionaries names it and
// holds a digest of the bytes written. A dictionary whose bytes no longer
// match was edited since, and so belongs to the learner like any other: it
// is neither passed by when a dictionary with room is looked for, nor
// written over by the next review. A folder without the mark (no review was
// ever made in it) is treated exactly as before.
namespace ReviewMark {

// The mark's file in folder; its name holds no ".wrd", so no scan lists it
// as a dictionary.
QString PathIn(const QString &folder);

// The file name of the folder's review dictionary, when the mark names one
// whose bytes are still those written; else empty.
QString Current(const QString &folder);

// Whether path is the review dictionary of folder.
bool Holds(const QString &folder, const QString &path);

// Marks fileName in folder as the review dictionary, written as content.
bool Write(const QString &folder, const QString &fileName, const QByteArray &content);

} // namespace ReviewMark
