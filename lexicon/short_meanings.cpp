#include "lexicon/short_meanings.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

bool isLatin(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isCyrillic(QChar c)
{
    return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF;
}

// The text without what stands in (), [] and {}, nested or not. An opening
// bracket without its closing one takes the rest of the text with it.
QString withoutBrackets(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    int depth = 0;
    for (const QChar c : text) {
        if (c == u'(' || c == u'[' || c == u'{') {
            ++depth;
        } else if (c == u')' || c == u']' || c == u'}') {
            if (depth > 0)
                --depth;
            // The space a remark leaves before a comma goes with it.
        } else if (depth == 0) {
            kept.append(c);
        }
    }
    return kept;
}

// Labels are words that start with an underscore: "_разг.", "_p-p.". A
// few lose it in the dictionary's text ("_pron. pers"): they go too.
QString withoutLabels(const QString &text)
{
    static const QStringList bareLabels{u"pers"_s, u"prop"_s, u"predic"_s, u"poss"_s, u"part"_s};
    QString kept;
    kept.reserve(text.size());
    bool inLabel = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'_' && (i == 0 || text[i - 1].isSpace())) {
            inLabel = true;
        } else if (c.isSpace() || c == u',' || c == u';') {
            inLabel = false;
        } else if (!inLabel && (i == 0 || text[i - 1].isSpace())) {
            for (const QString &label : bareLabels) {
                const qsizetype end = i + label.size();
                if (QStringView(text).sliced(i).startsWith(label)
                    && (end == text.size() || text[end].isSpace() || text[end] == u',' || text[end] == u'.')) {
                    inLabel = true;
                    break;
                }
            }
        }
        if (!inLabel)
            kept.append(c);
    }
    return kept;
}

bool hasLatin(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isLatin);
}

// Words that make an item a grammatical remark ("указывает на связь",
// "вспомогательный глагол"), not a meaning.
bool isRemark(const QString &item)
{
    static const QStringList words{u"указыва"_s, u"обозначает"_s, u"означает"_s, u"употр"_s, u"глагол"_s,
                                   u"союз"_s, u"передаётся"_s, u"значении"_s, u"служит"_s, u"выражает"_s,
                                   u"артикль"_s, u"частица"_s, u"приставк"_s, u"суффикс"_s};
    return std::any_of(words.begin(), words.end(), [&](const QString &word) { return item.contains(word); });
}

// One comma-separated item made a meaning, or nothing.
QString cleanItem(QString item)
{
    item = item.simplified();
    // "как сущ. что-то": the use goes, the meaning stays.
    static const QRegularExpression use(uR"(^как (?:сущ|прил|нареч|мест|числ)\.?\s*)"_s);
    item.remove(use);
    static const QStringList trailers{u" и т.п."_s, u" и т. п."_s, u" и т.д."_s, u" и т. д."_s, u" и пр."_s, u" и др."_s};
    for (const QString &trailer : trailers) {
        // "= myself и т.д.": the trailer alone is no meaning either.
        if (item.endsWith(trailer) || item == QStringView(trailer).sliced(1))
            item.chop(std::min(item.size(), trailer.size()));
    }
    // Punctuation at the ends, except the dot of "что-л." and the like.
    static const QString edgePunctuation = u" .!?:-–—\"«»'"_s;
    while (!item.isEmpty() && edgePunctuation.contains(item.back())) {
        if (item.back() == u'.' && item.endsWith(u"-л."))
            break;
        item.chop(1);
    }
    while (!item.isEmpty() && edgePunctuation.contains(item.front()))
        item.remove(0, 1);
    item = item.simplified();
    if (item.isEmpty() || item.size() > ShortMeanings::MaxLength)
        return {};
    if (!std::any_of(item.begin(), item.end(), isCyrillic))
        return {};
    for (const QChar c : std::as_const(item)) {
        if (isLatin(c) || c.isDigit() || c == u'=' || c == u'/' || c == u'&' || c == QChar::ReplacementCharacter)
            return {};
    }
    if (item.contains(u"см.") || item.contains(u"тж."))
        return {};
    // A letter standing alone is a slip of the typesetting ("[..] г" for a
    // label), unless it is one of the language's one-letter words.
    if (item.size() == 1 && !u"авжиксоуяб"_s.contains(item.front().toLower()))
        return {};
    return item;
}

} // namespace

namespace ShortMeanings {

QStringList fromSense(const QString &senseText)
{
    QStringList meanings;
    // A word before a transcription tells how it is said: "_поэт. часто
    // [waɪnd]" is no meaning.
    static const QRegularExpression pronunciation(uR"([^,;()\[\]]*[\x{0400}-\x{04FF}][^,;()\[\]]*\[[^\]]*\])"_s);
    QString text = senseText;
    text.remove(pronunciation);
    text = withoutBrackets(text);
    for (const QString &rawSegment : text.split(u';')) {
        QString segment = withoutLabels(rawSegment);
        // A short form names its full one before the meaning: "_сокр. от
        // bicycle велосипед" means "велосипед".
        static const QRegularExpression fullForm(uR"(^\s*(?:от|=)\s+[A-Za-z][A-Za-z'.\- ]*\s+(?=[\x{0400}-\x{04FF}]))"_s);
        segment.remove(fullForm);
        // The first English example ends the meanings; so does an
        // explanation leading to one ("употр. как глагол-связка: ...").
        if (hasLatin(segment) || segment.contains(u':'))
            break;
        const QStringList items = segment.split(u',');
        // "модальный, недостаточный глагол" is one remark, not two meanings;
        // "противительный союз а, но" a remark and a meaning.
        if (isRemark(items.last()))
            continue;
        for (const QString &rawItem : items) {
            const QString item = cleanItem(rawItem);
            if (!item.isEmpty() && !isRemark(item) && !meanings.contains(item, Qt::CaseInsensitive))
                meanings.append(item);
        }
    }
    return meanings;
}

std::optional<Reference> referenceOf(const QString &senseText)
{
    // Labels and Russian connectives before the pointer; the headword is
    // English words, perhaps followed by the numeral of a homonym and the
    // number of a part or sense; of two headwords or senses named ("от
    // gymnasium и gymnastics", "= electrify 1 и 2") the first is followed.
    static const QRegularExpression pointer(
        uR"(^[\s,.]*(?:(?:_\S+|и)\s+)*(?:от|=|см\.)\s*([A-Za-z][A-Za-z'.\-]*(?: [A-Za-z][A-Za-z'.\-]*)*?)\.?(?: (I|II|III|IV|V))?(?:\s*(\d+))?(?:\s+(?:и|или)\s+[A-Za-z0-9][A-Za-z0-9'.\-]*)?\s*[.,]?\s*$)"_s);
    static const QStringList numerals{u"I"_s, u"II"_s, u"III"_s, u"IV"_s, u"V"_s};
    for (const QString &segment : withoutBrackets(senseText).split(u';')) {
        const QRegularExpressionMatch match = pointer.match(segment.simplified());
        if (!match.hasMatch())
            continue;
        Reference reference;
        reference.headword = match.captured(1).trimmed();
        reference.homonym = int(numerals.indexOf(match.captured(2))) + 1;
        reference.number = match.captured(3).toInt();
        return reference;
    }
    return std::nullopt;
}

QStringList fromPhrases(const QString &senseText, const QString &headword)
{
    QStringList meanings;
    // Only a phrase that opens the sense: later ones are examples.
    for (const QString &segment : withoutLabels(withoutBrackets(senseText)).split(u';').mid(0, 1)) {
        // The phrase is the Latin part, its translation what follows the
        // last Latin letter.
        qsizetype lastLatin = segment.size() - 1;
        while (lastLatin >= 0 && !isLatin(segment[lastLatin]))
            --lastLatin;
        if (lastLatin < 0 || !segment.first(lastLatin + 1).contains(headword, Qt::CaseInsensitive))
            continue;
        for (const QString &rawItem : segment.sliced(lastLatin + 1).split(u',')) {
            const QString item = cleanItem(rawItem);
            if (!item.isEmpty() && !meanings.contains(item, Qt::CaseInsensitive))
                meanings.append(item);
        }
    }
    return meanings;
}

} // namespace ShortMeanings
