#include "dict/conflict_copies.h"

#include "dict/line_merge.h"
#include "dict/word_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct Pattern
{
    ConflictCopies::Engine engine;
    QRegularExpression expression; // group 1: the name before the mark, 2: the extension
};

const std::array<Pattern, 4> &patterns()
{
    using ConflictCopies::Engine;
    static const std::array<Pattern, 4> all{{
        {Engine::Syncthing, QRegularExpression(u"^(.+)\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}(\\.[^.]*)?$"_s)},
        {Engine::Nextcloud,
         QRegularExpression(u"^(.+) \\(conflicted copy [^()]*\\d{4}-\\d{2}-\\d{2} \\d{6}\\)(\\.[^.]*)?$"_s)},
        {Engine::Nextcloud, QRegularExpression(u"^(.+)_conflict-\\d{8}-\\d{6}(\\.[^.]*)?$"_s)},
        {Engine::Dropbox,
         QRegularExpression(
             u"^(.+) \\([^()]*['\u2019]s conflicted copy \\d{4}-\\d{2}-\\d{2}(?: \\(\\d+\\))?\\)(\\.[^.]*)?$"_s)},
    }};
    return all;
}

bool isDictionaryName(QStringView name)
{
    return name.contains(u".wrd"_s) || name.contains(u".WRD"_s);
}

// Whether a copy holds text a dictionary could be: a readable regular file,
// not larger than any dictionary gets, and no bytes of zero outside UTF-16.
bool holdsText(const QString &path)
{
    constexpr qint64 Largest = 4 * 1024 * 1024;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > Largest)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const bool utf16 = data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF");
    return utf16 || !data.contains('\0');
}

QString freePlace(const QDir &dir, const QString &name)
{
    QString candidate = dir.filePath(name);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = dir.filePath(stem + u" ("_s + QString::number(n) + u')' + extension);
    return candidate;
}

} // namespace

std::optional<ConflictCopies::Name> ConflictCopies::Recognise(QStringView fileName)
{
    // Every engine's mark says "conflict": the names of a folder's own
    // dictionaries are told without the patterns, which a scan at start-up
    // would otherwise compile.
    if (!fileName.contains(u"conflict"_s, Qt::CaseInsensitive))
        return std::nullopt;
    std::optional<Name> found;
    QString name = fileName.toString();
    // A copy of a copy carries one mark after the other.
    for (int depth = 0; depth < 8; ++depth) {
        bool stripped = false;
        for (const Pattern &pattern : patterns()) {
            const QRegularExpressionMatch match = pattern.expression.match(name);
            if (!match.hasMatch())
                continue;
            if (!found)
                found = Name{QString(), pattern.engine};
            name = match.captured(1) + match.captured(2);
            stripped = true;
            break;
        }
        if (!stripped)
            break;
    }
    if (!found || !isDictionaryName(name))
        return std::nullopt;
    found->original = name;
    return found;
}

QList<ConflictCopies::Copy> ConflictCopies::Find(const QString &folder)
{
    QList<Copy> copies;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        const std::optional<Name> recognised = Recognise(name);
        if (!recognised)
            continue;
        const QString path = dir.filePath(name);
        copies.append({path, dir.filePath(recognised->original), recognised->engine, holdsText(path)});
    }
    return copies;
}

ConflictCopies::Merged ConflictCopies::Merge(const Copy &copy)
{
    using Failure = Merged::Failure;
    Merged result;
    const auto fail = [&result](Failure failure) {
        result.failure = failure;
        return result;
    };
    if (!copy.dictionary || !holdsText(copy.path))
        return fail(Failure::NotDictionary);
    const WordFile theirs(copy.path);
    if (theirs.status == WordFile::Unreadable)
        return fail(Failure::CopyUnreadable);
    WordFile dictionary(copy.originalPath);
    if (dictionary.status == WordFile::Unreadable)
        return fail(Failure::DictionaryUnreadable);
    const LineMerge::Result merged = LineMerge::Union(dictionary.lines, theirs.lines);
    if (!merged.added.isEmpty()) {
        dictionary.lines = merged.lines;
        if (dictionary.Save() != 1) {
            result.error = dictionary.saveError;
            return fail(Failure::DictionaryNotWritten);
        }
    }
    result.added = static_cast<int>(merged.added.size());

    // The copy is kept, out of the way of the dictionaries, for a learner who
    // wants to look at it again.
    const QDir beside = QFileInfo(copy.path).dir();
    if (!beside.mkpath(KeptFolder.toString()))
        return fail(Failure::NotMoved);
    const QString target = freePlace(QDir(beside.filePath(KeptFolder.toString())), QFileInfo(copy.path).fileName());
    if (!QFile::rename(copy.path, target))
        return fail(Failure::NotMoved);
    result.keptAs = target;
    return result;
}

QString ConflictCopies::EngineName(Engine engine)
{
    switch (engine) {
    case Engine::Syncthing:
        return u"Syncthing"_s;
    case Engine::Nextcloud:
        return u"Nextcloud"_s;
    case Engine::Dropbox:
        return u"Dropbox"_s;
    }
    return QString();
}
