#include "reading/markup_text.h"

#include "reading/plain_text.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

// The named references that English text uses; the rest of HTML's list are
// symbols that words do not need.
const QHash<QString, char16_t> &namedReferences()
{
    static const QHash<QString, char16_t> names{
        {u"amp"_s, u'&'},        {u"lt"_s, u'<'},         {u"gt"_s, u'>'},         {u"quot"_s, u'"'},
        {u"apos"_s, u'\''},      {u"nbsp"_s, 0x00A0},     {u"shy"_s, 0x00AD},      {u"rsquo"_s, 0x2019},
        {u"lsquo"_s, 0x2018},    {u"rdquo"_s, 0x201D},    {u"ldquo"_s, 0x201C},    {u"sbquo"_s, 0x201A},
        {u"bdquo"_s, 0x201E},    {u"mdash"_s, 0x2014},    {u"ndash"_s, 0x2013},    {u"hellip"_s, 0x2026},
        {u"laquo"_s, 0x00AB},    {u"raquo"_s, 0x00BB},    {u"lsaquo"_s, 0x2039},   {u"rsaquo"_s, 0x203A},
        {u"copy"_s, 0x00A9},     {u"reg"_s, 0x00AE},      {u"trade"_s, 0x2122},    {u"deg"_s, 0x00B0},
        {u"middot"_s, 0x00B7},   {u"bull"_s, 0x2022},     {u"prime"_s, 0x2032},    {u"Prime"_s, 0x2033},
        {u"ensp"_s, 0x2002},     {u"emsp"_s, 0x2003},     {u"thinsp"_s, 0x2009},   {u"zwnj"_s, 0x200C},
        {u"zwj"_s, 0x200D},      {u"lrm"_s, 0x200E},      {u"rlm"_s, 0x200F},      {u"eacute"_s, 0x00E9},
        {u"egrave"_s, 0x00E8},   {u"ecirc"_s, 0x00EA},    {u"euml"_s, 0x00EB},     {u"aacute"_s, 0x00E1},
        {u"agrave"_s, 0x00E0},   {u"acirc"_s, 0x00E2},    {u"auml"_s, 0x00E4},     {u"iuml"_s, 0x00EF},
        {u"icirc"_s, 0x00EE},    {u"ocirc"_s, 0x00F4},    {u"ouml"_s, 0x00F6},     {u"uuml"_s, 0x00FC},
        {u"ucirc"_s, 0x00FB},    {u"ccedil"_s, 0x00E7},   {u"ntilde"_s, 0x00F1},   {u"aelig"_s, 0x00E6},
        {u"oelig"_s, 0x0153},    {u"szlig"_s, 0x00DF},    {u"Eacute"_s, 0x00C9},   {u"times"_s, 0x00D7},
    };
    return names;
}

// Elements whose content is no text of the page.
bool isSkipped(QStringView name)
{
    return name == u"script"_s || name == u"style"_s || name == u"head"_s || name == u"title"_s
           || name == u"noscript"_s || name == u"template"_s || name == u"svg"_s || name == u"math"_s;
}

// Elements that end a block of text.
bool isBlock(QStringView name)
{
    static const QStringList blocks{u"p"_s,       u"div"_s,   u"br"_s,      u"h1"_s,         u"h2"_s,
                                    u"h3"_s,      u"h4"_s,    u"h5"_s,      u"h6"_s,         u"li"_s,
                                    u"ul"_s,      u"ol"_s,    u"dt"_s,      u"dd"_s,         u"tr"_s,
                                    u"table"_s,   u"blockquote"_s,          u"pre"_s,        u"hr"_s,
                                    u"section"_s, u"article"_s,             u"header"_s,     u"footer"_s,
                                    u"aside"_s,   u"nav"_s,   u"figure"_s,  u"figcaption"_s, u"body"_s,
                                    u"td"_s,      u"th"_s,    u"caption"_s, u"address"_s,    u"main"_s};
    return blocks.contains(name);
}

// FictionBook's elements that end a block of text; the others (emphasis,
// links, styles) run on inside one.
bool isFictionBookBlock(QStringView name)
{
    static const QStringList blocks{u"p"_s,          u"v"_s,      u"title"_s,      u"subtitle"_s,
                                    u"epigraph"_s,   u"text-author"_s,             u"empty-line"_s,
                                    u"stanza"_s,     u"poem"_s,   u"cite"_s,       u"section"_s,
                                    u"tr"_s,         u"td"_s,     u"th"_s};
    return blocks.contains(name);
}

// Collects text: runs of white space become one blank, a block ends with a
// blank line, and a block without text leaves nothing.
class TextCollector
{
public:
    void add(QStringView text)
    {
        for (const QChar ch : text) {
            if (ch.isSpace()) {
                m_space = true;
                continue;
            }
            if (m_space && m_inBlock)
                m_text += u' ';
            m_space = false;
            m_inBlock = true;
            m_text += ch;
        }
    }
    void endBlock()
    {
        if (m_inBlock)
            m_text += u"\n\n"_s;
        m_inBlock = false;
        m_space = false;
    }
    QString text()
    {
        endBlock();
        return m_text;
    }

private:
    QString m_text;
    bool m_inBlock = false;
    bool m_space = false;
};

// The element name of a tag that starts at the given '<', in lower case.
QString tagName(QStringView html, qsizetype at, bool &closing)
{
    qsizetype i = at + 1;
    closing = i < html.size() && html[i] == u'/';
    if (closing)
        ++i;
    const qsizetype start = i;
    while (i < html.size() && (html[i].isLetterOrNumber() || html[i] == u':' || html[i] == u'-'))
        ++i;
    QString name = html.sliced(start, i - start).toString().toLower();
    // XHTML with a prefix: <h:p>.
    if (const qsizetype colon = name.lastIndexOf(u':'); colon >= 0)
        name = name.mid(colon + 1);
    return name;
}

// Where a tag ends: after its '>', quotes in attributes respected.
qsizetype tagEnd(QStringView html, qsizetype at)
{
    QChar quote;
    for (qsizetype i = at + 1; i < html.size(); ++i) {
        const QChar ch = html[i];
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
        } else if (ch == u'"' || ch == u'\'') {
            // Only a quote that opens an attribute value counts.
            if (i > 0 && html[i - 1] == u'=')
                quote = ch;
        } else if (ch == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

} // namespace

namespace MarkupText {

QString DecodeReference(QStringView name)
{
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X') ? name.sliced(2).toUInt(&ok, 16)
                                                                                  : name.sliced(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return {};
        const char32_t character = code;
        return QString::fromUcs4(&character, 1);
    }
    const auto found = namedReferences().constFind(name.toString());
    return found == namedReferences().cend() ? QString() : QString(QChar(*found));
}

QString HtmlText(QStringView html)
{
    TextCollector collector;
    QString skipping; // the element whose content is left out, while in one
    qsizetype i = 0;
    const qsizetype size = html.size();
    while (i < size) {
        const QChar ch = html[i];
        if (ch == u'<') {
            if (html.sliced(i).startsWith(u"<!--"_s)) {
                const qsizetype end = html.indexOf(u"-->"_s, i + 4);
                i = end < 0 ? size : end + 3;
                continue;
            }
            if (html.sliced(i).startsWith(u"<![CDATA["_s)) {
                const qsizetype end = html.indexOf(u"]]>"_s, i + 9);
                const qsizetype stop = end < 0 ? size : end;
                if (skipping.isEmpty())
                    collector.add(html.sliced(i + 9, stop - i - 9));
                i = end < 0 ? size : end + 3;
                continue;
            }
            const bool markup = i + 1 < size && (html[i + 1].isLetter() || html[i + 1] == u'/'
                                                 || html[i + 1] == u'!' || html[i + 1] == u'?');
            if (!markup) {
                if (skipping.isEmpty())
                    collector.add(html.sliced(i, 1));
                ++i;
                continue;
            }
            bool closing = false;
            const QString name = tagName(html, i, closing);
            const qsizetype end = tagEnd(html, i);
            const bool selfClosing = end >= 2 && html[end - 2] == u'/';
            if (!skipping.isEmpty()) {
                if (closing && name == skipping)
                    skipping.clear();
                i = end;
                continue;
            }
            if (!closing && !selfClosing && isSkipped(name)) {
                skipping = name;
                // A script's text may hold "<" of its own: go straight to its end.
                if (name == u"script"_s || name == u"style"_s) {
                    const qsizetype close = html.indexOf(QString(u"</"_s + name), end, Qt::CaseInsensitive);
                    i = close < 0 ? size : close;
                    continue;
                }
            } else if (isBlock(name)) {
                collector.endBlock();
            }
            i = end;
            continue;
        }
        if (!skipping.isEmpty()) {
            ++i;
            continue;
        }
        if (ch == u'&') {
            const qsizetype semicolon = html.indexOf(u';', i + 1);
            if (semicolon > i + 1 && semicolon - i <= 12) {
                const QString decoded = DecodeReference(html.sliced(i + 1, semicolon - i - 1));
                if (!decoded.isEmpty()) {
                    collector.add(decoded);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        // Plain text up to the next markup or reference.
        qsizetype next = i + 1;
        while (next < size && html[next] != u'<' && html[next] != u'&')
            ++next;
        collector.add(html.sliced(i, next - i));
        i = next;
    }
    return collector.text();
}

QString DecodeHtml(const QByteArray &html)
{
    const bool marked = html.startsWith("\xEF\xBB\xBF") || html.startsWith("\xFF\xFE") || html.startsWith("\xFE\xFF");
    const QString charset = marked ? QString() : DeclaredCharset(html);
    if (!charset.isEmpty() && charset != u"utf-8"_s && charset != u"utf8"_s) {
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(html);
    }
    return PlainText::Decode(html).value_or(QString());
}

QString DeclaredCharset(const QByteArray &html)
{
    static const QRegularExpression declared(
        uR"((?:<meta[^>]*charset\s*=\s*["']?\s*|<\?xml[^>]*encoding\s*=\s*["'])([A-Za-z0-9_.:-]+))"_s,
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(html.left(4096));
    const QRegularExpressionMatch match = declared.match(head);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

XmlResult FictionBookText(const QByteArray &xml, const QString &path)
{
    XmlResult result;
    QXmlStreamReader reader(xml);
    // Entity references are never expanded: a declaration refuses the file.
    reader.setEntityExpansionLimit(0);
    TextCollector collector;
    int bodyDepth = 0;  // inside <body>
    int skipDepth = 0;  // inside <binary> or another element left out
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            if (!reader.entityDeclarations().isEmpty()) {
                result.problem = Reading::ReadProblem{Reading::ReadProblem::Kind::XmlEntities, path};
                result.problem->line = static_cast<int>(reader.lineNumber());
                return result;
            }
            break;
        case QXmlStreamReader::StartElement: {
            const QStringView name = reader.name();
            if (skipDepth > 0 || name == u"binary"_s || name == u"description"_s) {
                ++skipDepth;
            } else if (name == u"body"_s) {
                ++bodyDepth;
            } else if (bodyDepth > 0 && isFictionBookBlock(name)) {
                collector.endBlock();
            }
            break;
        }
        case QXmlStreamReader::EndElement: {
            const QStringView name = reader.name();
            if (skipDepth > 0) {
                --skipDepth;
            } else if (name == u"body"_s) {
                --bodyDepth;
                collector.endBlock();
            } else if (bodyDepth > 0 && isFictionBookBlock(name)) {
                collector.endBlock();
            }
            break;
        }
        case QXmlStreamReader::Characters:
            if (bodyDepth > 0 && skipDepth == 0)
                collector.add(reader.text());
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        result.problem = Reading::ReadProblem{Reading::ReadProblem::Kind::BadXml, path};
        result.problem->line = static_cast<int>(reader.lineNumber());
        result.problem->detail = reader.errorString();
        return result;
    }
    result.text = collector.text();
    return result;
}

} // namespace MarkupText
