#include "lexicon/article.h"

#include <QStringList>

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array PartOfSpeechLabels{u"n", u"v", u"a", u"adv", u"pron", u"prep", u"cj", u"conj", u"int", u"interj",
                                        u"num", u"n-card", u"n-ord", u"art", u"p", u"p-p", u"pres-p", u"pl", u"predic"};

bool isPartOfSpeech(QStringView label)
{
    for (const auto known : PartOfSpeechLabels) {
        if (label == known)
            return true;
    }
    return false;
}

// The first part-of-speech label of a text ("_v. (ran - run)" -> "v").
QString partOfSpeechOf(QStringView text)
{
    qsizetype at = 0;
    while ((at = text.indexOf(u'_', at)) >= 0) {
        qsizetype end = at + 1;
        while (end < text.size() && !text[end].isSpace() && text[end] != u'.' && text[end] != u')' && text[end] != u';')
            ++end;
        const QStringView label = text.sliced(at + 1, end - at - 1);
        if (isPartOfSpeech(label) && (at == 0 || !text[at - 1].isLetterOrNumber()))
            return label.toString();
        at = end;
    }
    return {};
}

int romanValue(QStringView roman)
{
    static const std::array<QStringView, 10> numerals{u"I", u"II", u"III", u"IV", u"V", u"VI", u"VII", u"VIII", u"IX", u"X"};
    for (std::size_t i = 0; i < numerals.size(); ++i) {
        if (roman == numerals[i])
            return int(i) + 1;
    }
    return 0;
}

bool isWordEnd(QStringView text, qsizetype at)
{
    return at >= text.size() || text[at].isSpace();
}

// A homonym's numeral may touch its transcription: "_III[tɪl]".
bool isNumeralEnd(QStringView text, qsizetype at)
{
    return isWordEnd(text, at) || text[at] == u'[';
}

// Takes the markers at the start of a body line off it. Returns the kind
// of the last marker ('H' homonym, 'P' part, 'S' sense, 'L' lettered, or 0)
// with its number.
struct Marker
{
    char kind = 0;
    int number = 0;
};

Marker takeMarker(QStringView &line)
{
    if (line.startsWith(u'_')) {
        qsizetype end = 1;
        while (end < line.size() && (line[end] == u'I' || line[end] == u'V' || line[end] == u'X'))
            ++end;
        const int value = romanValue(line.sliced(1, end - 1));
        if (value > 0 && isNumeralEnd(line, end)) {
            line = line.sliced(end).trimmed();
            return {'H', value};
        }
        return {};
    }
    qsizetype digits = 0;
    while (digits < line.size() && digits < 3 && line[digits].isDigit() && line[digits].unicode() < 128)
        ++digits;
    if (digits > 0 && digits < line.size()) {
        const int value = line.first(digits).toInt();
        if (line[digits] == u'.' && isWordEnd(line, digits + 1)) {
            line = line.sliced(digits + 1).trimmed();
            return {'P', value};
        }
        if (line[digits] == u')') {
            line = line.sliced(digits + 1).trimmed();
            return {'S', value};
        }
        return {};
    }
    if (line.size() >= 2 && line[1] == u')' && line[0] >= u'а' && line[0] <= u'я') {
        line = line.sliced(2).trimmed();
        return {'L', line.isEmpty() ? 0 : 1};
    }
    return {};
}

} // namespace

Article::Article(const QString &text)
{
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    if (lines.isEmpty())
        return;
    m_headword = lines.takeFirst().trimmed();

    int homonym = 0;
    int part = 0;
    QString homonymPartOfSpeech;
    QString partOfSpeech;
    Sense current;
    bool open = false;
    const auto close = [&] {
        if (open && !current.text.trimmed().isEmpty()) {
            current.text = current.text.simplified();
            if (current.partOfSpeech.isEmpty())
                current.partOfSpeech = partOfSpeechOf(current.text);
            m_senses.append(current);
        }
        open = false;
    };
    const auto begin = [&](int number, bool lettered) {
        close();
        current = Sense{homonym, part, number, lettered, partOfSpeech, {}};
        open = true;
    };

    bool firstBodyLine = true;
    for (const QString &rawLine : std::as_const(lines)) {
        QStringView line = QStringView(rawLine).trimmed();
        if (line.isEmpty())
            continue;
        // Some articles repeat the headword in another case on their first
        // body line ("A" then "a").
        if (firstBodyLine) {
            firstBodyLine = false;
            if (line.startsWith(m_headword, Qt::CaseInsensitive) && isWordEnd(line, m_headword.size()))
                line = line.sliced(m_headword.size()).trimmed();
            if (line.isEmpty())
                continue;
        }
        bool markerSeen = false;
        for (;;) {
            const Marker marker = takeMarker(line);
            if (marker.kind == 0)
                break;
            markerSeen = true;
            switch (marker.kind) {
            case 'H':
                homonym = marker.number;
                part = 0;
                homonymPartOfSpeech = partOfSpeechOf(line);
                partOfSpeech = homonymPartOfSpeech;
                begin(0, false);
                break;
            case 'P':
                part = marker.number;
                partOfSpeech = partOfSpeechOf(line);
                if (partOfSpeech.isEmpty())
                    partOfSpeech = homonymPartOfSpeech;
                begin(0, false);
                break;
            case 'S':
                begin(marker.number, false);
                break;
            default:
                begin(0, true);
                break;
            }
        }
        if (!open && !markerSeen) {
            // The text before any marker: the article's own head.
            partOfSpeech = partOfSpeechOf(line);
            homonymPartOfSpeech = partOfSpeech;
            begin(0, false);
        }
        if (m_transcription.isEmpty()) {
            const qsizetype from = line.indexOf(u'[');
            const qsizetype to = from < 0 ? -1 : line.indexOf(u']', from);
            if (to > from)
                m_transcription = displayText(line.sliced(from, to - from + 1).toString());
        }
        current.text += line;
        current.text += u' ';
    }
    close();
}

QString Article::displayText(const QString &text)
{
    QString shown = text;
    int depth = 0;
    for (QChar &c : shown) {
        if (c == u'[')
            ++depth;
        else if (c == u']')
            depth = std::max(0, depth - 1);
        else if (depth > 0) {
            switch (c.unicode()) {
            case 0x2197: c = QChar(0x02C8); break;  // ↗ primary stress ˈ
            case 0x2198: c = QChar(0x02CC); break;  // ↘ secondary stress ˌ
            case 0x025C: c = QChar(0x0259); break;  // ɜ schwa ə
            case 0x025B: c = u'e'; break;            // ɛ
            case 0x0258: c = QChar(0x0254); break;  // ɘ open o ɔ
            default: break;
            }
        }
    }
    return shown;
}
