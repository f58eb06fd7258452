#include "import/delimited_text.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool isBreak(QChar ch)
{
    return ch == u'\r' || ch == u'\n';
}

// The end of the physical line that starts at pos.
qsizetype lineEnd(QStringView text, qsizetype pos)
{
    while (pos < text.size() && !isBreak(text[pos]))
        ++pos;
    return pos;
}

// Past the line break at pos (CR LF counts as one).
qsizetype pastBreak(QStringView text, qsizetype pos)
{
    if (pos < text.size() && text[pos] == u'\r')
        ++pos;
    if (pos < text.size() && text[pos] == u'\n')
        ++pos;
    return pos;
}

std::optional<QChar> separatorNamed(const QString &raw)
{
    const QString value = raw.trimmed().toLower();
    if (value.isEmpty())
        return raw.contains(u' ') ? std::optional<QChar>(u' ') : std::nullopt;
    static const std::array<std::pair<QStringView, QChar>, 6> names{{
        {u"tab", u'\t'}, {u"comma", u','}, {u"semicolon", u';'},
        {u"space", u' '}, {u"pipe", u'|'}, {u"colon", u':'},
    }};
    for (const auto &[name, ch] : names) {
        if (value == name)
            return ch;
    }
    if (value == u"\\t")
        return u'\t';
    if (value.size() == 1)
        return value.front();
    return std::nullopt;
}

// Header lines "#key:value" at the top of a flashcard export. Returns where
// the records begin.
qsizetype readHeader(QStringView text, DelimitedText::Layout &layout, int &line, std::optional<QChar> &separator)
{
    qsizetype pos = 0;
    while (pos < text.size() && text[pos] == u'#') {
        const qsizetype end = lineEnd(text, pos);
        const QStringView header = text.mid(pos + 1, end - pos - 1);
        const qsizetype colon = header.indexOf(u':');
        if (colon <= 0)
            break;
        const QString key = header.left(colon).trimmed().toString().toLower();
        const bool plainKey = !key.isEmpty() && std::all_of(key.cbegin(), key.cend(), [](QChar ch) {
            return (ch >= u'a' && ch <= u'z') || ch == u' ';
        });
        if (!plainKey)
            break;
        const QString value = header.mid(colon + 1).toString();
        if (key == u"separator"_s) {
            separator = separatorNamed(value);
        } else if (key == u"html"_s) {
            layout.html = value.trimmed().compare(u"true"_s, Qt::CaseInsensitive) == 0;
        } else if (key.endsWith(u" column"_s)) {
            bool ok = false;
            const int column = value.trimmed().toInt(&ok);
            if (ok && column >= 1 && !layout.skippedColumns.contains(column - 1))
                layout.skippedColumns.append(column - 1);
        }
        layout.header = true;
        pos = pastBreak(text, end);
        ++line;
    }
    return pos;
}

// The delimiter that splits most lines: a tab anywhere makes a tab list;
// otherwise whichever of ',' and ';' more lines hold, ';' on a tie, as a
// semicolon list holds one on every line with a meaning.
DelimitedText::Layout detectDelimiter(QStringView text, DelimitedText::Layout layout)
{
    bool tab = false;
    int semicolonLines = 0;
    int commaLines = 0;
    bool semicolon = false;
    bool comma = false;
    bool quoted = false;
    for (const QChar ch : text) {
        if (ch == u'"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (ch == u'\t') {
            tab = true;
        } else if (ch == u';') {
            semicolon = true;
        } else if (ch == u',') {
            comma = true;
        } else if (isBreak(ch)) {
            semicolonLines += semicolon;
            commaLines += comma;
            semicolon = comma = false;
        }
    }
    semicolonLines += semicolon;
    commaLines += comma;
    if (tab) {
        layout.delimiter = u'\t';
        layout.semicolonFallback = !layout.header;
    } else {
        layout.delimiter = commaLines > semicolonLines ? u',' : u';';
    }
    return layout;
}

enum class RecordEnd { Line, File, Unclosed };

// One record from pos on, by RFC 4180: a field that begins with a double
// quote (blanks before it allowed) runs to the closing quote, with "" for a
// quote and line breaks kept; text after the closing quote is kept too.
RecordEnd readRecord(QStringView text, qsizetype &pos, int &line, QChar delimiter, QStringList &fields)
{
    fields.clear();
    const qsizetype size = text.size();
    for (;;) {
        QString field;
        qsizetype start = pos;
        if (delimiter != u' ') {
            while (start < size && text[start] == u' ')
                ++start;
        }
        if (start < size && text[start] == u'"') {
            pos = start + 1;
            bool closed = false;
            while (pos < size) {
                const QChar ch = text[pos];
                if (ch == u'"') {
                    if (pos + 1 < size && text[pos + 1] == u'"') {
                        field += u'"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    closed = true;
                    break;
                }
                if (isBreak(ch)) {
                    field += u'\n';
                    pos = pastBreak(text, pos);
                    ++line;
                    continue;
                }
                field += ch;
                ++pos;
            }
            if (!closed) {
                fields.append(field);
                return RecordEnd::Unclosed;
            }
        }
        while (pos < size && text[pos] != delimiter && !isBreak(text[pos]))
            field += text[pos++];
        fields.append(field);
        if (pos >= size)
            return RecordEnd::File;
        if (text[pos] == delimiter) {
            ++pos;
            continue;
        }
        pos = pastBreak(text, pos);
        ++line;
        return RecordEnd::Line;
    }
}

QString cleanField(const QString &raw, bool html)
{
    QString text = html ? DelimitedText::PlainText(raw) : raw;
    text = DelimitedText::WithoutSoundReferences(text);
    text.replace(u'\t', u' ');
    return text;
}

bool isBlankRecord(const QStringList &fields)
{
    return std::all_of(fields.cbegin(), fields.cend(),
                       [](const QString &field) { return WordList::Trimmed(field).isEmpty(); });
}

std::optional<QString> entity(QStringView name)
{
    static const std::array<std::pair<QStringView, QStringView>, 18> named{{
        {u"amp", u"&"}, {u"lt", u"<"}, {u"gt", u">"}, {u"quot", u"\""}, {u"apos", u"'"},
        {u"nbsp", u" "}, {u"ensp", u" "}, {u"emsp", u" "}, {u"thinsp", u" "}, {u"shy", u""},
        {u"ndash", u"\u2013"}, {u"mdash", u"\u2014"}, {u"laquo", u"\u00AB"}, {u"raquo", u"\u00BB"},
        {u"hellip", u"\u2026"}, {u"bdquo", u"\u201E"}, {u"ldquo", u"\u201C"}, {u"rdquo", u"\u201D"},
    }};
    if (name.startsWith(u'#')) {
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        bool ok = false;
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        const char32_t unit = code;
        return QString::fromUcs4(&unit, 1);
    }
    for (const auto &[entityName, text] : named) {
        if (name == entityName)
            return text.toString();
    }
    return std::nullopt;
}

bool startsTag(QStringView text, qsizetype pos)
{
    if (pos + 1 >= text.size())
        return false;
    const QChar next = text[pos + 1];
    return next.isLetter() || next == u'/' || next == u'!';
}

} // namespace

namespace DelimitedText {

QString PlainText(QStringView html)
{
    static const std::array<QStringView, 6> breaking{u"br", u"div", u"p", u"li", u"tr", u"hr"};
    QString out;
    out.reserve(html.size());
    qsizetype i = 0;
    const qsizetype size = html.size();
    while (i < size) {
        const QChar ch = html[i];
        if (ch == u'<' && startsTag(html, i)) {
            const qsizetype end = html.indexOf(u'>', i);
            if (end < 0)
                break; // a tag cut off at the end
            qsizetype nameStart = i + 1;
            if (html[nameStart] == u'/')
                ++nameStart;
            qsizetype nameEnd = nameStart;
            while (nameEnd < end && html[nameEnd].isLetterOrNumber())
                ++nameEnd;
            const QString name = html.mid(nameStart, nameEnd - nameStart).toString().toLower();
            if (std::find(breaking.cbegin(), breaking.cend(), name) != breaking.cend())
                out += u'\n';
            i = end + 1;
            continue;
        }
        if (ch == u'&') {
            // Entities are short; a search to the end from every '&' would
            // make a long field slow.
            const qsizetype semicolon = html.mid(i, 12).indexOf(u';') + i;
            if (semicolon > i + 1) {
                if (const std::optional<QString> text = entity(html.mid(i + 1, semicolon - i - 1))) {
                    out += *text;
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        out += ch;
        ++i;
    }
    out.replace(QChar(0x00A0), u' ');
    return out;
}

QString WithoutSoundReferences(const QString &text)
{
    QString out = text;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = out.indexOf(u"[sound:"_s, from, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype end = out.indexOf(u']', start);
        if (end < 0)
            break;
        out.remove(start, end - start + 1);
        from = start;
    }
    return out;
}

Table Read(QStringView text, const QString &fileName)
{
    Table table;
    int line = 1;
    std::optional<QChar> separator;
    qsizetype pos = readHeader(text, table.layout, line, separator);
    const QStringView body = text.mid(pos);
    if (separator) {
        table.layout.delimiter = *separator;
        table.layout.semicolonFallback = false;
    } else {
        table.layout = detectDelimiter(body, table.layout);
    }
    const Layout &layout = table.layout;
    QList<int> skipped = layout.skippedColumns;
    std::sort(skipped.begin(), skipped.end(), std::greater<>());

    pos = 0;
    QStringList fields;
    while (pos < body.size()) {
        const int start = line;
        const qsizetype recordStart = pos;
        RecordEnd end = readRecord(body, pos, line, layout.delimiter, fields);
        if (layout.semicolonFallback && fields.size() == 1 && end != RecordEnd::Unclosed) {
            pos = recordStart;
            line = start;
            end = readRecord(body, pos, line, u';', fields);
        }
        if (end == RecordEnd::Unclosed) {
            table.problems.append({fileName, start, u"a quoted field that begins here is never closed"_s,
                                   WordListProblem::Kind::UnclosedQuote});
            break;
        }
        for (const int column : std::as_const(skipped)) {
            if (column < fields.size())
                fields.removeAt(column);
        }
        for (QString &field : fields)
            field = cleanField(field, layout.html);
        if (!isBlankRecord(fields))
            table.records.append({start, fields});
    }
    return table;
}

} // namespace DelimitedText
