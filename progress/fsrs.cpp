#include "progress/fsrs.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Fsrs {

namespace {

// The published default weights of FSRS-6; the last one is the decay of the
// forgetting curve.
constexpr std::array<double, 21> W{0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                   0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                   1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};

double w(int i)
{
    return W[static_cast<std::size_t>(i)];
}

// Rounds to 8 decimals, halves upwards, as the reference does.
double round8(double x)
{
    const double scaled = x * 1e8;
    double whole = std::floor(scaled);
    if (scaled - whole >= 0.5)
        whole += 1;
    return whole / 1e8;
}

// Nearest whole number, halves upwards.
qint64 roundWhole(double x)
{
    const double whole = std::floor(x);
    return static_cast<qint64>(x - whole >= 0.5 ? whole + 1 : whole);
}

double clamp(double value, double low, double high)
{
    return std::min(std::max(value, low), high);
}

const double Decay = -w(20);
const double Factor = round8(std::exp(std::log(0.9) / Decay) - 1);
const double IntervalModifier = round8((std::pow(DesiredRetention, 1 / Decay) - 1) / Factor);

double initialStability(Rating rating)
{
    return std::max(w(static_cast<int>(rating) - 1), 0.1);
}

double initialDifficulty(Rating rating)
{
    return round8(w(4) - std::exp((static_cast<int>(rating) - 1) * w(5)) + 1);
}

double nextDifficulty(double d, Rating rating)
{
    const double delta = -w(6) * (static_cast<int>(rating) - 3);
    // The further from the hardest, the larger the step.
    const double damped = d + round8(delta * (10 - d) / 9);
    // A little back towards the difficulty of a word recalled at once.
    const double reverted = round8(w(7) * initialDifficulty(Rating::Easy) + (1 - w(7)) * damped);
    return clamp(reverted, 1, 10);
}

double recallStability(double d, double s, double r, Rating rating)
{
    const double hardPenalty = rating == Rating::Hard ? w(15) : 1;
    const double easyBonus = rating == Rating::Easy ? w(16) : 1;
    const double growth = std::exp(w(8)) * (11 - d) * std::pow(s, -w(9)) * (std::exp((1 - r) * w(10)) - 1);
    return round8(clamp(s * (1 + growth * hardPenalty * easyBonus), MinStability, MaxStability));
}

double forgetStability(double d, double s, double r)
{
    const double after =
        round8(clamp(w(11) * std::pow(d, -w(12)) * (std::pow(s + 1, w(13)) - 1) * std::exp((1 - r) * w(14)),
                     MinStability, MaxStability));
    // A word forgotten is never held more stable than before.
    return clamp(round8(s), MinStability, after);
}

Memory nextMemory(const Memory &memory, qint64 elapsedDays, Rating rating)
{
    if (memory.stability == 0 && memory.difficulty == 0)
        return {initialStability(rating), clamp(initialDifficulty(rating), 1, 10)};
    const double s = memory.stability;
    const double d = memory.difficulty;
    const double r = Retrievability(s, elapsedDays);
    const double stability = rating == Rating::Again ? forgetStability(d, s, r) : recallStability(d, s, r, rating);
    return {stability, nextDifficulty(d, rating)};
}

int interval(double stability)
{
    return static_cast<int>(std::min<qint64>(std::max<qint64>(1, roundWhole(stability * IntervalModifier)), MaxInterval));
}

} // namespace

double Retrievability(double stability, qint64 elapsedDays)
{
    if (!(stability > 0))
        return 0;
    const double t = static_cast<double>(std::max<qint64>(elapsedDays, 0));
    return round8(std::pow(1 + Factor * t / stability, Decay));
}

Review Next(const Memory &memory, qint64 elapsedDays, Rating rating)
{
    // The intervals of the ratings keep their order: a better rating never
    // brings a word back sooner than a worse one.
    const Memory again = nextMemory(memory, elapsedDays, Rating::Again);
    const Memory hard = nextMemory(memory, elapsedDays, Rating::Hard);
    const int hardInterval0 = interval(hard.stability);
    const int againInterval = std::min(interval(again.stability), hardInterval0);
    const int hardInterval = std::max(hardInterval0, againInterval + 1);
    switch (rating) {
    case Rating::Again:
        return {again, againInterval};
    case Rating::Hard:
        return {hard, hardInterval};
    case Rating::Good:
    case Rating::Easy:
        break;
    }
    const Memory good = nextMemory(memory, elapsedDays, Rating::Good);
    const int goodInterval = std::max(interval(good.stability), hardInterval + 1);
    if (rating == Rating::Good)
        return {good, goodInterval};
    const Memory easy = nextMemory(memory, elapsedDays, Rating::Easy);
    return {easy, std::max(interval(easy.stability), goodInterval + 1)};
}

} // namespace Fsrs
