#pragma once

#include <QtGlobal>

#include <functional>

// The wall clock in whole seconds, as the word draw and the deal shuffle read
// it. Tests replace it to make draws reproducible.
namespace Clock {
qint64 nowSeconds();
// Replaces the clock; an empty function puts the real one back.
void setSource(std::function<qint64()> source);
} // namespace Clock

// The program's one pseudo-random generator, shared by the word draw and the
// game. A 64-bit state with two steps: a 15-bit one that advances only the
// low half, and a 31-bit one over the whole state.
namespace Random {
void seed(quint64 seed);
quint64 state();
int next15();
quint32 next31();
} // namespace Random

// A pseudo-random integer in [0, n) from the 31-bit step; 0 for n <= 0,
// without advancing the generator.
qint64 RandomBelow(qint64 n);
