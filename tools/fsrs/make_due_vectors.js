#!/usr/bin/env node
// Makes tests/tools/due_vectors.json, the test vectors of "lexomat-wrd due":
// a record of answers and, for every word in it, the review schedule that
// the reference FSRS implementation (the npm package ts-fsrs, at the version
// package-lock.json pins) makes of those answers.
//
//   cd tools/fsrs && npm ci && node make_due_vectors.js
//
// The scheduler is set up as in make_vectors.js. Lexomat's rules are applied
// here, before ts-fsrs sees anything: right is Good, right after a hint Hard,
// wrong and unanswered Again, shown (the learning mode) no review, and only
// the first rated answer of a calendar day is a review. Every answer falls
// between 06:00 and 20:00 UTC, so the test, which runs in UTC, finds the
// same calendar days. The answers of each word are listed in a shuffled
// order, as a record that got them out of time order would hold them.
//
// Words: 150 random ones (1 to 30 days of answers, 1 to 6 answers a day),
// and edge cases: a word only ever shown, a word with 3000 answers on one
// day, words whose answers lie after the date asked about (a clock put
// back), a word first shown and then answered on the same day.
'use strict';

const fs = require('fs');
const path = require('path');
const { fsrs, generatorParameters, createEmptyCard, Rating } = require('ts-fsrs');

const scheduler = fsrs(generatorParameters({
    enable_fuzz: false,
    enable_short_term: false,
    request_retention: 0.9,
    learning_steps: [],
    relearning_steps: [],
}));

const DayMs = 24 * 60 * 60 * 1000;
const Start = Date.UTC(2025, 2, 1); // 1 March 2025, 00:00 UTC
const Asked = 200; // the day asked about, counted from Start
const noon = (day) => new Date(Start + day * DayMs + 12 * 3600 * 1000);
const isoDay = (day) => new Date(Start + day * DayMs).toISOString().slice(0, 10);
const dayOf = (date) => Math.floor((date.getTime() - Start) / DayMs);

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
const random = generator(2503);
const pick = (list) => list[Math.floor(random() * list.length)];
const shuffle = (list) => {
    for (let i = list.length - 1; i > 0; --i) {
        const j = Math.floor(random() * (i + 1));
        [list[i], list[j]] = [list[j], list[i]];
    }
    return list;
};

const RatingOf = { right: Rating.Good, hint: Rating.Hard, wrong: Rating.Again, unanswered: Rating.Again };

// answers: [time in ms, kind], in any order.
function expected(answers) {
    const sorted = [...answers].sort((a, b) => a[0] - b[0]);
    let card = createEmptyCard(noon(0));
    let lastDay = null;
    let reviews = 0;
    for (const [time, kind] of sorted) {
        const day = Math.floor((time - Start) / DayMs);
        if (!(kind in RatingOf) || day === lastDay)
            continue;
        // ts-fsrs counts whole days between its review times: each review
        // is given at noon of its day.
        card = scheduler.next(card, noon(day), RatingOf[kind]).card;
        lastDay = day;
        ++reviews;
    }
    if (reviews === 0)
        return null;
    return {
        reviews,
        stability: card.stability,
        difficulty: card.difficulty,
        retrievability: scheduler.get_retrievability(card, noon(Asked), false),
        due: isoDay(dayOf(card.due)),
    };
}

// Answers on the given days, count a day, kinds drawn at random.
function answersOn(days, perDay, kinds) {
    const answers = [];
    for (const day of days) {
        for (let i = 0; i < perDay(); ++i) {
            const time = Start + day * DayMs + 6 * 3600 * 1000 + Math.floor(random() * 14 * 3600 * 1000);
            answers.push([time, kinds()]);
        }
    }
    return answers;
}

const kind = () => {
    const x = random();
    return x < 0.55 ? 'right' : x < 0.7 ? 'hint' : x < 0.85 ? 'wrong' : x < 0.93 ? 'unanswered' : 'shown';
};
const meanings = ['дом', 'кот', 'бежать', 'лес', 'море', 'свет', 'ночь', 'друг', 'вода', 'огонь'];

const words = [];
const add = (english, answers) => {
    words.push({ line: `${english},${pick(meanings)},`, answers: shuffle(answers), expected: expected(answers) });
};

for (let n = 0; n < 150; ++n) {
    const count = 1 + Math.floor(random() * 30);
    const days = new Set();
    let day = Math.floor(random() * 40);
    for (let i = 0; i < count && day < Asked; ++i) {
        days.add(day);
        day += 1 + Math.floor(random() * (random() < 0.7 ? 5 : 30));
    }
    add(`word${n + 1}`, answersOn([...days], () => 1 + Math.floor(random() * 6), kind));
}
add('onlyshown', answersOn([3, 9, 20], () => 2, () => 'shown'));
add('thousands', answersOn([150], () => 3000, kind));
add('future', answersOn([190, 199, 205, 230], () => 2, kind));
add('allfuture', answersOn([210, 240], () => 1, () => 'right'));
{
    const day = 120;
    const at = (h) => Start + day * DayMs + h * 3600 * 1000;
    add('shownfirst', [[at(8), 'shown'], [at(9), 'wrong'], [at(10), 'right'], [Start + (day - 30) * DayMs + 9 * 3600 * 1000, 'right']]);
}

const out = {
    about: 'Made by tools/fsrs/make_due_vectors.js with ts-fsrs; do not edit by hand.',
    ts_fsrs: JSON.parse(fs.readFileSync(path.join(__dirname, 'node_modules', 'ts-fsrs', 'package.json'))).version,
    date: isoDay(Asked),
    words,
};
const target = path.join(__dirname, '..', '..', 'tests', 'tools', 'due_vectors.json');
fs.writeFileSync(target, JSON.stringify(out, null, 0).replace(/\{"line"/g, '\n{"line"') + '\n');
console.log(`${words.length} words, ${words.reduce((n, w) => n + w.answers.length, 0)} answers -> ${target}`);
