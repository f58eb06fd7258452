#!/usr/bin/env python3
"""Writes the seed inputs of the readers' fuzz target into
corpus/reading_text: small texts, subtitles, web pages, FictionBook files and
EPUB books made here, and hostile forms of them. Each input's first byte
picks the file name the rest is read under: 0 text, 1 .srt, 2 .vtt, 3 .html,
4 .fb2, 5 .epub.

    tests/fuzz/make_reading_seeds.py
"""
import io
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "reading_text")

TEXT = ("It's a truth universally known that a well-read man, Mr. Smith, doesn't stop at 3 books.\n\n"
        "\"Don't!\" cried Anna. The dogs ran; the geese swam...\n")

SRT = ("1\r\n00:00:01,000 --> 00:00:02,500\r\n{\\an8}<i>Hello,</i> world.\r\n- How are you?\r\n\r\n"
       "2\r\n00:00:03,000 --> 00:00:04,000\r\n<font color=\"#fff\">Fine</font>, thanks.\r\n")

VTT = ("WEBVTT\n\nNOTE a note\n\nSTYLE\n::cue { color: red }\n\nid-1\n00:00.000 --> 00:01.000 align:start\n"
       "<v Anna>Tom &amp; Jerry</v> <c.loud>run</c>\n")

HTML = ("<!DOCTYPE html><html><head><title>T</title><style>p{}</style></head><body>"
        "<h1>Chapter&nbsp;One</h1><script>var s = \"</p>\";</script><p>It&rsquo;s <b>fine</b>&#8212;really."
        "<br>Next</p></body></html>")

FB2 = ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><description><title-info>"
       "<book-title>B</book-title></title-info></description><body><title><p>Part One</p></title>"
       "<section><p>The <emphasis>quick</emphasis> fox.</p></section></body>"
       "<binary id=\"c\">QUFB</binary></FictionBook>\n")

FB2_ENTITIES = ("<?xml version=\"1.0\"?>\n<!DOCTYPE FictionBook [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;\">]>"
                "<FictionBook><body><p>&b;</p></body></FictionBook>")

CONTAINER = ("<?xml version=\"1.0\"?><container version=\"1.0\" "
             "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
             "<rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
             "</rootfiles></container>")


def package(items, spine):
    manifest = "".join(f"<item id=\"{i}\" href=\"{h}\" media-type=\"application/xhtml+xml\"/>" for i, h in items)
    refs = "".join(f"<itemref idref=\"{i}\"/>" for i in spine)
    return (f"<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\">"
            f"<manifest>{manifest}</manifest><spine>{refs}</spine></package>")


def chapter(body):
    return (f"<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
            f"<head><title>C</title></head><body>{body}</body></html>")


def zipped(entries):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries:
            archive.writestr(zipfile.ZipInfo(name, (2020, 1, 1, 0, 0, 0)), data, zipfile.ZIP_DEFLATED)
    return buffer.getvalue()


def book(items, spine, parts):
    return zipped([("mimetype", "application/epub+zip"), ("META-INF/container.xml", CONTAINER),
                   ("OEBPS/content.opf", package(items, spine))] + parts)


CHAPTERS = [("OEBPS/ch2.xhtml", chapter("<p>Second chapter.</p>")),
            ("OEBPS/ch1.xhtml", chapter("<p>First chapter, it's well-known.</p>"))]

SEEDS = {
    "text": (0, TEXT.encode()),
    "text_cp1251": (0, "Don\x92t stop, Привет".encode("cp1251", errors="replace")),
    "text_utf16": (0, b"\xff\xfe" + "Hello world. It\u2019s here.".encode("utf-16-le")),
    "srt": (1, SRT.encode()),
    "vtt": (2, VTT.encode()),
    "html": (3, HTML.encode()),
    "fb2": (4, FB2.encode()),
    "fb2_entities": (4, FB2_ENTITIES.encode()),
    "epub": (5, book([("c1", "ch1.xhtml"), ("c2", "ch2.xhtml")], ["c1", "c2"], CHAPTERS)),
    "epub_looping": (5, book([("c1", "ch1.xhtml"), ("o", "content.opf"), ("x", "gone.xhtml")],
                             ["c1", "o", "c1", "x", "ghost"], CHAPTERS)),
    "zip_no_book": (5, zipped([("notes.txt", "Some words.")])),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, (kind, data) in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as out:
            out.write(bytes([kind]) + data)


if __name__ == "__main__":
    main()
