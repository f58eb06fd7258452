#include "dict/random.h"

#include <QDateTime>

namespace {

std::function<qint64()> &clockSource()
{
    static std::function<qint64()> source;
    return source;
}

quint64 generatorState = 0;

} // namespace

qint64 Clock::nowSeconds()
{
    if (const auto &source = clockSource())
        return source();
    return QDateTime::currentSecsSinceEpoch();
}

void Clock::setSource(std::function<qint64()> source)
{
    clockSource() = std::move(source);
}

void Random::seed(quint64 seed)
{
    generatorState = seed;
}

quint64 Random::state()
{
    return generatorState;
}

int Random::next15()
{
    const quint32 low = static_cast<quint32>(generatorState) * 22695477u + 1u;
    generatorState = (generatorState & 0xFFFFFFFF00000000ull) | low;
    return static_cast<int>((low >> 16) & 0x7FFF);
}

quint32 Random::next31()
{
    constexpr quint64 multiplier = (0x15Aull << 32) + 0x4E35ull;
    generatorState = generatorState * multiplier + 1u;
    return static_cast<quint32>(generatorState >> 32) & 0x7FFFFFFFu;
}

qint64 RandomBelow(qint64 n)
{
    if (n <= 0)
        return 0;
    return static_cast<qint64>(Random::next31()) % n;
}
