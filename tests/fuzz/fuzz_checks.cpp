#include "fuzz_checks.h"

#include "dict/dict_library.h"
#include "dict/random.h"
#include "dict/word_file.h"
#include "dict/word_store.h"
#include "import/csv_export.h"
#include "import/word_import.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <limits>
#include <set>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// A text with every code unit spelled out, so that lone surrogates and
// control characters show in a report.
QString units(QStringView text)
{
    QString out;
    for (const QChar ch : text)
        out += u"%1 "_s.arg(ch.unicode(), 4, 16, QLatin1Char('0'));
    return out.trimmed();
}

int expectedStatus(qsizetype lineCount)
{
    if (lineCount >= WordFile::FullAt)
        return WordFile::Full;
    return lineCount < WordFile::MinPlayable ? WordFile::TooFew : WordFile::Playable;
}

QString compareLines(const QStringList &before, const QStringList &after)
{
    if (before.size() != after.size())
        return u"%1 lines became %2"_s.arg(before.size()).arg(after.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before[i] != after[i])
            return u"line %1: [%2] became [%3]"_s.arg(i).arg(units(before[i]), units(after[i]));
    }
    return {};
}

// The fields of a line as the word store must split it: the text before each
// comma, up to the first zero; the text after the last comma is no field;
// four fields at most, each cut to what a cell holds.
QStringList modelFields(QStringView line)
{
    const qsizetype zero = line.indexOf(QChar(u'\0'));
    if (zero >= 0)
        line = line.left(zero);
    QList<QStringView> parts = line.split(u',');
    parts.removeLast();
    QStringList fields;
    for (qsizetype i = 0; i < parts.size() && i < 4; ++i)
        fields << parts[i].left(SWORDW::Capacity - 1).toString();
    return fields;
}

QString compareRecord(const BWORDW &word, QStringView line)
{
    const QStringList expected = modelFields(line);
    if (word.filled != static_cast<std::uint32_t>(expected.size()))
        return u"line [%1]: %2 fields stored, %3 expected"_s.arg(units(line)).arg(word.filled).arg(expected.size());
    for (int i = 0; i < 4; ++i) {
        const QString want = expected.value(i);
        if (word.FieldText(i) != want)
            return u"line [%1]: field %2 is [%3], expected [%4]"_s.arg(units(line)).arg(i).arg(
                units(word.FieldText(i)), units(want));
    }
    if (!word.FieldText(-1).isEmpty() || !word.FieldText(4).isEmpty())
        return u"a field out of range is not empty"_s;
    return {};
}

// The number of a name as the library must read it: its ASCII digits as one
// decimal number, -1 beyond the signed 32-bit range.
qint64 modelNumber(QStringView name)
{
    QString digits;
    for (const QChar ch : name) {
        if (ch >= u'0' && ch <= u'9')
            digits += ch;
    }
    while (digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.isEmpty())
        return 0;
    if (digits.size() > 10)
        return -1;
    const qint64 value = digits.toLongLong();
    return value > std::numeric_limits<std::int32_t>::max() ? -1 : value;
}

// Empties the folder (making it when missing) by the bytes of its entries:
// names that are not valid text cannot be removed through Qt.
bool emptyFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (!QDir().mkpath(folder))
        return false;
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            ::unlink(QByteArray(path + name).constData());
    }
    ::closedir(dir);
    return true;
}

QString canonical(qint64 number)
{
    return u"tom_%1.wrd"_s.arg(number);
}

QString namesInFolder(const QByteArray &data, const QString &folder);

} // namespace

namespace FuzzChecks {

QString wordFileRoundTrip(const QByteArray &data, const QString &workFolder)
{
    const QString path = workFolder + u"/tom_0.wrd"_s;
    if (!writeFile(path, data))
        return u"the input file cannot be written"_s;

    QStringList lines;
    {
        WordFile first(path);
        if (readFile(path) != data)
            return u"loading changed the file"_s;
        if (first.status != expectedStatus(first.lines.size()))
            return u"status %1 for %2 lines"_s.arg(first.status).arg(first.lines.size());
        for (const QString &line : std::as_const(first.lines)) {
            for (const char16_t breaker : {u'\r', u'\n', u'\u2028', u'\0'}) {
                if (line.contains(QChar(breaker)))
                    return u"a loaded line holds a break or zero: [%1]"_s.arg(units(line));
            }
        }
        lines = first.lines;
        if (first.Save() != 1)
            return u"the dictionary cannot be saved"_s;
    }

    const QByteArray saved = readFile(path);
    WordFile second(path);
    if (const QString difference = compareLines(lines, second.lines); !difference.isEmpty())
        return u"save and load changed the lines: "_s + difference;
    if (second.status != expectedStatus(lines.size()))
        return u"status %1 after the round trip of %2 lines"_s.arg(second.status).arg(lines.size());
    if (second.Save() != 1)
        return u"the saved dictionary cannot be saved again"_s;
    if (readFile(path) != saved)
        return u"saving the same lines twice wrote different bytes"_s;
    return {};
}

QString wordRecords(const QByteArray &data)
{
    QString text;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        text += QChar(char16_t(uchar(data[i]) | (uchar(data[i + 1]) << 8)));
    const QStringList lines = text.split(u'\n');

    for (const QString &line : lines) {
        BWORDW word(4);
        word.ParseLine(u',', line);
        if (const QString problem = compareRecord(word, line); !problem.isEmpty())
            return problem;
    }

    // Draws reseed from the clock; a fixed clock makes a failure repeatable.
    Clock::setSource([] { return qint64(1700000000); });
    const auto restoreClock = qScopeGuard([] { Clock::setSource({}); });

    GWORDW store(72);
    store.LoadLines(lines);
    const int count = static_cast<int>(std::min<qsizetype>(lines.size(), store.Limit()));
    if (store.WordCount() != count || store.AvailableCount() != count)
        return u"%1 lines loaded as %2 words, %3 available"_s.arg(lines.size()).arg(store.WordCount()).arg(
            store.AvailableCount());
    for (int i = 0; i < count; ++i) {
        if (const QString problem = compareRecord(*store.Word(i), lines[i]); !problem.isEmpty())
            return u"in the store: "_s + problem;
    }

    std::set<const BWORDW *> drawn;
    while (BWORDW *word = store.DrawWord()) {
        bool inStore = false;
        for (int i = 0; i < count && !inStore; ++i)
            inStore = store.Word(i) == word;
        if (!inStore)
            return u"a draw returned a record that holds no loaded word"_s;
        if (!drawn.insert(word).second)
            return u"a used word was drawn again"_s;
        if (word->used != 1)
            return u"a drawn word is not marked used"_s;
        if (static_cast<int>(drawn.size()) > count)
            return u"more draws than words"_s;
    }
    if (store.AvailableCount() != count - static_cast<int>(drawn.size()))
        return u"%1 available after %2 draws from %3"_s.arg(store.AvailableCount()).arg(drawn.size()).arg(count);
    store.MarkAllAvailable();
    if (store.AvailableCount() != count)
        return u"not every word is available again"_s;
    for (int i = 0; i < count; ++i) {
        if (store.Word(i)->used != 0)
            return u"word %1 still carries the used mark"_s.arg(i);
    }
    return {};
}

QString folderNames(const QByteArray &data, const QString &workFolder)
{
    const QString folder = workFolder + u"/names/"_s;
    if (!emptyFolder(folder))
        return u"the work folder cannot be emptied"_s;
    const QString problem = namesInFolder(data, folder);
    emptyFolder(folder);
    return problem;
}

} // namespace FuzzChecks

namespace {

QString namesInFolder(const QByteArray &data, const QString &folder)
{
    // Names as the file system takes them: no zero byte, at most 255 bytes.
    QStringList created;
    const QList<QByteArray> parts = data.split('/');
    for (qsizetype i = 0; i < parts.size() && i < 16; ++i) {
        QByteArray raw = parts[i];
        raw.replace('\0', QByteArray());
        raw.truncate(255);
        if (raw.isEmpty() || raw == "." || raw == "..")
            continue;
        const QString name = QFile::decodeName(raw);
        if (DictLibrary::NumberInName(name) != modelNumber(name))
            return u"name [%1]: number %2, expected %3"_s.arg(units(name)).arg(DictLibrary::NumberInName(name)).arg(
                modelNumber(name));
        const int fd = ::open(QByteArray(QFile::encodeName(folder) + raw).constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0)
            continue; // the same name again
        ::close(fd);
        // A name that is not valid in the file names' encoding does not
        // survive decoding; Qt lists no such entry, so the program never
        // sees it.
        if (QFile::encodeName(name) == raw)
            created << name;
    }

    std::vector<qint64> numbers;
    for (const QString &name : std::as_const(created)) {
        if ((name.contains(u".wrd"_s) || name.contains(u".WRD"_s)) && modelNumber(name) >= 0)
            numbers.push_back(modelNumber(name));
    }
    std::sort(numbers.begin(), numbers.end());
    const int listed = static_cast<int>(std::min<std::size_t>(numbers.size(), DictLibrary::MaxNames));

    DictLibrary library(folder, folder);
    if (library.fileCount != listed)
        return u"%1 names listed, %2 expected"_s.arg(library.fileCount).arg(listed);
    static const QRegularExpression canonicalForm(u"^tom_(0|[1-9][0-9]*)\\.wrd$"_s);
    for (int i = 0; i < listed; ++i) {
        const QString &name = library.names[static_cast<std::size_t>(i)];
        if (name != canonical(numbers[static_cast<std::size_t>(i)]) || !canonicalForm.match(name).hasMatch())
            return u"entry %1 is [%2], expected %3"_s.arg(i).arg(name, canonical(numbers[static_cast<std::size_t>(i)]));
        if (DictLibrary::NumberInName(name) != numbers[static_cast<std::size_t>(i)])
            return u"the canonical name %1 does not read back as its number"_s.arg(name);
        const int first = static_cast<int>(std::find(library.names.begin(), library.names.end(), name)
                                           - library.names.begin());
        if (library.IndexOf(folder + name) != first + 1)
            return u"IndexOf(%1) is %2, expected %3"_s.arg(name).arg(library.IndexOf(folder + name)).arg(first + 1);
    }
    const QString expectedCurrent = folder + (listed > 0 ? library.names[0] : canonical(0));
    if (library.currentPath != expectedCurrent || !library.file || library.file->path != expectedCurrent)
        return u"the first dictionary is %1, expected %2"_s.arg(library.currentPath, expectedCurrent);

    // Opening an empty folder made "tom_0.wrd", which the new name avoids.
    if (listed == 0)
        numbers.insert(numbers.begin(), 0);
    const QString fresh = library.NewFileName();
    const qint64 freshNumber = DictLibrary::NumberInName(fresh.mid(folder.size()));
    qint64 lowestFree = 0;
    while (std::binary_search(numbers.begin(), numbers.end(), lowestFree))
        ++lowestFree;
    if (fresh != folder + canonical(lowestFree))
        return u"new name %1, expected %2 (number %3)"_s.arg(fresh, canonical(lowestFree)).arg(freshNumber);

    // The walk: every step lands on a listed dictionary, and ">>" leaves the
    // current name whenever the list holds another one.
    const std::set<QString> distinct(library.names.begin(), library.names.begin() + library.fileCount);
    for (int step = 0; step <= library.fileCount; ++step) {
        const QString before = library.currentPath;
        library.Next();
        if (library.IndexOf(library.currentPath) == 0)
            return u"Next left the list: %1"_s.arg(library.currentPath);
        if (distinct.size() > 1 && library.currentPath == before)
            return u"Next stays on %1"_s.arg(before.mid(folder.size()));
    }
    for (int step = 0; step <= library.fileCount; ++step) {
        const QString before = library.currentPath;
        library.Previous();
        if (library.IndexOf(library.currentPath) == 0)
            return u"Previous left the list: %1"_s.arg(library.currentPath);
        if (distinct.size() > 1 && library.currentPath == before)
            return u"Previous stays on %1"_s.arg(before.mid(folder.size()));
    }
    return {};
}

} // namespace

namespace {

// What a field of a dictionary line may be: what the word editor could
// have stored.
QString fieldFault(const QString &field)
{
    if (field.isEmpty())
        return u"an empty field"_s;
    if (field.size() > WordList::MaxFieldLength)
        return u"a field of %1 characters"_s.arg(field.size());
    if (WordList::Trimmed(field) != field)
        return u"blanks around [%1]"_s.arg(units(field));
    for (const QChar ch : field) {
        if (ch == u',' || ch.unicode() < 32 || ch.unicode() == 0x2028)
            return u"a comma or control character in [%1]"_s.arg(units(field));
    }
    return {};
}

bool hasCyrillic(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() >= 0x0400 && ch.unicode() <= 0x052F; });
}

} // namespace

namespace FuzzChecks {

QString wordImport(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    static const std::array<QString, 4> names{u"list.txt"_s, u"list.csv"_s, u"list.kvtml"_s, u"list.tsv"_s};
    const QString name = names[static_cast<uchar>(data[0]) % names.size()];
    const WordImport::Result read = WordImport::Read(data.mid(1), name);

    int previousLine = 0;
    for (const WordEntry &entry : read.entries) {
        if (entry.line < 1 || entry.line < previousLine)
            return u"entry of line %1 after line %2"_s.arg(entry.line).arg(previousLine);
        previousLine = entry.line;
        if (entry.meanings.size() > WordList::MaxMeanings)
            return u"%1 meanings at line %2"_s.arg(entry.meanings.size()).arg(entry.line);
        for (const QString &field : QStringList{entry.word} + entry.meanings) {
            if (const QString fault = fieldFault(field); !fault.isEmpty())
                return fault + u" at line %1"_s.arg(entry.line);
        }
        // The game reads back exactly what was imported.
        const QString line = WordList::ToDictionaryLine(entry);
        BWORDW record;
        record.ParseLine(u',', line);
        if (static_cast<qsizetype>(record.filled) != 1 + entry.meanings.size() || record.FieldText(0) != entry.word)
            return u"the game reads [%1] otherwise"_s.arg(units(line));
        for (qsizetype i = 0; i < entry.meanings.size(); ++i) {
            if (record.FieldText(static_cast<int>(i + 1)) != entry.meanings[i])
                return u"the game reads meaning %1 of [%2] otherwise"_s.arg(i + 1).arg(units(line));
        }
    }
    for (const WordListProblem &problem : read.problems) {
        if (problem.line < 0)
            return u"a problem at line %1"_s.arg(problem.line);
    }

    // What is exported as a table reads back as the same lines, unless the
    // reader is meant to change it: a Russian word first is turned round,
    // column names in the first row are passed over, sound references go.
    if (read.entries.isEmpty())
        return {};
    for (const WordEntry &entry : read.entries) {
        if (hasCyrillic(entry.word))
            return {};
        for (const QString &field : QStringList{entry.word} + entry.meanings) {
            if (field.contains(u"[sound:"_s, Qt::CaseInsensitive))
                return {};
        }
    }
    const WordEntry &first = read.entries.first();
    if (WordImport::IsHeadingRow(QStringList{first.word} + first.meanings))
        return {};
    const QStringList lines = WordList::ToDictionaryLines(read.entries);
    const WordImport::Result back = WordImport::Read(CsvExport::Encode(lines), u"export.csv"_s);
    if (!back.problems.isEmpty())
        return u"the exported table reads with a problem: "_s + back.problems.first().Message();
    return compareLines(lines, WordList::ToDictionaryLines(back.entries));
}

} // namespace FuzzChecks
