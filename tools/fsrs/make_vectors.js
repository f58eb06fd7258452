#!/usr/bin/env node
// Makes tests/progress/fsrs_vectors.json, the test vectors of the review
// schedule (progress/fsrs.cpp), with the reference FSRS implementation: the
// npm package ts-fsrs, at the version package-lock.json pins.
//
//   cd tools/fsrs && npm ci && node make_vectors.js
//
// The scheduler is set up as Lexomat schedules: FSRS-6 with its 21 default
// weights, desired retention 0.9, no interval fuzz, no short-term or
// (re)learning steps. Every review of a sequence falls on a later day than the
// one before it (Lexomat counts one review per word and day), at noon UTC, so
// that ts-fsrs's day count and the program's calendar days agree.
//
// The sequences: a few edge cases (each rating alone, daily failures down to
// the smallest stability, successes up to the longest interval, very long
// gaps, a thousand reviews), then 240 random ones from a fixed seed: 1 to 40
// reviews, ratings weighted towards Good, gaps of one day, about the due
// interval, or long. For each review the file holds the day, the rating and
// what ts-fsrs makes of it: stability, difficulty, retrievability before the
// review and the due day; after the last review, the retrievability on a few
// later days.
'use strict';

const fs = require('fs');
const path = require('path');
const { fsrs, generatorParameters, createEmptyCard, Rating } = require('ts-fsrs');

const parameters = generatorParameters({
    enable_fuzz: false,
    enable_short_term: false,
    request_retention: 0.9,
    learning_steps: [],
    relearning_steps: [],
});
const scheduler = fsrs(parameters);

const DayMs = 24 * 60 * 60 * 1000;
const Start = Date.UTC(2024, 0, 1, 12, 0, 0);
const at = (day) => new Date(Start + day * DayMs);
const dayOf = (date) => Math.round((date.getTime() - Start) / DayMs);

// A small seeded generator (mulberry32): the same file every time.
function generator(seed) {
    let a = seed >>> 0;
    return () => {
        a = (a + 0x6d2b79f5) >>> 0;
        let t = a;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

// Runs ratings, each gap days after the review before it (the first gap is
// the day of the first review).
function run(name, steps) {
    let card = createEmptyCard(at(0));
    let day = 0;
    const reviews = [];
    for (const [gap, rating] of steps) {
        if (reviews.length > 0 && gap < 1)
            throw new Error(`${name}: two reviews on one day`);
        day += gap;
        const before = reviews.length === 0 ? 0 : scheduler.get_retrievability(card, at(day), false);
        card = scheduler.next(card, at(day), rating).card;
        reviews.push({
            day,
            rating,
            retrievability: before,
            stability: card.stability,
            difficulty: card.difficulty,
            due: dayOf(card.due),
        });
    }
    const interval = Math.round(card.stability);
    const checks = [0, 1, 2, 7, 30, 365, interval, interval + 1, 36500].map((after) => ({
        day: day + after,
        retrievability: scheduler.get_retrievability(card, at(day + after), false),
    }));
    return { name, reviews, checks };
}

const sequences = [];
const repeat = (n, step) => Array.from({ length: n }, (_, i) => step(i));

for (const rating of [Rating.Again, Rating.Hard, Rating.Good, Rating.Easy])
    sequences.push(run(`only ${Rating[rating]}`, [[0, rating]]));
sequences.push(run('daily failures', [[0, Rating.Again], ...repeat(60, () => [1, Rating.Again])]));
sequences.push(run('daily successes', [[0, Rating.Good], ...repeat(100, () => [1, Rating.Good])]));
sequences.push(run('daily hard', [[0, Rating.Hard], ...repeat(60, () => [1, Rating.Hard])]));
sequences.push(run('alternating', [[0, Rating.Good], ...repeat(80, (i) => [1 + (i % 3), i % 2 ? Rating.Good : Rating.Again])]));
// Each success on its due day until the interval reaches its ceiling.
{
    let card = createEmptyCard(at(0));
    let day = 0;
    const steps = [[0, Rating.Easy]];
    card = scheduler.next(card, at(0), Rating.Easy).card;
    for (let i = 0; i < 40; ++i) {
        const due = dayOf(card.due);
        steps.push([due - day, Rating.Easy]);
        card = scheduler.next(card, at(due), Rating.Easy).card;
        day = due;
    }
    sequences.push(run('easy on every due day', steps));
}
{
    let card = createEmptyCard(at(0));
    let day = 0;
    const steps = [[0, Rating.Good]];
    card = scheduler.next(card, at(0), Rating.Good).card;
    for (let i = 0; i < 30; ++i) {
        const due = dayOf(card.due);
        steps.push([due - day, Rating.Good]);
        card = scheduler.next(card, at(due), Rating.Good).card;
        day = due;
    }
    sequences.push(run('good on every due day', steps));
}
for (const rating of [Rating.Again, Rating.Hard, Rating.Good, Rating.Easy]) {
    sequences.push(run(`${Rating[rating]} after 20000 days`, [[0, Rating.Good], [20000, rating], [1, Rating.Good]]));
    sequences.push(run(`${Rating[rating]} after 40000 days`, [[0, Rating.Again], [40000, rating]]));
}
sequences.push(run('failure after a long success', [[0, Rating.Easy], [10, Rating.Easy], [40, Rating.Easy], [200, Rating.Again], [1, Rating.Hard]]));
{
    const random = generator(25);
    sequences.push(run('a thousand reviews', repeat(1000, (i) => [i === 0 ? 0 : 1 + Math.floor(random() * 10), 1 + Math.floor(random() * 4)])));
}

// Random sequences.
const random = generator(20240101);
const rating = () => {
    const x = random();
    return x < 0.2 ? Rating.Again : x < 0.35 ? Rating.Hard : x < 0.95 ? Rating.Good : Rating.Easy;
};
for (let n = 0; n < 240; ++n) {
    const length = 1 + Math.floor(random() * 40);
    let card = createEmptyCard(at(0));
    let day = 0;
    const steps = [];
    for (let i = 0; i < length; ++i) {
        let gap = 0;
        if (i > 0) {
            const kind = random();
            if (kind < 0.3)
                gap = 1 + Math.floor(random() * 3);
            else if (kind < 0.85)
                gap = Math.max(1, dayOf(card.due) - day + Math.floor(random() * 7) - 3);
            else
                gap = 1 + Math.floor(random() * 800);
        }
        const r = rating();
        steps.push([gap, r]);
        day += gap;
        card = scheduler.next(card, at(day), r).card;
    }
    sequences.push(run(`random ${n + 1}`, steps));
}

const out = {
    about: 'Made by tools/fsrs/make_vectors.js with ts-fsrs; do not edit by hand.',
    ts_fsrs: JSON.parse(fs.readFileSync(path.join(__dirname, 'node_modules', 'ts-fsrs', 'package.json'))).version,
    parameters: {
        w: parameters.w,
        request_retention: parameters.request_retention,
        maximum_interval: parameters.maximum_interval,
        enable_fuzz: parameters.enable_fuzz,
        enable_short_term: parameters.enable_short_term,
    },
    sequences,
};
const target = path.join(__dirname, '..', '..', 'tests', 'progress', 'fsrs_vectors.json');
fs.writeFileSync(target, JSON.stringify(out, null, 0).replace(/\{"name"/g, '\n{"name"') + '\n');
console.log(`${sequences.length} sequences, ${sequences.reduce((n, s) => n + s.reviews.length, 0)} reviews -> ${target}`);
