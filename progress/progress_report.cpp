#include "progress/progress_report.h"

#include "progress/progress_store.h"

#include <QFileInfo>
#include <QSet>

ProgressReport ProgressReport::Gather(ProgressStore *store, const QString &folder, const QString &currentPath,
                                      const QStringList &currentLines, QDate today)
{
    ProgressReport report;
    report.recorded = store && store->IsOpen();
    const ProgressMap record = report.recorded ? store->Words() : ProgressMap();

    const QList<WordKey> currentWords = DictionaryWords(currentLines);
    report.currentName = QFileInfo(currentPath).fileName();
    report.current = Summarise(currentWords, record);

    const FolderWords folderWords = FolderWords::Read(folder, currentPath, currentLines);
    report.dictionaryCount = static_cast<int>(folderWords.dictionaries.size());
    QList<WordKey> all = folderWords.AllWords();
    // A current dictionary from outside the folder's numbering still counts.
    const QSet<WordKey> listed(all.cbegin(), all.cend());
    for (const WordKey &key : currentWords) {
        if (!listed.contains(key))
            all.append(key);
    }
    report.folder = Summarise(all, record);

    report.days = report.recorded ? store->AnswersPerDay(today, Days) : QList<int>(Days, 0);
    for (const WordKey &key : HardestWords(all, record, HardestLimit))
        report.hardest.append({key, record.value(key)});
    report.review = ReviewPlan::Make(all, record, today.toJulianDay());
    return report;
}

QList<WordKey> ProgressReport::HardestKeys() const
{
    QList<WordKey> keys;
    keys.reserve(hardest.size());
    for (const HardWord &word : hardest)
        keys.append(word.key);
    return keys;
}
