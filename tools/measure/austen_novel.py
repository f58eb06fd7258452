#!/usr/bin/env python3
"""Writes a real public-domain novel, Jane Austen's "Pride and Prejudice"
(1813, about 122,000 words), as plain text and as an EPUB book, for the
benchmarks and measurements of words from texts (docs/performance.md).

    tools/measure/austen_novel.py OUTPUT_FOLDER

The text comes from Debian's package r-cran-janeaustenr (Austen's novels for
GNU R), fetched with apt-get download and read without R: its data file is
R's lazy-load database, a table of zlib-compressed objects in R's XDR
serialization; each novel is a character vector, one line of the book per
element. The EPUB has one XHTML part per chapter, in the spine's order.
"""
import glob
import gzip
import html
import io
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

PACKAGE = "r-cran-janeaustenr"
NOVEL = "prideprejudice"


class Unserialize:
    """Just enough of R's XDR serialization for the package's data."""

    def __init__(self, data):
        self.data = data
        self.at = 0
        self.symbols = []  # referred to again by number

    def integer(self):
        value = struct.unpack(">i", self.data[self.at:self.at + 4])[0]
        self.at += 4
        return value

    def load(self):
        if self.data[:2] != b"X\n":
            raise ValueError("not R's XDR serialization")
        self.at = 2
        version = self.integer()
        self.integer()
        self.integer()
        if version == 3:
            length = self.integer()  # of the native encoding's name, which follows
            self.at += length
        return self.item()

    def item(self):
        flags = self.integer()
        kind = flags & 0xFF
        has_attributes = flags & (1 << 9)
        has_tag = flags & (1 << 10)
        if kind in (254, 242, 253):  # NULL, empty environment, base environment
            return None
        if kind == 255:  # a symbol met before
            return self.symbols[(flags >> 8) - 1]
        if kind == 1:  # symbol
            symbol = ("symbol", self.item())
            self.symbols.append(symbol)
            return symbol
        if kind == 9:  # one string
            length = self.integer()
            if length < 0:
                return None
            text = self.data[self.at:self.at + length].decode("utf-8", "replace")
            self.at += length
            return text
        if kind in (10, 13, 14, 16, 19):  # logical, integer, real, strings, list
            length = self.integer()
            if kind in (16, 19):
                values = [self.item() for _ in range(length)]
            elif kind == 14:
                values = list(struct.unpack(f">{length}d", self.data[self.at:self.at + 8 * length]))
                self.at += 8 * length
            else:
                values = list(struct.unpack(f">{length}i", self.data[self.at:self.at + 4 * length]))
                self.at += 4 * length
            attributes = self.item() if has_attributes else None
            return ("vector", values, attributes)
        if kind == 2:  # pairlist
            attributes = self.item() if has_attributes else None
            tag = self.item() if has_tag else None
            return ("pairlist", tag, self.item(), self.item(), attributes)
        raise ValueError(f"R type {kind} is not read here")


def names_of(vector):
    attributes = vector[2]
    while attributes:
        if attributes[1] in ("names", ("symbol", "names")):
            return attributes[2][1]
        attributes = attributes[3]
    return []


def novel_lines(data_folder):
    index = Unserialize(gzip.decompress(open(os.path.join(data_folder, "Rdata.rdx"), "rb").read())).load()
    variables = index[1][0]
    database = open(os.path.join(data_folder, "Rdata.rdb"), "rb").read()
    for name, place in zip(names_of(variables), variables[1]):
        if name != NOVEL:
            continue
        offset, length = place[1]
        packed = database[offset:offset + length]
        return Unserialize(zlib.decompress(packed[4:])).load()[1]
    raise ValueError(f"{NOVEL} is not in the package")


def write_epub(path, text):
    chapters = re.split(r"\n(?=Chapter \d+\n)", text)
    parts = []
    for number, chapter in enumerate(chapters, 1):
        paragraphs = [p.strip() for p in chapter.split("\n\n") if p.strip()]
        body = "".join(f"<p>{html.escape(' '.join(p.split()))}</p>\n" for p in paragraphs)
        parts.append((f"chapter{number}.xhtml",
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>Pride and Prejudice</title>"
                      f"</head>\n<body>\n{body}</body></html>\n"))
    manifest = "".join(f"<item id=\"c{i}\" href=\"text/{name}\" media-type=\"application/xhtml+xml\"/>\n"
                       for i, (name, _) in enumerate(parts, 1))
    spine = "".join(f"<itemref idref=\"c{i}\"/>\n" for i in range(1, len(parts) + 1))
    package = ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"id\">\n"
               "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:identifier id=\"id\">austen-pp"
               "</dc:identifier><dc:title>Pride and Prejudice</dc:title><dc:creator>Jane Austen</dc:creator>"
               "<dc:language>en</dc:language></metadata>\n"
               f"<manifest>\n{manifest}</manifest>\n<spine>\n{spine}</spine>\n</package>\n")
    container = ("<?xml version=\"1.0\"?>\n<container version=\"1.0\" "
                 "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
                 "<rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
                 "</rootfiles></container>\n")
    with zipfile.ZipFile(path, "w") as book:
        book.writestr("mimetype", "application/epub+zip", zipfile.ZIP_STORED)
        book.writestr("META-INF/container.xml", container, zipfile.ZIP_DEFLATED)
        book.writestr("OEBPS/content.opf", package, zipfile.ZIP_DEFLATED)
        for name, content in parts:
            book.writestr(f"OEBPS/text/{name}", content, zipfile.ZIP_DEFLATED)
    return len(parts)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["apt-get", "download", PACKAGE], cwd=work, check=True, stdout=subprocess.DEVNULL)
        package = glob.glob(os.path.join(work, f"{PACKAGE}_*.deb"))[0]
        subprocess.run(["dpkg-deb", "-x", package, os.path.join(work, "x")], check=True)
        data = glob.glob(os.path.join(work, "x", "usr", "lib", "R", "site-library", "janeaustenr", "data"))[0]
        lines = novel_lines(data)
    text = "\n".join(line or "" for line in lines) + "\n"
    with open(os.path.join(out, "pride-and-prejudice.txt"), "w", encoding="utf-8") as plain:
        plain.write(text)
    chapters = write_epub(os.path.join(out, "pride-and-prejudice.epub"), text)
    print(f"{len(text.split())} words, {chapters} parts, in {out}")


if __name__ == "__main__":
    main()
