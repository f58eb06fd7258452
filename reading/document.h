#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

// A text to learn words from, as read from a file or the clipboard: its
// running text, with paragraphs (headings, blocks, blank lines) ended by a
// blank line and other line breaks (subtitle cues, wrapped lines) by a
// single one.
namespace Reading {

enum class Format {
    Text,
    Srt,
    WebVtt,
    Html,
    FictionBook,
    Epub,
    Clipboard,
};

// Larger files are refused before a byte of them is read.
inline constexpr qint64 MaxFileSize = 500LL * 1024 * 1024;
// The text a file may unpack to, all parts together (a book's text is a few
// megabytes; a ZIP bomb's is not).
inline constexpr qint64 MaxTextBytes = 200LL * 1024 * 1024;

// Why a file gives no text.
struct ReadProblem
{
    enum class Kind {
        Missing,         // no such file
        NotAFile,        // a folder or a device
        Unreadable,      // error: the error number
        TooLarge,        // size: the file's size
        Empty,           // nothing in it
        Binary,          // bytes that are no text
        UnknownFormat,   // detail: what it seems to be (PDF, DOCX …)
        BadXml,          // line, detail: the XML reader's words
        XmlEntities,     // declarations of XML entities, which are never expanded
        NotEpub,         // a ZIP without an EPUB's container or package
        BrokenZip,       // detail: what the ZIP library said
        ZipUnavailable,  // detail: why the ZIP library could not be loaded
        NoSpine,         // an EPUB whose reading order names no readable part
        TextLimit,       // it unpacks to more than MaxTextBytes
        NoText,          // read, but holds no text
        Cancelled,
    };

    ReadProblem() = default;
    ReadProblem(Kind kind, QString path)
        : kind(kind)
        , path(std::move(path))
    {
    }

    Kind kind = Kind::Unreadable;
    QString path;
    int error = 0;
    qint64 size = 0;
    int line = 0;
    QString detail;
};

struct Document
{
    QString text;
    Format format = Format::Text;
    // Parts of a book that could not be read and were passed over (EPUB:
    // the names of reading-order entries that are missing or repeated).
    QStringList missingParts;
    QStringList repeatedParts;
};

// Told how far the reading has got, from 0 to 1000; answers false to stop it.
using ProgressFunction = std::function<bool(int permille)>;

struct ReadResult
{
    std::optional<Document> document;
    std::optional<ReadProblem> problem;
};

// Reads a file by its content and, where the content does not tell, its
// extension: .srt, .vtt, .html/.htm/.xhtml, .fb2, .epub, anything else as
// plain text.
ReadResult ReadFile(const QString &path, const ProgressFunction &progress = {});

// Reads bytes already in memory; path names the file in problems and gives
// the extension.
ReadResult ReadBytes(const QByteArray &data, const QString &path, const ProgressFunction &progress = {});

// Whether a file is a text to read rather than a word list to import:
// subtitles, web pages and books always, word lists' own forms (CSV, KVTML,
// dictionaries) never, and other files when most of their first lines are
// prose: long, or of many words, and without the tabs and semicolons that
// separate a list's fields.
bool IsReadingFile(const QString &path);

// Text from the clipboard, taken as it is.
Document FromClipboard(const QString &text);

} // namespace Reading
