#include "import/word_import.h"

#include "dict/word_file.h"
#include "import/delimited_text.h"
#include "import/kvtml.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

using Kind = WordListProblem::Kind;

bool isCyrillic(QChar ch)
{
    return ch.unicode() >= 0x0400 && ch.unicode() <= 0x052F;
}

bool hasCyrillic(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isCyrillic);
}

// Letters, none of them Cyrillic: an English word rather than a number.
bool looksEnglish(QStringView text)
{
    return !hasCyrillic(text) && std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.isLetter(); });
}

// An English column name and its Russian counterpart: as a row of two they
// are a word with its meaning rather than column names.
const std::array<std::pair<QStringView, QStringView>, 9> HeadingPairs{{
    {u"word", u"слово"}, {u"words", u"слова"}, {u"translation", u"перевод"}, {u"meaning", u"значение"},
    {u"meanings", u"значения"}, {u"term", u"термин"}, {u"definition", u"определение"},
    {u"english", u"английский"}, {u"russian", u"русский"},
}};

} // namespace

namespace WordImport {

bool IsHeadingRow(const QStringList &fields)
{
    static const std::array<QStringView, 24> headings{
        u"english", u"russian", u"word", u"words", u"translation", u"translations",
        u"meaning", u"meanings", u"term", u"definition", u"front", u"back",
        u"английский", u"английское слово", u"англ.", u"русский", u"русское слово", u"слово",
        u"слова", u"перевод", u"значение", u"значения", u"термин", u"определение"};
    QStringList named;
    for (const QString &field : fields) {
        const QString text = WordList::Trimmed(field).toLower();
        if (text.isEmpty())
            continue;
        if (std::find(headings.cbegin(), headings.cend(), text) == headings.cend())
            return false;
        named.append(text);
    }
    if (named.size() == 2) {
        for (const auto &[english, russian] : HeadingPairs) {
            if (named[0] == english && named[1] == russian)
                return false;
        }
    }
    return named.size() >= 2;
}

} // namespace WordImport

namespace {

QStringList linesOf(const QString &field)
{
    return field.split(u'\n');
}

// The word and meanings of one record. The English word is the first field
// unless that one is Cyrillic: then the first field that looks English is
// the word and the rest, in order, are meanings. A line break inside a
// meaning field separates meanings; inside the word it is a blank.
void addRecord(const DelimitedText::Record &record, const QString &fileName, WordImport::Result &result)
{
    const QStringList &fields = record.fields;
    qsizetype wordColumn = 0;
    if (hasCyrillic(fields.first())) {
        for (qsizetype i = 1; i < fields.size(); ++i) {
            if (looksEnglish(fields[i])) {
                wordColumn = i;
                ++result.turnedRound;
                break;
            }
        }
    }
    QStringList wordParts;
    for (const QString &part : linesOf(fields[wordColumn])) {
        if (!WordList::Trimmed(part).isEmpty())
            wordParts.append(WordList::Trimmed(part));
    }
    QStringList meanings;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i != wordColumn)
            meanings += linesOf(fields[i]);
    }
    if (auto entry = WordList::MakeEntry(wordParts.join(u' '), meanings, record.line, fileName, result.problems))
        result.entries.append(*entry);
}

WordImport::Result readText(const QByteArray &data, const QString &fileName)
{
    WordImport::Result result;
    const TextDecoding::Decoded decoded = TextDecoding::Decode(data);
    result.encoding = decoded.encoding;
    if (decoded.binary) {
        result.problems.append({fileName, 0, u"not a text file"_s, Kind::NotText});
        return result;
    }
    if (!decoded.badLines.isEmpty()) {
        for (const int line : decoded.badLines)
            result.problems.append({fileName, line,
                                    decoded.encoding == TextDecoding::Encoding::Utf16 ? u"the text is not valid UTF-16"_s
                                                                                      : u"the text is not valid UTF-8"_s,
                                    Kind::NotUtf8});
        return result;
    }

    const DelimitedText::Table table = DelimitedText::Read(decoded.text, fileName);
    result.format = table.layout.header ? WordImport::Format::FlashcardText : WordImport::Format::Text;
    result.delimiter = table.layout.delimiter;
    result.problems = table.problems;
    for (qsizetype i = 0; i < table.records.size(); ++i) {
        const DelimitedText::Record &record = table.records[i];
        if (i == 0 && WordImport::IsHeadingRow(record.fields)) {
            result.headingLine = record.line;
            continue;
        }
        addRecord(record, fileName, result);
    }
    // Problems in the order of their lines, those of the whole file first.
    std::stable_sort(result.problems.begin(), result.problems.end(),
                     [](const WordListProblem &a, const WordListProblem &b) { return a.line < b.line; });
    return result;
}

// A dictionary's lines as the game reads them.
WordImport::Result readDictionary(const QString &path)
{
    WordImport::Result result;
    result.format = WordImport::Format::Dictionary;
    const WordFile file(path);
    if (file.status == WordFile::Unreadable) {
        result.problems.append({path, 0, u"cannot be read"_s, Kind::Unreadable});
        return result;
    }
    for (qsizetype i = 0; i < file.lines.size(); ++i) {
        const WordEntry fields = WordList::FromDictionaryLine(file.lines[i]);
        if (fields.word.isEmpty() && fields.meanings.isEmpty())
            continue;
        if (auto entry = WordList::MakeEntry(fields.word, fields.meanings, static_cast<int>(i + 1), path, result.problems))
            result.entries.append(*entry);
    }
    return result;
}

} // namespace

namespace WordImport {

Result Read(const QByteArray &data, const QString &fileName)
{
    if (Kvtml::Recognise(data, fileName)) {
        Result result;
        result.format = Format::Kvtml;
        static_cast<WordList::Parsed &>(result) = Kvtml::Read(data, fileName);
        return result;
    }
    return readText(data, fileName);
}

Result ReadFile(const QString &path)
{
    const auto failed = [&path](const QString &text, Kind kind = Kind::Unreadable) {
        Result result;
        result.problems.append({path, 0, text, kind});
        return result;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return failed(u"no such file"_s);
    if (info.isDir())
        return failed(u"is a folder, not a word list"_s);
    if (!info.isFile())
        return failed(u"not a regular file"_s);
    if (info.size() > MaxFileSize)
        return failed(u"too large for a word list"_s, Kind::TooLarge);
    if (info.suffix().compare(u"wrd"_s, Qt::CaseInsensitive) == 0)
        return readDictionary(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(u"cannot be read: "_s + file.errorString());
    const QByteArray data = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failed(u"cannot be read: "_s + file.errorString());
    if (data.size() > MaxFileSize)
        return failed(u"too large for a word list"_s, Kind::TooLarge);
    return Read(data, path);
}

} // namespace WordImport
