#include "tools/wrd/wrd_due.h"

#include "progress/review_today.h"
#include "tools/wrd/wrd_record.h"

#include <QDate>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString Program = u"lexomat-wrd"_s;
const QString Usage = u"due needs DIR [--record FILE] [--date YYYY-MM-DD] [--tsv]"_s;

int usageError(QTextStream &err, const QString &text)
{
    err << Program << u": "_s << text << u"\nTry 'lexomat-wrd --help'.\n"_s;
    return 2;
}

int failure(QTextStream &err, const QString &what, const QString &why)
{
    err << what << u": "_s << why << u'\n';
    return 1;
}

QString decimals(double value)
{
    return QString::number(value, 'f', 6);
}

} // namespace

int ListDueWords(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QString folder;
    QString recordPath;
    QDate date = QDate::currentDate();
    bool tsv = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--tsv"_s) {
            tsv = true;
        } else if (argument == u"--record"_s || argument == u"--date"_s) {
            if (++i == arguments.size())
                return usageError(err, argument + (argument == u"--record"_s ? u" needs a FILE"_s : u" needs a date"_s));
            if (argument == u"--record"_s) {
                recordPath = arguments[i];
                continue;
            }
            date = QDate::fromString(arguments[i], Qt::ISODate);
            if (!date.isValid() || arguments[i].size() != 10)
                return usageError(err, u"--date needs a date as YYYY-MM-DD, not '"_s + arguments[i] + u"'"_s);
        } else if (argument.startsWith(u"--"_s) || !folder.isEmpty()) {
            return usageError(err, Usage);
        } else {
            folder = argument;
        }
    }
    if (folder.isEmpty())
        return usageError(err, Usage);
    const QFileInfo info(folder);
    if (!info.isDir())
        return failure(err, folder, info.exists() ? u"not a folder"_s : u"no such folder"_s);

    const std::optional<ProgressMap> record = ReadRecordOfAnswers(recordPath, u"no word has been reviewed"_s, err);
    if (!record)
        return 1;

    const qint64 day = date.toJulianDay();
    const QStringList header{u"word"_s,       u"meanings"_s,       u"reviews"_s, u"stability"_s,
                             u"difficulty"_s, u"retrievability"_s, u"due"_s};
    QList<QStringList> table{header};
    for (const ScheduledWord &word : ScheduledWords(FolderWords::Read(folder).AllWords(), *record, day)) {
        const WordSchedule &s = word.schedule;
        table.append({word.key.english, word.key.MeaningsText(), QString::number(s.reviews),
                      decimals(s.memory.stability), decimals(s.memory.difficulty), decimals(word.retrievability),
                      QDate::fromJulianDay(s.due).toString(Qt::ISODate)});
    }
    if (tsv) {
        for (const QStringList &line : std::as_const(table))
            out << line.join(u'\t') << u'\n';
        return 0;
    }
    // Aligned columns: the words to the left, the numbers to the right.
    QList<qsizetype> widths(header.size(), 0);
    for (const QStringList &line : std::as_const(table)) {
        for (qsizetype c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], line[c].size());
    }
    for (const QStringList &line : std::as_const(table)) {
        QString text = line[0].leftJustified(widths[0]) + u"  "_s + line[1].leftJustified(widths[1]);
        for (qsizetype c = 2; c < line.size(); ++c)
            text += u"  "_s + line[c].rightJustified(widths[c]);
        out << text.trimmed() << u'\n';
    }
    return 0;
}
