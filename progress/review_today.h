#pragma once

#include "progress/folder_progress.h"

#include <QList>
#include <QString>

// What the review schedule asks of a set of words on a given day: which of
// them to practise, most at risk first, and how many come due on the days
// after. Days are Julian day numbers of local calendar days.

// A word the learner has reviewed, with its schedule and its chance of
// recall on the day asked about.
struct ScheduledWord
{
    WordKey key;
    WordSchedule schedule;
    double retrievability = 0;
};

// Every word of words (each once) that has been reviewed, the most urgent
// first: the lowest chance of recall on day, then the earliest due day, then
// in the order given.
QList<ScheduledWord> ScheduledWords(const QList<WordKey> &words, const ProgressMap &record, qint64 day);

struct ReviewPlan
{
    // A review dictionary holds fewer words than a full one, so that the
    // learner may still add a few.
    static constexpr int MaxWords = 66;
    static constexpr int ForecastDays = 14;

    static ReviewPlan Make(const QList<WordKey> &words, const ProgressMap &record, qint64 day);

    qint64 day = 0;
    int dueCount = 0;          // words due on day (also beyond MaxWords)
    QList<ScheduledWord> due;  // the most urgent of them, at most MaxWords
    // Words that come due on each of the ForecastDays days after day.
    QList<int> forecast;
    // The first day after day on which words come due and how many; 0 when
    // no reviewed word is waiting.
    qint64 nextDay = 0;
    int nextCount = 0;
    // The words the game needs to play a dictionary when fewer are due:
    // the most urgent of those not due yet.
    QList<ScheduledWord> topUp;
};

// Writes words as the folder's review dictionary and marks it so: the file
// the last review wrote when the learner has not changed it since, else a
// new one under the lowest free number. The file holds its old content or
// the new one at every moment. Returns its path; empty when it could not be
// written, with the reason in error.
QString WriteReviewDictionary(const QString &folder, const QList<WordKey> &words, QString *error = nullptr);

// The words a review draws from: those of every dictionary of folder but
// its review dictionary, each once. The dictionary at currentPath is taken
// from currentLines, as FolderWords::Read does.
QList<WordKey> ReviewSourceWords(const QString &folder, const QString &currentPath = {},
                                 const QStringList &currentLines = {});
