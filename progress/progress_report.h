#pragma once

#include "progress/folder_progress.h"
#include "progress/review_today.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class ProgressStore;

// Everything the progress window shows, gathered in one go from the record
// and the dictionary folder.
struct ProgressReport
{
    static constexpr int Days = 30;
    static constexpr int HardestLimit = 70;

    struct HardWord
    {
        WordKey key;
        WordProgress progress;
    };

    // store may be nullptr (no record): every word is then new.
    static ProgressReport Gather(ProgressStore *store, const QString &folder, const QString &currentPath,
                                 const QStringList &currentLines, QDate today);

    bool recorded = false; // whether a record was there to read
    QString currentName;
    WordsProgress current;
    int dictionaryCount = 0;
    WordsProgress folder;
    QList<int> days; // answers of each of the last Days days, today last
    QList<HardWord> hardest;
    // The review schedule of the folder's words today.
    ReviewPlan review;

    QList<WordKey> HardestKeys() const;
};
