#pragma once

#include <QByteArray>
#include <QStringList>

// A dictionary as a CSV file that spreadsheets open as they are: UTF-8 with
// a byte order mark (without one, spreadsheet programs take the bytes for
// the system's code page), fields separated by semicolons (what they expect
// under a Russian locale, and what the importer reads back), a field quoted
// when it holds a delimiter, a quote, a line break or blanks at its ends,
// and CR LF after every row. One row a word: the English word, then its
// meanings as the game reads them. Lines without an English word are left
// out.
namespace CsvExport {

inline constexpr char16_t Delimiter = u';';

QByteArray Encode(const QStringList &dictionaryLines);

// How many rows Encode writes for these lines.
qsizetype RowCount(const QStringList &dictionaryLines);

} // namespace CsvExport
