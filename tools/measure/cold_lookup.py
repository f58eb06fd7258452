#!/usr/bin/env python3
"""The first lookup of a program on a cold disk cache.

Drops the pages of the dictionary's and WordNet's files from the page cache
(posix_fadvise, these files only, so that nothing else on the machine is
slowed), then times `lexomat-wrd lookup WORD`: a process that opens the
dictionary and looks one word up. The same on a warm cache, and
`lexomat-wrd --help` for the cost of the process alone. Medians of --runs.

    tools/measure/cold_lookup.py --wrd build/tools/wrd/lexomat-wrd
"""

import argparse
import glob
import os
import statistics
import subprocess
import time


def evict(paths):
    for path in paths:
        fd = os.open(path, os.O_RDONLY)
        try:
            os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        finally:
            os.close(fd)


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000.0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--wrd', default='build/tools/wrd/lexomat-wrd')
    parser.add_argument('--word', default='thoroughly')
    parser.add_argument('--runs', type=int, default=7)
    parser.add_argument('--dictd', default=os.environ.get('LEXOMAT_DICTD_DIR', '/usr/share/dictd'))
    parser.add_argument('--wordnet', default=os.environ.get('WNSEARCHDIR', '/usr/share/wordnet'))
    args = parser.parse_args()

    files = glob.glob(os.path.join(args.dictd, '*')) + glob.glob(os.path.join(args.wordnet, '*'))
    lookup = [args.wrd, 'lookup', args.word]
    cold, warm, bare = [], [], []
    for _ in range(args.runs):
        evict(files)
        cold.append(timed(lookup))
        warm.append(timed(lookup))
        bare.append(timed([args.wrd, '--help']))
    for name, times in (('cold lookup', cold), ('warm lookup', warm), ('process alone', bare)):
        print(f'{name}: median {statistics.median(times):.1f} ms (from {min(times):.1f} to {max(times):.1f})')
    print(f'first lookup beyond the process: cold {statistics.median(cold) - statistics.median(bare):.1f} ms, '
          f'warm {statistics.median(warm) - statistics.median(bare):.1f} ms')


if __name__ == '__main__':
    main()
