#include "dict/review_mark.h"

#include "dict/file_replace.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Larger than any mark this program writes: anything bigger is no mark.
constexpr qint64 MaxMarkSize = 1024;

QByteArray digestOf(const QByteArray &content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : QString(folder + u'/');
}

std::optional<QByteArray> readSmall(const QString &path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

} // namespace

namespace ReviewMark {

QString PathIn(const QString &folder)
{
    return withSlash(folder) + u".lexomat-review"_s;
}

QString Current(const QString &folder)
{
    // The mark is one line: the dictionary's file name, a tab, the digest.
    const std::optional<QByteArray> mark = readSmall(PathIn(folder), MaxMarkSize);
    if (!mark)
        return {};
    const QList<QByteArray> fields = mark->trimmed().split('\t');
    if (fields.size() != 2)
        return {};
    const QString name = QString::fromUtf8(fields[0]);
    if (name.isEmpty() || name.contains(u'/') || name == u".."_s)
        return {};
    const QString path = withSlash(folder) + name;
    // A dictionary holds 70 lines at most; a far larger file is not the one written.
    const std::optional<QByteArray> content = readSmall(path, 1 << 20);
    if (!content || digestOf(*content) != fields[1])
        return {};
    return name;
}

bool Holds(const QString &folder, const QString &path)
{
    if (!QFileInfo::exists(PathIn(folder)))
        return false;
    const QString name = Current(folder);
    return !name.isEmpty() && QFileInfo(path) == QFileInfo(withSlash(folder) + name);
}

bool Write(const QString &folder, const QString &fileName, const QByteArray &content)
{
    return ReplaceFileContent(PathIn(folder), fileName.toUtf8() + '\t' + digestOf(content) + '\n').ok();
}

} // namespace ReviewMark
