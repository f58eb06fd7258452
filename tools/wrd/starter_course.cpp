#include "tools/wrd/starter_course.h"

#include "dict/dict_library.h"
#include "dict/word_file.h"
#include "import/word_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr QDir::Filters AllEntries = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

bool isDictionaryName(const QString &name)
{
    return name.contains(u".wrd"_s) || name.contains(u".WRD"_s);
}

// The English word of a dictionary line as the learner would look it up.
QString wordOf(const QString &line)
{
    return WordList::FromDictionaryLine(line).word.trimmed().toCaseFolded();
}

QString withoutSlash(const QString &path)
{
    return path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path;
}

} // namespace

StarterCourse::StarterCourse(const QString &starterFolder, const QString &folder, Saver saver)
    : m_starterFolder(withoutSlash(starterFolder))
    , m_folder(withoutSlash(folder))
    , m_saver(saver ? std::move(saver) : Saver([](WordFile &file) { return file.Save(); }))
{
}

bool StarterCourse::Run()
{
    m_written.clear();
    m_errors.clear();
    m_known = 0;
    m_courseWords = 0;

    QList<QStringList> course;
    if (!readCourse(course))
        return false;
    QStringList held;
    QList<qint64> numbers;
    if (!readFolder(held, numbers))
        return false;

    // The new words in the order of the course, each once; a starter
    // dictionary with few of them shares a new dictionary with its neighbours.
    QSet<QString> seen(held.cbegin(), held.cend());
    const QSet<QString> before = seen;
    QList<QStringList> planned;
    QStringList pending;
    for (const QStringList &lines : course) {
        QStringList fresh;
        for (const QString &line : lines) {
            const QString word = wordOf(line);
            ++m_courseWords;
            if (before.contains(word))
                ++m_known;
            if (word.isEmpty() || seen.contains(word))
                continue;
            seen.insert(word);
            fresh.append(line);
        }
        if (fresh.isEmpty())
            continue;
        if (!pending.isEmpty() && pending.size() + fresh.size() > SharedSize) {
            planned.append(pending);
            pending.clear();
        }
        pending += fresh;
    }
    if (!pending.isEmpty()) {
        // A last handful too few to play joins the dictionary before it.
        if (pending.size() < WordFile::MinPlayable && !planned.isEmpty()
            && planned.last().size() + pending.size() < WordFile::FullAt)
            planned.last() += pending;
        else
            planned.append(pending);
    }
    if (planned.isEmpty())
        return true;

    const qsizetype listed = numbers.size() + planned.size();
    if (listed > DictLibrary::MaxNames) {
        return fail(m_folder + u": would hold "_s + QString::number(listed) + u" dictionaries; Lexomat lists only the first "_s
                    + QString::number(DictLibrary::MaxNames));
    }

    // The folders made here, the deepest last, to remove them on failure.
    QStringList made;
    for (QString path = QFileInfo(m_folder).absoluteFilePath(); !QFileInfo::exists(path);
         path = QFileInfo(path).absolutePath())
        made.prepend(path);
    if (!made.isEmpty() && !QDir().mkpath(m_folder)) {
        for (auto it = made.crbegin(); it != made.crend(); ++it)
            QDir().rmdir(*it);
        return fail(m_folder + u": cannot create the folder"_s);
    }

    std::sort(numbers.begin(), numbers.end());
    qint64 number = 0;
    QStringList created;
    const auto rollBack = [&]() {
        for (auto it = created.crbegin(); it != created.crend(); ++it) {
            if (QFileInfo::exists(*it) && !QFile::remove(*it))
                m_errors.append(*it + u": could not be removed"_s);
        }
        for (auto it = made.crbegin(); it != made.crend(); ++it)
            QDir().rmdir(*it);
        m_written.clear();
        return false;
    };
    for (const QStringList &lines : planned) {
        while (std::binary_search(numbers.cbegin(), numbers.cend(), number))
            ++number;
        const QString path = m_folder + u"/tom_"_s + QString::number(number++) + u".wrd"_s;
        // A free number names no entry of the folder, so nothing is replaced.
        if (QFileInfo::exists(path)) {
            m_errors.append(path + u": exists already"_s);
            return rollBack();
        }
        WordFile file(path);
        if (QFileInfo::exists(path))
            created.append(path);
        if (file.status == WordFile::Unreadable) {
            m_errors.append(path + u": cannot create the dictionary"_s);
            return rollBack();
        }
        file.lines = lines;
        if (m_saver(file) != 1) {
            m_errors.append(path + u": cannot write the dictionary"_s);
            return rollBack();
        }
        m_written.append({path, static_cast<int>(lines.size())});
    }
    return true;
}

// The starter dictionaries in the order Lexomat lists them.
bool StarterCourse::readCourse(QList<QStringList> &course)
{
    if (!QFileInfo(m_starterFolder).isDir())
        return fail(m_starterFolder + u": no such folder"_s);
    QList<std::pair<qint64, QString>> starters;
    for (const QString &name : QDir(m_starterFolder).entryList(QDir::Files)) {
        const qint64 number = DictLibrary::NumberInName(name);
        if (isDictionaryName(name) && number >= 0)
            starters.append({number, name});
    }
    if (starters.isEmpty())
        return fail(m_starterFolder + u": holds no starter dictionaries"_s);
    std::stable_sort(starters.begin(), starters.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &starter : starters) {
        const WordFile file(m_starterFolder + u'/' + starter.second);
        if (file.status == WordFile::Unreadable)
            return fail(file.path + u": cannot be read"_s);
        course.append(file.lines);
    }
    return true;
}

// The words of every dictionary in the folder and the numbers it uses.
bool StarterCourse::readFolder(QStringList &knownWords, QList<qint64> &numbers)
{
    const QFileInfo info(m_folder);
    if (!info.exists())
        return true;
    if (!info.isDir())
        return fail(m_folder + u": not a folder"_s);
    if (!info.isReadable())
        return fail(m_folder + u": cannot be read"_s);
    const QDir dir(m_folder);
    for (const QString &name : dir.entryList(AllEntries)) {
        if (!isDictionaryName(name))
            continue;
        const qint64 number = DictLibrary::NumberInName(name);
        if (number >= 0)
            numbers.append(number);
        const QString path = dir.filePath(name);
        if (!QFileInfo(path).isFile())
            continue;
        const WordFile file(path);
        // Without its words, the course could bring them a second time.
        if (file.status == WordFile::Unreadable)
            return fail(path + u": cannot be read"_s);
        for (const QString &line : file.lines)
            knownWords.append(wordOf(line));
    }
    return true;
}

bool StarterCourse::fail(const QString &error)
{
    m_errors.append(error);
    m_written.clear();
    return false;
}
