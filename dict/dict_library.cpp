#include "dict/dict_library.h"

#include "dict/conflict_copies.h"
#include "dict/review_mark.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString NotFound = u"0"_s;

QString canonicalName(qint64 number)
{
    return QString(u"tom_"_s + QString::number(number) + u".wrd"_s);
}

QString withSlash(const QString &dir)
{
    return dir.endsWith(u'/') ? dir : QString(dir + u'/');
}

} // namespace

DictLibrary::DictLibrary(const QString &dictDir, const QString &defaultDictDir)
{
    openFolder(dictDir, defaultDictDir);
    if (fileCount > 0) {
        open(folder + names[0]);
    } else {
        QDir().mkpath(folder);
        open(folder + canonicalName(0));
    }
}

DictLibrary::DictLibrary(const QString &dictDir, const QString &defaultDictDir, const QString &path)
{
    openFolder(dictDir, defaultDictDir);
    openOrFindRoom(path);
}

DictLibrary::~DictLibrary() = default;

void DictLibrary::openFolder(const QString &dictDir, const QString &defaultDictDir)
{
    const bool useDictDir = !dictDir.isEmpty() && QFileInfo(dictDir).isDir();
    folder = withSlash(useDictDir ? dictDir : defaultDictDir);
    Scan();
}

// The named dictionary when the folder lists it; otherwise the first one with
// room, and only when there is none the named one itself.
void DictLibrary::openOrFindRoom(const QString &path)
{
    if (IndexOf(path) != 0) {
        open(path);
        return;
    }
    QDir().mkpath(folder);
    const QString roomy = FindNotFull();
    open(roomy != NotFound ? roomy : path);
}

// The old file goes first, so that its edits are on disk before anything
// reads the folder again.
void DictLibrary::open(const QString &path)
{
    file.reset();
    currentPath = path;
    file = std::make_unique<WordFile>(currentPath);
}

int DictLibrary::Scan()
{
    const std::optional<std::vector<qint64>> numbers = ListNumbers(folder);
    if (!numbers) {
        fileCount = -1;
        m_numbers.clear();
        return fileCount;
    }
    m_numbers = *numbers;

    // More entries than the list holds: the lowest numbers are kept.
    const auto kept = std::min<std::size_t>(m_numbers.size(), MaxNames);
    for (std::size_t j = 0; j < names.size(); ++j)
        names[j] = j < kept ? canonicalName(m_numbers[j]) : QString();
    fileCount = static_cast<std::int32_t>(kept);
    return fileCount;
}

std::optional<std::vector<qint64>> DictLibrary::ListNumbers(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable())
        return std::nullopt;
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::vector<qint64> numbers;
    for (const QString &entry : entries) {
        if (!IsDictionaryEntry(entry))
            continue;
        const qint64 number = NumberInName(entry);
        // Digits beyond the 32-bit range name no dictionary of the numbering:
        // such an entry is left out of the list, and so of the numbers that
        // a new dictionary must avoid.
        if (number < 0)
            continue;
        numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

bool DictLibrary::IsDictionaryEntry(QStringView name)
{
    if (!name.contains(u".wrd"_s) && !name.contains(u".WRD"_s))
        return false;
    // A conflict copy would be listed under a number made of its date.
    return !ConflictCopies::Recognise(name);
}

QString DictLibrary::CanonicalName(qint64 number)
{
    return canonicalName(number);
}

int DictLibrary::IndexOf(const QString &path) const
{
    for (int i = 0; i < fileCount; ++i) {
        if (QString(folder + names[static_cast<std::size_t>(i)]) == path)
            return i + 1;
    }
    return 0;
}

void DictLibrary::Next()
{
    const int pos = IndexOf(currentPath);
    if (pos == 0)
        return;
    // Files of the same number give the same name more than once (a copy
    // "tom_5.wrd.bak" beside "tom_5.wrd"). IndexOf finds the first of them,
    // so the step goes past them all; otherwise ">>" would never leave it.
    int i = pos;
    while (i < fileCount && names[static_cast<std::size_t>(i)] == names[static_cast<std::size_t>(pos - 1)])
        ++i;
    if (i >= fileCount)
        i = 0;
    open(folder + names[static_cast<std::size_t>(i)]);
}

void DictLibrary::Previous()
{
    const int pos = IndexOf(currentPath);
    if (pos == 0)
        return;
    const int i = pos >= 2 ? pos - 2 : fileCount - 1;
    open(folder + names[static_cast<std::size_t>(i)]);
}

void DictLibrary::SwitchTo(const QString &path)
{
    const qsizetype cut = path.lastIndexOf(u'/');
    folder = cut < 0 ? u"./"_s : path.left(cut + 1);
    Scan();
    openOrFindRoom(path);
}

QString DictLibrary::FindNotFull()
{
    Scan();
    for (int i = 0; i < fileCount; ++i) {
        const QString candidate = folder + names[static_cast<std::size_t>(i)];
        const WordFile probe(candidate);
        // The review dictionary is rewritten by the next review: words
        // added to it would be lost.
        if ((probe.status == WordFile::TooFew || probe.status == WordFile::Playable)
            && !ReviewMark::Holds(folder, candidate))
            return candidate;
    }
    return NotFound;
}

QString DictLibrary::NewFileName()
{
    Scan();
    qint64 number = 0;
    while (std::binary_search(m_numbers.begin(), m_numbers.end(), number))
        ++number;
    return folder + canonicalName(number);
}

qint64 DictLibrary::NumberInName(QStringView name)
{
    constexpr qint64 Largest = std::numeric_limits<std::int32_t>::max();
    qint64 number = 0;
    for (const QChar ch : name) {
        const char16_t unit = ch.unicode();
        if (unit < u'0' || unit > u'9')
            continue;
        number = number * 10 + (unit - u'0');
        if (number > Largest)
            return -1;
    }
    return number;
}
