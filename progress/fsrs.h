#pragma once

#include <QtGlobal>

// FSRS-6, the model of memory behind the review schedule, with its published
// default weights, a desired retention of 0.9, whole days and no random
// spread of the intervals. It is a handful of formulas over a word's
// stability and difficulty; everything else about the schedule (which answer
// is a review, which day it falls on) lives in WordSchedule.
//
// The numbers follow the reference implementation to the last digit it keeps:
// it rounds every intermediate result to 8 decimals, and so does this one,
// so that the same reviews give the same due days.
namespace Fsrs {

// How well a word was recalled at a review.
enum class Rating {
    Again = 1, // forgotten
    Hard = 2,  // recalled with much effort
    Good = 3,  // recalled
    Easy = 4,  // recalled at once
};

inline constexpr double DesiredRetention = 0.9;
inline constexpr double MinStability = 0.001;
inline constexpr double MaxStability = 36500;
inline constexpr int MaxInterval = 36500;

// What a word's reviews have left in memory. Both are 0 before the first review.
struct Memory
{
    double stability = 0;  // days until the chance of recall falls to 0.9
    double difficulty = 0; // 1 (easy) to 10 (hard)

    friend bool operator==(const Memory &, const Memory &) = default;
};

// The outcome of one review: the new memory and the days until the next one.
struct Review
{
    Memory memory;
    int interval = 0;
};

// The chance of recalling a word elapsedDays after its last review (0 to 1);
// a negative elapsed time counts as none.
double Retrievability(double stability, qint64 elapsedDays);

// The review of a word rated rating, elapsedDays after its previous review;
// a memory of zeros is a word never reviewed, and then elapsedDays plays no part.
Review Next(const Memory &memory, qint64 elapsedDays, Rating rating);

} // namespace Fsrs
