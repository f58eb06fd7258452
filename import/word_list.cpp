#include "import/word_list.h"

#include "dict/word_store.h"

using namespace Qt::StringLiterals;

namespace {

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
    using Kind = WordListProblem::Kind;
    const auto problem = [&](Kind kind, const QString &what, qsizetype count = 0) {
        problems.append({fileName, line, what, kind, index, text, count});
    };
    if (text.size() > WordList::MaxFieldLength) {
        problem(Kind::TooLong,
                fieldName(index, text) + u" has "_s + QString::number(text.size()) + u" characters; at most "_s
                    + QString::number(WordList::MaxFieldLength) + u" fit"_s,
                text.size());
    }
    if (text.contains(u','))
        problem(Kind::Comma, fieldName(index, text) + u" holds a comma, which would split it in two in the dictionary"_s);
    if (holdsControlCharacter(text))
        problem(Kind::ControlCharacter, fieldName(index, text) + u" holds a control character"_s);
}

} // namespace

QString WordListProblem::Message() const
{
    if (line <= 0)
        return QString(file + u": "_s + text);
    return QString(file + u':' + QString::number(line) + u": "_s + text);
}

namespace WordList {

QString Trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin).toString();
}

std::optional<WordEntry> MakeEntry(const QString &word, const QStringList &meanings, int line,
                                   const QString &fileName, QList<WordListProblem> &problems)
{
    using Kind = WordListProblem::Kind;
    // A byte order mark inside the text (files joined together) is an
    // invisible character no field wants.
    const auto clean = [](QString text) { return Trimmed(text.remove(QChar(0xFEFF))); };
    WordEntry entry;
    entry.line = line;
    entry.word = clean(word);
    for (const QString &raw : meanings) {
        // As in the word editor, an empty meaning leaves no gap.
        const QString meaning = clean(raw);
        if (!meaning.isEmpty())
            entry.meanings.append(meaning);
    }

    const qsizetype before = problems.size();
    if (entry.word.isEmpty())
        problems.append({fileName, line, u"the English word is empty"_s, Kind::EmptyWord});
    if (entry.meanings.size() > MaxMeanings) {
        problems.append({fileName, line,
                         QString::number(entry.meanings.size()) + u" meanings; at most "_s
                             + QString::number(MaxMeanings) + u" fit"_s,
                         Kind::TooManyMeanings, -1, QString(), entry.meanings.size()});
    }
    checkField(0, entry.word, fileName, line, problems);
    for (qsizetype i = 0; i < entry.meanings.size(); ++i)
        checkField(static_cast<int>(i + 1), entry.meanings[i], fileName, line, problems);
    if (problems.size() != before)
        return std::nullopt;
    return entry;
}

QString ToDictionaryLine(const WordEntry &entry)
{
    QString line = Trimmed(entry.word);
    for (const QString &meaning : entry.meanings) {
        if (meaning.isEmpty())
            continue;
        line += u',' + Trimmed(meaning);
    }
    line += u',';
    line.remove(u'\r');
    line.remove(u'\n');
    return line;
}

QStringList ToDictionaryLines(const QList<WordEntry> &entries)
{
    QStringList lines;
    lines.reserve(entries.size());
    for (const WordEntry &entry : entries)
        lines.append(ToDictionaryLine(entry));
    return lines;
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
