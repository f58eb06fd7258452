#include "progress/review_today.h"

#include "dict/dict_library.h"
#include "dict/file_replace.h"
#include "dict/review_mark.h"
#include "dict/word_file.h"

#include <QSet>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

QList<ScheduledWord> ScheduledWords(const QList<WordKey> &words, const ProgressMap &record, qint64 day)
{
    QList<ScheduledWord> scheduled;
    for (const WordKey &key : words) {
        const auto found = record.constFind(key);
        if (found == record.cend() || !found->schedule.Reviewed())
            continue;
        scheduled.append({key, found->schedule, found->schedule.Retrievability(day)});
    }
    std::stable_sort(scheduled.begin(), scheduled.end(), [](const ScheduledWord &a, const ScheduledWord &b) {
        if (a.retrievability != b.retrievability)
            return a.retrievability < b.retrievability;
        return a.schedule.due < b.schedule.due;
    });
    return scheduled;
}

ReviewPlan ReviewPlan::Make(const QList<WordKey> &words, const ProgressMap &record, qint64 day)
{
    ReviewPlan plan;
    plan.day = day;
    plan.forecast = QList<int>(ForecastDays, 0);
    for (const ScheduledWord &word : ScheduledWords(words, record, day)) {
        if (word.schedule.DueOn(day)) {
            ++plan.dueCount;
            if (plan.due.size() < MaxWords)
                plan.due.append(word);
            continue;
        }
        if (plan.topUp.size() < WordFile::MinPlayable)
            plan.topUp.append(word);
        const qint64 falls = word.schedule.FallsDue();
        if (falls > day && falls <= day + ForecastDays)
            ++plan.forecast[falls - day - 1];
        if (plan.nextDay == 0 || falls < plan.nextDay) {
            plan.nextDay = falls;
            plan.nextCount = 1;
        } else if (falls == plan.nextDay) {
            ++plan.nextCount;
        }
    }
    // The game needs that many words: the most urgent of the others make
    // up the rest.
    plan.topUp = plan.topUp.mid(0, std::max<qsizetype>(0, WordFile::MinPlayable - plan.due.size()));
    return plan;
}

QList<WordKey> ReviewSourceWords(const QString &folder, const QString &currentPath, const QStringList &currentLines)
{
    const QString review = ReviewMark::Current(folder);
    QList<WordKey> words;
    QSet<WordKey> seen;
    for (const FolderWords::Dictionary &dictionary : FolderWords::Read(folder, currentPath, currentLines).dictionaries) {
        if (!review.isEmpty() && dictionary.name == review)
            continue;
        for (const WordKey &key : dictionary.words) {
            if (!seen.contains(key)) {
                seen.insert(key);
                words.append(key);
            }
        }
    }
    return words;
}

QString WriteReviewDictionary(const QString &folder, const QList<WordKey> &words, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QString();
    };
    const QString slashed = folder.endsWith(u'/') ? folder : folder + u'/';
    QString name = ReviewMark::Current(slashed);
    if (name.isEmpty()) {
        const std::optional<std::vector<qint64>> numbers = DictLibrary::ListNumbers(slashed);
        if (!numbers)
            return fail(u"the folder cannot be listed"_s);
        qint64 number = 0;
        while (std::binary_search(numbers->begin(), numbers->end(), number))
            ++number;
        name = DictLibrary::CanonicalName(number);
    }
    QStringList lines;
    for (qsizetype i = 0; i < words.size() && i < ReviewPlan::MaxWords; ++i)
        lines.append(words[i].ToLine());
    const QByteArray content = WordFile::StoredForm(lines);
    const QString path = slashed + name;
    // The mark goes first: a review cut short between the two writes leaves
    // a mark that matches neither file, so the old dictionary then counts
    // as the learner's and stays as it is.
    if (!ReviewMark::Write(slashed, name, content))
        return fail(u"the review mark cannot be written"_s);
    if (const WriteOutcome written = ReplaceFileContent(path, content); !written.ok())
        return fail(QString::fromLocal8Bit(std::strerror(written.error)));
    return path;
}
