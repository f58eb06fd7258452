#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// One word of a word list: the English word and up to three meanings, with
// the number of the line it came from (1-based).
struct WordEntry
{
    QString word;
    QStringList meanings;
    int line = 0;
};

// Something wrong at one line of a file; line 0 stands for the whole file.
struct WordListProblem
{
    enum class Kind {
        Other,            // text says it all
        Unreadable,       // the file is missing or cannot be read
        NotUtf8,          // the line is in no encoding the reader knows
        NotText,          // the file holds binary data
        TooLarge,         // the file is far too big for a word list
        EmptyWord,
        TooManyMeanings,  // count meanings
        TooLong,          // field, value, count characters
        Comma,            // field, value
        ControlCharacter, // field, value
        UnclosedQuote,    // a quoted field runs to the end of the file
        BadXml,           // text holds the XML reader's own words
        NoLanguages,      // a KVTML file without English or Russian
    };

    WordListProblem() = default;
    WordListProblem(QString file, int line, QString text, Kind kind = Kind::Other, int field = -1,
                    QString value = {}, qsizetype count = 0)
        : file(std::move(file))
        , line(line)
        , text(std::move(text))
        , kind(kind)
        , field(field)
        , value(std::move(value))
        , count(count)
    {
    }

    QString file;
    int line = 0;
    // In English, as the command line reports it.
    QString text;
    Kind kind = Kind::Other;
    // 0 the English word, 1 to 3 a meaning; -1 none.
    int field = -1;
    QString value;
    qsizetype count = 0;

    // "file:line: text", the form compilers use, so editors can jump there.
    QString Message() const;
};

// Dictionary lines as the word editor builds them: the trimmed word, then
// every meaning that is not empty, each field followed by a comma.
namespace WordList {

inline constexpr int MaxMeanings = 3;
// The word editor's fields take at most this many characters.
inline constexpr int MaxFieldLength = 35;

struct Parsed
{
    QList<WordEntry> entries;
    QList<WordListProblem> problems;
};

// Removes every character up to the blank from both ends, as the editor does.
QString Trimmed(QStringView text);

// The entry of one line from its word and meanings as read: fields are
// trimmed, empty meanings are left out, as the word editor leaves them out.
// A field that would not survive in the dictionary (too long, a comma, a
// control character) or more meanings than fit make it a problem instead.
std::optional<WordEntry> MakeEntry(const QString &word, const QStringList &meanings, int line,
                                   const QString &fileName, QList<WordListProblem> &problems);

// The dictionary line the word editor would store for this entry.
QString ToDictionaryLine(const WordEntry &entry);
QStringList ToDictionaryLines(const QList<WordEntry> &entries);

// The fields of a stored dictionary line as the game reads them.
WordEntry FromDictionaryLine(const QString &line);

// One line of an exported word list, without its line break.
QString ToText(const WordEntry &entry);

} // namespace WordList
