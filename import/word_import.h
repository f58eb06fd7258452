#pragma once

#include "import/text_decoding.h"
#include "import/word_list.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

// Reads the words of a file from another trainer or a spreadsheet: tab and
// semicolon lists, CSV, flashcard text exports, KVTML, and Lexomat's own
// dictionaries. Every line that cannot become a dictionary line is a
// problem; the caller writes nothing while there is one.
namespace WordImport {

enum class Format {
    Text,          // fields separated by delimiter
    FlashcardText, // the same with flashcard header lines
    Kvtml,
    Dictionary,    // a .wrd file
};

struct Result : WordList::Parsed
{
    Format format = Format::Text;
    TextDecoding::Encoding encoding = TextDecoding::Encoding::Utf8;
    QChar delimiter = u'\t';
    // The line of column headings that was passed over, else 0.
    int headingLine = 0;
    // Records with the Russian column first, turned round.
    int turnedRound = 0;
};

// Larger files are no word lists; they are not read at all.
inline constexpr qint64 MaxFileSize = 32 * 1024 * 1024;

// Whether a first row names the columns ("English;Russian", "Слово;Перевод")
// instead of holding a word; a word with its own translation ("word;слово")
// is a word.
bool IsHeadingRow(const QStringList &fields);

// The words of a file's bytes; fileName names it in problems and tells
// KVTML by its extension.
Result Read(const QByteArray &data, const QString &fileName);

// The same from a file; a file that is missing or cannot be read is a
// problem of line 0.
Result ReadFile(const QString &path);

} // namespace WordImport
