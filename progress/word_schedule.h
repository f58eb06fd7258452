#pragma once

#include "game/answer_event.h"
#include "progress/fsrs.h"

#include <QHash>
#include <QList>
#include <QtGlobal>

#include <optional>

// The rating an outcome gives a word: right is Good, right after a hint Hard
// (the record keeps a hinted turn as a hint, whatever was clicked after it),
// wrong and unanswered (the time ran out or "Дальше") Again. Being shown in
// the learning mode is no review.
std::optional<Fsrs::Rating> RatingOf(AnswerKind kind);

// The local calendar day of a moment (milliseconds since the epoch), as a
// Julian day number.
qint64 DayOf(qint64 time);

// DayOf for many moments: the local time's offset is looked up once for each
// day of universal time met and kept, a few microseconds saved on every
// other moment of that day. A day in which the offset changes (summer time
// begins or ends) is worked out moment by moment. The offsets kept are those
// of the time zone when they were looked up.
class LocalDays
{
public:
    qint64 operator()(qint64 time);

private:
    QHash<qint64, int> m_offsets; // day of universal time -> seconds east of it
};

// One word's review schedule: what FSRS makes of its answers. Days are
// Julian day numbers of local calendar days. A word counts one review a day,
// its first answer with a rating that day; later answers that day leave the
// schedule as it is.
struct WordSchedule
{
    int reviews = 0;        // days on which the word was reviewed
    Fsrs::Memory memory;    // both 0 before the first review
    qint64 lastReview = 0;  // the day of the last review
    qint64 due = 0;         // the day FSRS brings the word back

    bool Reviewed() const { return reviews > 0; }
    // The chance of recalling the word on day; 0 for a word never reviewed,
    // 1 on a day before its last review (a clock put back).
    double Retrievability(qint64 day) const;
    // Whether the word should be practised on day: its chance of recall is
    // below the desired retention, or its due day has come.
    bool DueOn(qint64 day) const;
    // The first day on which DueOn holds; 0 for a word never reviewed.
    qint64 FallsDue() const;
    // Whether the numbers are a schedule this program could have made; a
    // record damaged or written by hand may hold others.
    bool Sane() const;

    // The schedule after a review rated rating on day. A day not after the
    // last review changes nothing.
    WordSchedule AfterReview(Fsrs::Rating rating, qint64 day) const;
    // The schedule after an answer on day.
    WordSchedule AfterAnswer(AnswerKind kind, qint64 day) const;

    friend bool operator==(const WordSchedule &, const WordSchedule &) = default;
};

// One recorded answer of a word.
struct TimedAnswer
{
    qint64 time = 0; // milliseconds since the epoch
    AnswerKind kind = AnswerKind::Right;
};

// A word's schedule from its answers: they are taken in time order (answers
// of the same moment in the order given) and applied one by one, so the
// result does not depend on the order in which the answers reached the
// record. The record keeps this result beside each word and calls this
// again for a word whenever an answer arrives out of time order (from
// another computer, or after the clock was put back); anything that holds
// the answers can rebuild every schedule with it.
WordSchedule ReplaySchedule(QList<TimedAnswer> answers);
WordSchedule ReplaySchedule(QList<TimedAnswer> answers, LocalDays &days);
