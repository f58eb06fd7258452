#include "dict/save_rescue.h"

#include "dict/word_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

std::function<void(const SaveFailure &)> &handler()
{
    static std::function<void(const SaveFailure &)> instance;
    return instance;
}

// A new file in dir whose name tells the dictionary and the time.
QString freeName(const QString &dir, const QString &dictionaryPath)
{
    const QString base = QFileInfo(dictionaryPath).completeBaseName();
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyy-MM-dd_HH-mm-ss"_s);
    QString candidate = dir + u'/' + base + u'-' + stamp + u".wrd"_s;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = dir + u'/' + base + u'-' + stamp + u'-' + QString::number(n) + u".wrd"_s;
    return candidate;
}

QString writeInto(const QString &dir, const QString &dictionaryPath, const QStringList &lines)
{
    // Only into a folder of the user's own: the temporary folder is shared.
    if (!QDir().mkpath(dir) || QFileInfo(dir).ownerId() != ::getuid())
        return {};
    WordFile copy(freeName(dir, dictionaryPath));
    if (copy.status == WordFile::Unreadable)
        return {};
    copy.lines = lines;
    return copy.Save() == 1 ? copy.path : QString();
}

} // namespace

QString SaveRescue::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/lexomat/recovered"_s;
}

QString SaveRescue::write(const QString &dictionaryPath, const QStringList &lines)
{
    QString written = writeInto(folder(), dictionaryPath, lines);
    if (written.isEmpty())
        written = writeInto(QDir::tempPath() + u"/lexomat-recovered-"_s + QString::number(::getuid()),
                            dictionaryPath, lines);
    return written;
}

void SaveRescue::report(const SaveFailure &failure)
{
    if (handler()) {
        handler()(failure);
        return;
    }
    const QString text = failure.rescuedTo.isEmpty()
                             ? u"lexomat: %1 could not be written; the edits are lost\n"_s.arg(failure.path)
                             : u"lexomat: %1 could not be written; the edits are in %2\n"_s.arg(failure.path, failure.rescuedTo);
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

void SaveRescue::setHandler(std::function<void(const SaveFailure &)> newHandler)
{
    handler() = std::move(newHandler);
}
