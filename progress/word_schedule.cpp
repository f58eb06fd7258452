#include "progress/word_schedule.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

std::optional<Fsrs::Rating> RatingOf(AnswerKind kind)
{
    switch (kind) {
    case AnswerKind::Right:
        return Fsrs::Rating::Good;
    case AnswerKind::Hint:
        return Fsrs::Rating::Hard;
    case AnswerKind::Wrong:
    case AnswerKind::Unanswered:
        return Fsrs::Rating::Again;
    case AnswerKind::Shown:
        break;
    }
    return std::nullopt;
}

qint64 DayOf(qint64 time)
{
    return QDateTime::fromMSecsSinceEpoch(time).date().toJulianDay();
}

namespace {

constexpr qint64 DayMs = 24 * 3600 * 1000;
constexpr qint64 EpochJulianDay = 2440588; // 1 January 1970
constexpr int OffsetChanges = std::numeric_limits<int>::min();

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - (a % b < 0 ? 1 : 0);
}

int offsetAt(qint64 time)
{
    return QDateTime::fromMSecsSinceEpoch(time).offsetFromUtc();
}

} // namespace

qint64 LocalDays::operator()(qint64 time)
{
    const qint64 utcDay = floorDiv(time, DayMs);
    auto found = m_offsets.constFind(utcDay);
    if (found == m_offsets.cend()) {
        // The offsets at either end of the day: when they agree, no change
        // of the local time falls within it.
        const int first = offsetAt(utcDay * DayMs);
        found = m_offsets.insert(utcDay, first == offsetAt(utcDay * DayMs + DayMs - 1) ? first : OffsetChanges);
    }
    if (*found == OffsetChanges)
        return DayOf(time);
    return floorDiv(time + qint64(*found) * 1000, DayMs) + EpochJulianDay;
}

double WordSchedule::Retrievability(qint64 day) const
{
    return Reviewed() ? Fsrs::Retrievability(memory.stability, day - lastReview) : 0;
}

bool WordSchedule::DueOn(qint64 day) const
{
    return Reviewed() && (day >= due || Retrievability(day) < Fsrs::DesiredRetention);
}

qint64 WordSchedule::FallsDue() const
{
    if (!Reviewed())
        return 0;
    // The chance of recall falls to the desired retention after about
    // stability days; the first day below it is close by.
    qint64 elapsed = std::max<qint64>(static_cast<qint64>(std::floor(memory.stability)) - 1, 0);
    while (lastReview + elapsed < due && Retrievability(lastReview + elapsed) >= Fsrs::DesiredRetention)
        ++elapsed;
    return std::min(due, lastReview + elapsed);
}

bool WordSchedule::Sane() const
{
    if (reviews == 0)
        return memory == Fsrs::Memory{} && lastReview == 0 && due == 0;
    return reviews > 0 && std::isfinite(memory.stability) && memory.stability >= Fsrs::MinStability
        && memory.stability <= Fsrs::MaxStability && std::isfinite(memory.difficulty) && memory.difficulty >= 1
        && memory.difficulty <= 10 && due > lastReview && due - lastReview <= Fsrs::MaxInterval + 3;
}

WordSchedule WordSchedule::AfterReview(Fsrs::Rating rating, qint64 day) const
{
    if (Reviewed() && day <= lastReview)
        return *this;
    const Fsrs::Review review = Fsrs::Next(memory, Reviewed() ? day - lastReview : 0, rating);
    WordSchedule next;
    next.reviews = reviews + 1;
    next.memory = review.memory;
    next.lastReview = day;
    next.due = day + review.interval;
    return next;
}

WordSchedule WordSchedule::AfterAnswer(AnswerKind kind, qint64 day) const
{
    const std::optional<Fsrs::Rating> rating = RatingOf(kind);
    return rating ? AfterReview(*rating, day) : *this;
}

WordSchedule ReplaySchedule(QList<TimedAnswer> answers, LocalDays &days)
{
    std::stable_sort(answers.begin(), answers.end(),
                     [](const TimedAnswer &a, const TimedAnswer &b) { return a.time < b.time; });
    WordSchedule schedule;
    for (const TimedAnswer &answer : std::as_const(answers))
        schedule = schedule.AfterAnswer(answer.kind, days(answer.time));
    return schedule;
}

WordSchedule ReplaySchedule(QList<TimedAnswer> answers)
{
    LocalDays days;
    return ReplaySchedule(std::move(answers), days);
}
