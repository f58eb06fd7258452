#include "tools/wrd/word_list.h"

#include "dict/word_store.h"

#include <QStringDecoder>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The word editor trims every character up to the blank, nothing else.
QString trimmedField(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin).toString();
}

bool isBlank(QStringView text)
{
    return trimmedField(text).isEmpty();
}

// Control characters would break the dictionary file: a zero ends its text,
// line breaks (U+2028 included) split a line in two.
bool holdsControlCharacter(QStringView text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 32 || ch.unicode() == 0x2028)
            return true;
    }
    return false;
}

QString fieldName(int index, const QString &text)
{
    const QString quoted = u"\u00AB"_s + text + u"\u00BB"_s;
    if (index == 0)
        return u"the word "_s + quoted;
    return u"meaning "_s + QString::number(index) + u' ' + quoted;
}

void checkField(int index, const QString &text, const QString &fileName, int line, QList<WordListProblem> &problems)
{
    const auto problem = [&](const QString &what) { problems.append({fileName, line, what}); };
    if (text.size() > WordList::MaxFieldLength) {
        problem(fieldName(index, text) + u" has "_s + QString::number(text.size()) + u" characters; at most "_s
                + QString::number(WordList::MaxFieldLength) + u" fit"_s);
    }
    if (text.contains(u','))
        problem(fieldName(index, text) + u" holds a comma, which would split it in two in the dictionary"_s);
    if (holdsControlCharacter(text))
        problem(fieldName(index, text) + u" holds a control character"_s);
}

std::optional<WordEntry> parseLine(const QString &text, int line, const QString &fileName,
                                   QList<WordListProblem> &problems)
{
    const QChar separator = text.contains(u'\t') ? u'\t' : u';';
    const QStringList raw = text.split(separator);
    WordEntry entry;
    entry.line = line;
    entry.word = trimmedField(raw.first());
    for (qsizetype i = 1; i < raw.size(); ++i) {
        // As in the word editor, an empty meaning leaves no gap.
        const QString meaning = trimmedField(raw[i]);
        if (!meaning.isEmpty())
            entry.meanings.append(meaning);
    }

    const qsizetype before = problems.size();
    if (entry.word.isEmpty())
        problems.append({fileName, line, u"the English word is empty"_s});
    if (entry.meanings.size() > WordList::MaxMeanings) {
        problems.append({fileName, line,
                         QString::number(entry.meanings.size()) + u" meanings; at most "_s
                             + QString::number(WordList::MaxMeanings) + u" fit"_s});
    }
    checkField(0, entry.word, fileName, line, problems);
    for (qsizetype i = 0; i < entry.meanings.size(); ++i)
        checkField(static_cast<int>(i + 1), entry.meanings[i], fileName, line, problems);
    if (problems.size() != before)
        return std::nullopt;
    return entry;
}

} // namespace

QString WordListProblem::Message() const
{
    if (line <= 0)
        return QString(file + u": "_s + text);
    return QString(file + u':' + QString::number(line) + u": "_s + text);
}

namespace WordList {

Parsed Parse(const QByteArray &data, const QString &fileName)
{
    Parsed result;
    QByteArray body = data;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);

    const QList<QByteArray> rawLines = body.split('\n');
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        const int line = static_cast<int>(i + 1);
        // A fresh stateless decoder per line, so that a sequence cut off at
        // the end of a line counts as an error of that line.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(rawLines[i]);
        if (decoder.hasError()) {
            result.problems.append({fileName, line, u"the text is not valid UTF-8"_s});
            continue;
        }
        if (isBlank(text))
            continue;
        if (auto entry = parseLine(text, line, fileName, result.problems))
            result.entries.append(*entry);
    }
    return result;
}

QString ToDictionaryLine(const WordEntry &entry)
{
    QString line = trimmedField(entry.word);
    for (const QString &meaning : entry.meanings) {
        if (meaning.isEmpty())
            continue;
        line += u',' + trimmedField(meaning);
    }
    line += u',';
    line.remove(u'\r');
    line.remove(u'\n');
    return line;
}

WordEntry FromDictionaryLine(const QString &line)
{
    BWORDW record;
    record.ParseLine(u',', line);
    WordEntry entry;
    if (record.filled == 0)
        return entry;
    entry.word = record.FieldText(0);
    for (int i = 1; i < static_cast<int>(record.filled); ++i)
        entry.meanings.append(record.FieldText(i));
    return entry;
}

QString ToText(const WordEntry &entry)
{
    QStringList fields{entry.word};
    fields += entry.meanings;
    for (QString &field : fields)
        field.replace(u'\t', u' ');
    return fields.join(u'\t');
}

} // namespace WordList
