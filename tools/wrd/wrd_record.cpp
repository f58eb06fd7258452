#include "tools/wrd/wrd_record.h"

#include "progress/journal_indexer.h"
#include "progress/progress_store.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

std::optional<ProgressMap> ReadRecordOfAnswers(QString recordPath, const QString &whenMissing, QTextStream &err)
{
    const QString program = u"lexomat-wrd: "_s;
    if (recordPath.isEmpty()) {
        QStringList messages;
        recordPath = JournalIndexer::RecordToRead(&messages);
        for (const QString &message : std::as_const(messages))
            err << program << message << u'\n';
    }
    if (!QFileInfo::exists(recordPath)) {
        err << program << u"no record at "_s << recordPath << u" yet; "_s << whenMissing << u'\n';
        return ProgressMap();
    }
    ProgressStore store;
    if (store.Open(recordPath, ProgressStore::Mode::Read) == ProgressStore::OpenResult::Opened) {
        ProgressMap record = store.Words();
        if (store.ErrorText().isEmpty())
            return record;
    }
    err << recordPath << u": "_s << store.ErrorText() << u'\n';
    return std::nullopt;
}
