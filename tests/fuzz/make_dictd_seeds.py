#!/usr/bin/env python3
"""Writes the seed inputs of the dictd reader's fuzz target into
corpus/dictd_reader: small dictionaries of made-up articles in the layout
of an English-Russian dictd dictionary, and damaged forms of them. Each
input is the index, a zero byte, then the dictzip text.

    tests/fuzz/make_dictd_seeds.py
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "dictd_reader")
DIGITS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"

ARTICLES = [
    ("cat", "cat\n   [kæt] _n. кошка, кот; a cat's paw орудие\n"),
    ("dog", "dog\n   [dɘg]\n   1. _n.\n      1) собака, пёс\n      2) _разг. парень (малый)\n"
            "   2. _v. следовать по пятам; выслеживать\n"),
    ("dogs", "dogs\n   [dɘgz] _pl. от dog 1\n"),
    ("tea", "tea\n   _I  [ti:] _n. чай; {см. тж. tea-room}\n   _II [ti:] _v. пить чай\n"),
    ("this", "this\n   [ðɪs] _pron. этот, эта, это\n   а) указывает на лицо: this day сегодня;\n"),
    ("tee", "tee\n   = tea\n"),
]


def number(value):
    out = ""
    while True:
        out = DIGITS[value % 64] + out
        value //= 64
        if value == 0:
            return out


def dictzip(text, chunk_length, name=None):
    chunks = []
    for at in range(0, len(text), chunk_length):
        compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
        chunks.append(compressor.compress(text[at:at + chunk_length]) + compressor.flush(zlib.Z_FULL_FLUSH))
    field = struct.pack("<HHH", 1, chunk_length, len(chunks)) + b"".join(struct.pack("<H", len(c)) for c in chunks)
    extra = b"RA" + struct.pack("<H", len(field)) + field
    flags = 0x04 | (0x08 if name else 0)
    header = b"\x1f\x8b\x08" + bytes([flags]) + b"\0\0\0\0\x02\x03" + struct.pack("<H", len(extra)) + extra
    if name:
        header += name + b"\0"
    trailer = struct.pack("<II", zlib.crc32(text) & 0xFFFFFFFF, len(text) & 0xFFFFFFFF)
    return header + b"".join(chunks) + trailer


def dictionary(articles, chunk_length=64, name=None, sort=True):
    text = b""
    lines = []
    for headword, article in articles:
        data = article.encode("utf-8")
        lines.append(f"{headword}\t{number(len(text))}\t{number(len(data))}\n".encode("utf-8"))
        text += data
    if sort:
        lines.sort()
    return b"".join(lines), dictzip(text, chunk_length, name)


def write(name, index, data):
    with open(os.path.join(OUT, name), "wb") as out:
        out.write(index + b"\0" + data)


def main():
    os.makedirs(OUT, exist_ok=True)
    index, data = dictionary(ARTICLES)
    write("small.bin", index, data)
    write("one_chunk.bin", *dictionary(ARTICLES, chunk_length=4096))
    write("named_unsorted.bin", *dictionary(reversed(ARTICLES), name=b"small.dict", sort=False))
    write("truncated.bin", index, data[:len(data) // 2])
    write("past_the_end.bin", index + b"far\tBAAAA\tBA\nhuge\tA\t////////\nnotab\n", data)
    write("upper_case_crlf.bin", index.upper().replace(b"\n", b"\r\n"), data)
    broken = bytearray(data)
    for at in range(60, min(len(broken), 90)):
        broken[at] = 0xFF
    write("garbage_chunk.bin", index, bytes(broken))


if __name__ == "__main__":
    main()
