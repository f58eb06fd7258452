#include "dict/shared_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QString SharedFolder::Path()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/lexomat"_s;
}

std::optional<QString> SharedFolder::NameOf(const QString &root, const QString &dictionaryPath)
{
    // By the real folders: the data folder may be reached through a link.
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    const QFileInfo dictionary(dictionaryPath);
    const QString realFolder = QFileInfo(dictionary.absolutePath()).canonicalFilePath();
    if (realRoot.isEmpty() || realFolder.isEmpty() || dictionary.fileName().isEmpty())
        return std::nullopt;
    if (realFolder != realRoot && !realFolder.startsWith(realRoot + u'/'))
        return std::nullopt;
    return QDir(realRoot).relativeFilePath(realFolder + u'/' + dictionary.fileName());
}
