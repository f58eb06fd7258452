#include "reading/document.h"

#include "reading/epub_reader.h"
#include "reading/markup_text.h"
#include "reading/plain_text.h"
#include "reading/subtitles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace Reading {

namespace {

using Kind = ReadProblem::Kind;

ReadResult failure(Kind kind, const QString &path)
{
    ReadResult result;
    result.problem = ReadProblem{kind, path};
    return result;
}

bool isZip(const QByteArray &head)
{
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
}

QString suffixOf(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// What a file is, by its first bytes where they tell and else by its name.
Format formatOf(const QString &suffix, QStringView head)
{
    const QStringView start = head.trimmed();
    if (suffix == u"srt"_s)
        return Format::Srt;
    if (suffix == u"vtt"_s || start.startsWith(u"WEBVTT"_s))
        return Format::WebVtt;
    if (suffix == u"fb2"_s || (start.startsWith(u"<?xml"_s) && head.contains(u"<FictionBook"_s)))
        return Format::FictionBook;
    if (suffix == u"html"_s || suffix == u"htm"_s || suffix == u"xhtml"_s
        || start.startsWith(u"<!DOCTYPE html"_s, Qt::CaseInsensitive) || start.startsWith(u"<html"_s, Qt::CaseInsensitive))
        return Format::Html;
    if (Subtitles::LooksLikeSrt(head))
        return Format::Srt;
    return Format::Text;
}

// Formats of books and documents that hold no plain text to read.
QString knownOtherFormat(const QByteArray &head)
{
    if (head.startsWith("%PDF"))
        return u"PDF"_s;
    if (head.size() >= 68 && head.mid(60, 8) == "BOOKMOBI")
        return u"MOBI"_s;
    if (head.startsWith("\xD0\xCF\x11\xE0"))
        return u"DOC"_s;
    if (head.startsWith("{\\rtf"))
        return u"RTF"_s;
    return {};
}

ReadResult readText(const QByteArray &data, const QString &path)
{
    if (data.isEmpty())
        return failure(Kind::Empty, path);
    if (const QString other = knownOtherFormat(data.left(128)); !other.isEmpty()) {
        ReadResult result = failure(Kind::UnknownFormat, path);
        result.problem->detail = other;
        return result;
    }
    Document document;
    if (formatOf(suffixOf(path), QString::fromLatin1(data.left(1024))) == Format::FictionBook) {
        MarkupText::XmlResult book = MarkupText::FictionBookText(data, path);
        if (book.problem) {
            ReadResult result;
            result.problem = book.problem;
            return result;
        }
        document.format = Format::FictionBook;
        document.text = std::move(book.text);
    } else {
        const std::optional<QString> text = PlainText::Decode(data);
        if (!text || !PlainText::LooksLikeText(*text))
            return failure(Kind::Binary, path);
        document.format = formatOf(suffixOf(path), QStringView(*text).left(1024));
        switch (document.format) {
        case Format::Srt:
            document.text = Subtitles::SrtText(*text);
            break;
        case Format::WebVtt:
            document.text = Subtitles::VttText(*text);
            break;
        case Format::Html:
            document.text = MarkupText::HtmlText(MarkupText::DecodeHtml(data));
            break;
        default:
            document.text = *text;
            break;
        }
    }
    if (document.text.trimmed().isEmpty())
        return failure(Kind::NoText, path);
    ReadResult result;
    result.document = std::move(document);
    return result;
}

ReadResult readEpub(QIODevice &device, const QString &path, const ProgressFunction &progress)
{
    ReadResult result = EpubReader::Read(device, path, progress);
    if (result.document && result.document->text.trimmed().isEmpty())
        return failure(Kind::NoText, path);
    return result;
}

} // namespace

ReadResult ReadBytes(const QByteArray &data, const QString &path, const ProgressFunction &progress)
{
    if (isZip(data.left(4))) {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        return readEpub(buffer, path, progress);
    }
    if (data.size() > MaxTextBytes)
        return failure(Kind::TextLimit, path);
    return readText(data, path);
}

ReadResult ReadFile(const QString &path, const ProgressFunction &progress)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failure(Kind::Missing, path);
    if (!info.isFile())
        return failure(Kind::NotAFile, path);
    if (info.size() > MaxFileSize) {
        ReadResult result = failure(Kind::TooLarge, path);
        result.problem->size = info.size();
        return result;
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        ReadResult result = failure(Kind::Unreadable, path);
        result.problem->error = errno != 0 ? errno : EACCES;
        return result;
    }
    const QByteArray head = file.peek(4);
    if (isZip(head))
        return readEpub(file, path, progress);
    // Unpacked text beyond the cap is refused as a ZIP's would be.
    if (info.size() > MaxTextBytes)
        return failure(Kind::TextLimit, path);
    errno = 0;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ReadResult result = failure(Kind::Unreadable, path);
        result.problem->error = errno != 0 ? errno : EIO;
        return result;
    }
    if (progress && !progress(1000))
        return failure(Kind::Cancelled, path);
    return readText(data, path);
}

bool IsReadingFile(const QString &path)
{
    const QString suffix = suffixOf(path);
    static const QStringList reading{u"srt"_s, u"vtt"_s, u"html"_s, u"htm"_s, u"xhtml"_s, u"fb2"_s, u"epub"_s};
    static const QStringList lists{u"csv"_s, u"tsv"_s, u"tab"_s, u"kvtml"_s, u"xml"_s, u"wrd"_s};
    if (reading.contains(suffix))
        return true;
    if (lists.contains(suffix) || suffix.contains(u"wrd"_s))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(64 * 1024);
    if (isZip(head))
        return true;
    const std::optional<QString> text = PlainText::Decode(head);
    if (!text)
        return false;
    int lines = 0;
    int prose = 0;
    for (const QStringView line : QStringView(*text).split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (++lines > 200)
            break;
        if (trimmed.contains(u'\t') || trimmed.contains(u';'))
            continue;
        if (trimmed.size() > 35 || trimmed.count(u' ') >= 4)
            ++prose;
    }
    return prose * 2 > lines;
}

Document FromClipboard(const QString &text)
{
    Document document;
    document.format = Format::Clipboard;
    document.text = text;
    return document;
}

} // namespace Reading
