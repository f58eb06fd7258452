#pragma once

#include <QByteArray>
#include <QString>

// What the fuzz targets demand of the dictionary code, shared with the Qt
// test that replays the seed corpus and every input that once failed. Each
// check returns an empty string when the input is handled soundly, otherwise
// what went wrong.
namespace FuzzChecks {

// The bytes as a dictionary file: loading leaves the file as it was, the
// status fits the number of lines, no line holds a line break, and a save
// followed by a load gives the same lines (a second save the same bytes).
QString wordFileRoundTrip(const QByteArray &data, const QString &workFolder);

// The bytes as UTF-16LE text: every line of it split into fields as the word
// store does, compared with a plain model of the split; then all lines
// loaded into a store and drawn until none is left.
QString wordRecords(const QByteArray &data);

// The bytes as up to 16 file names, separated by '/': each name's number
// against a plain model; then the names created as files in an empty folder
// that the dictionary library opens, scans and walks.
QString folderNames(const QByteArray &data, const QString &workFolder);

// The first byte picks a file name (text, CSV, KVTML, tab list), the rest
// is read by the word importer: every word it yields is one the word editor
// could have stored and the game reads back as imported, and its table
// export reads back as the same lines.
QString wordImport(const QByteArray &data);

// The bytes up to the first zero byte as a dictd index, the rest as its
// dictzip text (and as plain text): every well-formed index line is found
// under its headword, every read gives exactly the asked bytes, the same as
// its two halves read apart, or nothing; the short meanings of what is read
// are ones a dictionary line can hold.
QString dictdReader(const QByteArray &data);

// The first byte picks a file name (text, subtitles, HTML, FictionBook,
// EPUB), the rest is read by the readers of texts: a document or a problem
// naming the file, never both; the document's words analysed, every running
// word counted once and the new words in order.
QString readingText(const QByteArray &data);

} // namespace FuzzChecks
