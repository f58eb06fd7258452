#include "reading/tokenizer.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

bool isApostrophe(QChar ch)
{
    return ch == u'\'' || ch == u'\u2019' || ch == u'\u02BC';
}

bool isHyphen(QChar ch)
{
    return ch == u'-' || ch == u'\u2010' || ch == u'\u2011';
}

bool isWordCharacter(QChar ch)
{
    return ch.isLetterOrNumber() || ch.isMark() || ch == u'\u00AD';
}

bool isTerminator(QChar ch)
{
    return ch == u'.' || ch == u'!' || ch == u'?' || ch == u'\u2026';
}

bool isCloser(QChar ch)
{
    return ch == u'"' || ch == u'\'' || ch == u'\u201D' || ch == u'\u2019' || ch == u'\u00BB' || ch == u')'
           || ch == u']' || ch == u'\u203A';
}

// Words after which a full stop marks the abbreviation, not the end.
bool isAbbreviation(QStringView word)
{
    static const QSet<QString> abbreviations{
        u"mr"_s,   u"mrs"_s,  u"ms"_s,   u"dr"_s,   u"st"_s,  u"jr"_s,   u"sr"_s,  u"prof"_s, u"mt"_s,
        u"vs"_s,   u"etc"_s,  u"col"_s,  u"gen"_s,  u"lt"_s,  u"capt"_s, u"sgt"_s, u"rev"_s,  u"hon"_s,
        u"gov"_s,  u"messrs"_s, u"mme"_s, u"mlle"_s, u"no"_s, u"vol"_s,  u"ch"_s,  u"fig"_s,  u"cf"_s,
        u"approx"_s, u"dept"_s, u"e.g"_s, u"i.e"_s};
    return abbreviations.contains(word.toString().toLower());
}

// The word that ends right before position end: letters and inner full stops.
QStringView wordBefore(QStringView text, qsizetype end, qsizetype floor)
{
    qsizetype start = end;
    while (start > floor && (text[start - 1].isLetter() || (text[start - 1] == u'.' && start - 1 > floor && text[start - 2].isLetter())))
        --start;
    return text.sliced(start, end - start);
}

} // namespace

namespace Tokenizer {

QList<Sentence> Sentences(QStringView text)
{
    QList<Sentence> sentences;
    const qsizetype size = text.size();
    qsizetype start = 0;
    const auto push = [&](qsizetype end) {
        while (start < end && text[start].isSpace())
            ++start;
        qsizetype last = end;
        while (last > start && text[last - 1].isSpace())
            --last;
        if (last > start)
            sentences.append({start, last - start});
        start = end;
    };
    for (qsizetype i = 0; i < size; ++i) {
        const QChar ch = text[i];
        if (ch == u'\n') {
            qsizetype j = i + 1;
            while (j < size && text[j] != u'\n' && text[j].isSpace())
                ++j;
            if (j < size && text[j] == u'\n') {
                push(i);
                i = j;
            }
            continue;
        }
        if (!isTerminator(ch))
            continue;
        qsizetype j = i + 1;
        while (j < size && (isTerminator(text[j]) || isCloser(text[j])))
            ++j;
        if (j < size && !text[j].isSpace())
            continue; // "3.5", "U.S.", "?!x"
        qsizetype next = j;
        while (next < size && text[next].isSpace())
            ++next;
        if (next < size && text[next].isLower())
            continue;
        if (ch == u'.' && (j == i + 1 || !isTerminator(text[i + 1]))) {
            const QStringView before = wordBefore(text, i, start);
            if ((before.size() == 1 && before[0].isUpper()) || isAbbreviation(before))
                continue;
        }
        push(j);
        i = j - 1;
    }
    push(size);
    return sentences;
}

bool ForEachToken(QStringView text, const QList<Sentence> &sentences, const std::function<bool(const Token &)> &visit)
{
    Token token;
    for (qsizetype s = 0; s < sentences.size(); ++s) {
        const Sentence &sentence = sentences[s];
        const qsizetype end = sentence.start + sentence.length;
        bool first = true;
        qsizetype i = sentence.start;
        while (i < end) {
            if (!text[i].isLetterOrNumber()) {
                ++i;
                continue;
            }
            qsizetype j = i;
            for (;;) {
                while (j < end && isWordCharacter(text[j]))
                    ++j;
                if (j + 1 < end && (isApostrophe(text[j]) || isHyphen(text[j])) && text[j + 1].isLetterOrNumber()) {
                    ++j;
                    continue;
                }
                // "2,000" and "3.5" are one number.
                if (j + 1 < end && (text[j] == u',' || text[j] == u'.') && text[j - 1].isDigit() && text[j + 1].isDigit()) {
                    ++j;
                    continue;
                }
                break;
            }

            token.word.clear();
            token.number = false;
            bool latin = true;
            int letters = 0;
            int upper = 0;
            bool firstUpper = false;
            for (qsizetype k = i; k < j; ++k) {
                const QChar ch = text[k];
                if (isApostrophe(ch)) {
                    token.word += u'\'';
                } else if (isHyphen(ch)) {
                    token.word += u'-';
                } else if (ch == u'\u00AD') {
                    continue;
                } else if (ch.isDigit()) {
                    token.number = true;
                    token.word += ch;
                } else if (ch.isLetter()) {
                    if (ch.script() != QChar::Script_Latin)
                        latin = false;
                    if (ch.isUpper()) {
                        ++upper;
                        if (letters == 0)
                            firstUpper = true;
                    }
                    ++letters;
                    token.word += ch.toLower();
                } else {
                    token.word += ch; // marks and other numbers
                }
            }
            if (latin || token.number) {
                token.start = i;
                token.length = j - i;
                token.sentence = static_cast<int>(s);
                token.sentenceStart = first;
                token.letterCase = upper >= 2 && upper == letters ? Case::AllCaps
                                   : firstUpper                   ? Case::Capital
                                                                  : Case::Lower;
                token.apostropheBefore = i > 0 && isApostrophe(text[i - 1]) && (i < 2 || !text[i - 2].isLetterOrNumber());
                token.apostropheAfter = j < text.size() && isApostrophe(text[j]);
                if (!visit(token))
                    return false;
            }
            first = false;
            i = j;
        }
    }
    return true;
}

QString ExampleText(QStringView text, const Sentence &sentence, qsizetype wordStart, qsizetype maxLength)
{
    qsizetype start = sentence.start;
    qsizetype end = sentence.start + sentence.length;
    bool cutStart = false;
    bool cutEnd = false;
    if (end - start > maxLength) {
        const qsizetype half = maxLength / 2;
        qsizetype from = std::max(start, wordStart - half);
        qsizetype to = std::min(end, from + maxLength);
        from = std::max(start, to - maxLength);
        // Whole words at both cuts.
        if (from > start) {
            while (from < wordStart && !text[from - 1].isSpace())
                ++from;
            cutStart = true;
        }
        if (to < end) {
            while (to > wordStart && !text[to].isSpace())
                --to;
            cutEnd = true;
        }
        start = from;
        end = to;
    }
    QString example = text.sliced(start, end - start).toString().simplified();
    if (cutStart)
        example.prepend(u"\u2026"_s);
    if (cutEnd)
        example.append(u"\u2026"_s);
    return example;
}

} // namespace Tokenizer
