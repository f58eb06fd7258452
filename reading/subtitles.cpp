#include "reading/subtitles.h"

#include "reading/markup_text.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace {

QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch != u'\n' && ch != u'\r')
            continue;
        lines.append(text.sliced(start, i - start));
        if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    return lines;
}

bool isTiming(QStringView line)
{
    return line.contains(u"-->"_s);
}

bool isCueNumber(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;
    for (const QChar ch : trimmed) {
        if (!ch.isDigit())
            return false;
    }
    return true;
}

bool isBlank(QStringView line)
{
    return line.trimmed().isEmpty();
}

// A cue line without its markup: tags such as <i>, </font>, <v Anna>,
// <00:01.500> and overrides such as {\an8} go, character references are
// decoded, and a dialogue dash at the start goes.
QString spokenText(QStringView line)
{
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (ch == u'<' && i + 1 < line.size()
            && (line[i + 1].isLetter() || line[i + 1].isDigit() || line[i + 1] == u'/')) {
            const qsizetype end = line.indexOf(u'>', i + 1);
            if (end > 0) {
                i = end;
                continue;
            }
        }
        if (ch == u'{' && i + 1 < line.size() && line[i + 1] == u'\\') {
            const qsizetype end = line.indexOf(u'}', i + 1);
            if (end > 0) {
                i = end;
                continue;
            }
        }
        if (ch == u'&') {
            const qsizetype end = line.indexOf(u';', i + 1);
            if (end > i + 1 && end - i <= 12) {
                const QString decoded = MarkupText::DecodeReference(line.sliced(i + 1, end - i - 1));
                if (!decoded.isEmpty()) {
                    out += decoded;
                    i = end;
                    continue;
                }
            }
        }
        out += ch;
    }
    QStringView spoken = QStringView(out).trimmed();
    while (spoken.startsWith(u'-') || spoken.startsWith(u'\u2013') || spoken.startsWith(u'\u2014'))
        spoken = spoken.sliced(1).trimmed();
    return spoken.toString();
}

// Collects the lines of one cue and writes it as one line.
class CueWriter
{
public:
    void add(QStringView line)
    {
        const QString spoken = spokenText(line);
        if (spoken.isEmpty())
            return;
        if (!m_cue.isEmpty())
            m_cue += u' ';
        m_cue += spoken;
    }
    void end()
    {
        if (m_cue.isEmpty())
            return;
        m_text += m_cue;
        m_text += u'\n';
        m_cue.clear();
    }
    QString text()
    {
        end();
        return m_text;
    }

private:
    QString m_text;
    QString m_cue;
};

} // namespace

namespace Subtitles {

bool LooksLikeSrt(QStringView text)
{
    const QList<QStringView> lines = splitLines(text.left(1024));
    qsizetype i = 0;
    while (i < lines.size() && isBlank(lines[i]))
        ++i;
    return i + 1 < lines.size() && isCueNumber(lines[i]) && isTiming(lines[i + 1]);
}

QString SrtText(QStringView text)
{
    const QList<QStringView> lines = splitLines(text);
    CueWriter cues;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (isBlank(line) || isTiming(line)) {
            cues.end();
            continue;
        }
        // A cue number stands before a timing line; a line of digits
        // elsewhere is spoken text.
        if (isCueNumber(line) && i + 1 < lines.size() && isTiming(lines[i + 1])) {
            cues.end();
            continue;
        }
        cues.add(line);
    }
    return cues.text();
}

QString VttText(QStringView text)
{
    const QList<QStringView> lines = splitLines(text);
    CueWriter cues;
    // Blocks are separated by blank lines; the first is the header.
    qsizetype i = 0;
    while (i < lines.size() && !isBlank(lines[i]))
        ++i;
    while (i < lines.size()) {
        while (i < lines.size() && isBlank(lines[i]))
            ++i;
        const qsizetype start = i;
        while (i < lines.size() && !isBlank(lines[i]))
            ++i;
        if (start == i)
            break;
        const QStringView first = lines[start].trimmed();
        if (first.startsWith(u"NOTE"_s) || first.startsWith(u"STYLE"_s) || first.startsWith(u"REGION"_s))
            continue;
        // A cue: an optional identifier, the timing line, then its text.
        qsizetype timing = start;
        while (timing < i && !isTiming(lines[timing]))
            ++timing;
        for (qsizetype j = timing + 1; j < i; ++j)
            cues.add(lines[j]);
        cues.end();
    }
    return cues.text();
}

} // namespace Subtitles
