#include "import/folder_import.h"

#include "dict/dict_library.h"
#include "dict/file_replace.h"
#include "dict/word_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr QDir::Filters AllEntries = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

bool isDictionaryName(const QString &name)
{
    return name.contains(u".wrd"_s) || name.contains(u".WRD"_s);
}

std::optional<QByteArray> readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

bool writeWhole(const QString &path, const QByteArray &data)
{
    return ReplaceFileContent(path, data).ok();
}

} // namespace

FolderImport::FolderImport(const QString &folder, Saver saver)
    : m_folder(folder.endsWith(u'/') ? folder : QString(folder + u'/'))
    , m_saver(saver ? std::move(saver) : Saver([](WordFile &file) { return file.Save(); }))
{
}

bool FolderImport::begin()
{
    m_touched.clear();
    m_portions.clear();
    m_errors.clear();
    m_notRestored.clear();

    // Without the slash: a file named with one does not exist.
    const QFileInfo info(m_folder.chopped(1));
    if (info.exists() && !info.isDir())
        return fail(m_folder.chopped(1) + u": not a folder"_s);
    m_folderExisted = info.exists();
    m_entriesBefore = m_folderExisted ? QDir(m_folder).entryList(AllEntries) : QStringList();
    return true;
}

bool FolderImport::Run(const QStringList &lines)
{
    if (!begin())
        return false;

    // The library creates the folder when it is missing, and opening it may
    // create a first empty dictionary, as it does for the program.
    DictLibrary library(m_folder, m_folder);
    if (!QFileInfo(m_folder).isDir())
        return fail(m_folder.chopped(1) + u": cannot create the folder"_s);

    QSet<QString> filled;
    qsizetype next = 0;
    while (next < lines.size()) {
        QString path = library.FindNotFull();
        if (path == u"0"_s)
            path = library.NewFileName();
        // A dictionary that was just filled cannot have room again; finding
        // it once more means the folder changed under the import.
        if (filled.contains(path))
            return fail(path + u": the dictionary still has room after it was written"_s);
        filled.insert(path);

        Touched touched{path, std::nullopt};
        if (m_entriesBefore.contains(QFileInfo(path).fileName())) {
            touched.original = readWhole(path);
            if (!touched.original)
                return fail(path + u": cannot read the dictionary"_s);
        }

        WordFile file(path);
        if (file.status == WordFile::Unreadable)
            return fail(path + u": cannot read or create the dictionary"_s);
        const qsizetype room = std::max<qsizetype>(0, WordFile::FullAt - file.lines.size());
        const qsizetype count = std::min(room, lines.size() - next);
        file.lines += lines.mid(next, count);

        m_touched.append(touched);
        if (m_saver(file) != 1)
            return fail(path + u": cannot write the dictionary"_s);
        m_portions.append({path, static_cast<int>(count), !touched.original.has_value()});
        next += count;
    }
    return true;
}

QList<FolderImport::Portion> FolderImport::Plan(qsizetype count) const
{
    QList<Portion> plan;
    if (count <= 0)
        return plan;
    // The dictionaries in the order the library lists them; the first 100
    // are the ones it looks for room in, and a new one takes the lowest
    // number that no file of the folder carries.
    std::vector<qint64> numbers = DictLibrary::ListNumbers(m_folder).value_or(std::vector<qint64>());
    const std::size_t listed = std::min<std::size_t>(numbers.size(), DictLibrary::MaxNames);
    QSet<QString> seen;
    qsizetype left = count;
    for (std::size_t i = 0; i < listed && left > 0; ++i) {
        const QString path = m_folder + DictLibrary::CanonicalName(numbers[i]);
        if (seen.contains(path))
            continue;
        seen.insert(path);
        qsizetype room = WordFile::FullAt;
        const bool exists = QFileInfo::exists(path);
        if (exists) {
            const WordFile probe(path);
            if (probe.status != WordFile::TooFew && probe.status != WordFile::Playable)
                continue;
            room = WordFile::FullAt - probe.lines.size();
        }
        const qsizetype taken = std::min(room, left);
        plan.append({path, static_cast<int>(taken), !exists});
        left -= taken;
    }
    std::sort(numbers.begin(), numbers.end());
    qint64 number = 0;
    while (left > 0) {
        while (std::binary_search(numbers.begin(), numbers.end(), number))
            ++number;
        const qsizetype taken = std::min<qsizetype>(WordFile::FullAt, left);
        plan.append({m_folder + DictLibrary::CanonicalName(number), static_cast<int>(taken), true});
        left -= taken;
        ++number;
    }
    return plan;
}

bool FolderImport::RunIntoNew(const QList<QStringList> &dictionaries)
{
    if (!begin())
        return false;
    QList<qsizetype> sizes;
    for (const QStringList &lines : dictionaries)
        sizes.append(lines.size());
    const std::optional<std::vector<qint64>> numbers = m_folderExisted ? DictLibrary::ListNumbers(m_folder)
                                                                       : std::vector<qint64>();
    if (!numbers)
        return fail(m_folder.chopped(1) + u": cannot list the folder"_s);
    if (numbers->size() + dictionaries.size() > DictLibrary::MaxNames) {
        return fail(m_folder.chopped(1) + u": would hold "_s + QString::number(numbers->size() + dictionaries.size())
                    + u" dictionaries; Lexomat lists only the first "_s + QString::number(DictLibrary::MaxNames));
    }
    if (!m_folderExisted && !QDir().mkpath(m_folder))
        return fail(m_folder.chopped(1) + u": cannot create the folder"_s);

    const QList<Portion> plan = PlanNew(sizes);
    for (qsizetype i = 0; i < plan.size(); ++i) {
        const QString &path = plan[i].path;
        // A free number names no entry of the folder, so nothing is replaced.
        if (QFileInfo::exists(path))
            return fail(path + u": exists already"_s);
        m_touched.append({path, std::nullopt});
        WordFile file(path);
        if (file.status == WordFile::Unreadable)
            return fail(path + u": cannot create the dictionary"_s);
        file.lines = dictionaries[i];
        if (m_saver(file) != 1)
            return fail(path + u": cannot write the dictionary"_s);
        m_portions.append(plan[i]);
    }
    return true;
}

QList<FolderImport::Portion> FolderImport::PlanNew(const QList<qsizetype> &sizes) const
{
    std::vector<qint64> numbers = DictLibrary::ListNumbers(m_folder).value_or(std::vector<qint64>());
    std::sort(numbers.begin(), numbers.end());
    QList<Portion> plan;
    qint64 number = 0;
    for (const qsizetype size : sizes) {
        while (std::binary_search(numbers.begin(), numbers.end(), number))
            ++number;
        plan.append({m_folder + DictLibrary::CanonicalName(number), static_cast<int>(size), true});
        ++number;
    }
    return plan;
}

QList<QStringList> FolderImport::SplitForNew(const QStringList &lines, qsizetype size)
{
    QList<QStringList> dictionaries;
    for (qsizetype at = 0; at < lines.size(); at += size)
        dictionaries.append(lines.mid(at, size));
    if (dictionaries.size() > 1 && dictionaries.last().size() < WordFile::MinPlayable) {
        QStringList &before = dictionaries[dictionaries.size() - 2];
        const qsizetype moved = WordFile::MinPlayable - dictionaries.last().size();
        dictionaries.last() = before.mid(before.size() - moved) + dictionaries.last();
        before.resize(before.size() - moved);
    }
    return dictionaries;
}

bool FolderImport::fail(const QString &error)
{
    m_errors.append(error);
    rollBack();
    m_portions.clear();
    return false;
}

void FolderImport::rollBack()
{
    for (auto it = m_touched.crbegin(); it != m_touched.crend(); ++it) {
        // A dictionary whose save was refused holds its old content still,
        // and may well refuse the write back too.
        const bool restored = it->original ? (readWhole(it->path) == it->original || writeWhole(it->path, *it->original))
                                           : (!QFileInfo::exists(it->path) || QFile::remove(it->path));
        if (!restored) {
            m_errors.append(it->path + u": could not be put back as it was"_s);
            m_notRestored.append(it->path);
        }
    }
    m_touched.clear();

    // Opening the folder and looking for room create empty dictionaries for
    // names that are listed but missing; they go too.
    const QDir dir(m_folder);
    for (const QString &name : dir.entryList(AllEntries)) {
        if (m_entriesBefore.contains(name) || !isDictionaryName(name))
            continue;
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isFile() && QFileInfo(path).size() == 0 && !QFile::remove(path)) {
            m_errors.append(path + u": could not be removed"_s);
            m_notRestored.append(path);
        }
    }
    if (!m_folderExisted)
        QDir().rmdir(m_folder);
}
