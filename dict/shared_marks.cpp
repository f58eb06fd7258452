#include "dict/shared_marks.h"

#include "dict/file_replace.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Header = "# Lexomat marks of one computer: time (ms since 1970, UTC), mark, 0 or 1, dictionary\n";
const QString Extension = u".tsv"_s;

QString markName(SharedMarks::Mark mark)
{
    return mark == SharedMarks::Mark::Exclude ? u"exclude"_s : u"repeat"_s;
}

// A tab, a line break or a backslash in a file name must not end its field.
QString escaped(const QString &text)
{
    QString out;
    for (const QChar ch : text) {
        if (ch == u'\\')
            out += u"\\\\"_s;
        else if (ch == u'\t')
            out += u"\\t"_s;
        else if (ch == u'\n')
            out += u"\\n"_s;
        else if (ch == u'\r')
            out += u"\\r"_s;
        else
            out += ch;
    }
    return out;
}

QString unescaped(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return out;
}

// (mark, dictionary) -> the change. Lines that do not parse and marks this
// Lexomat does not know are passed over, and fields after the fourth left
// out, so that a newer Lexomat may add to the file.
using Changes = QMap<std::pair<QString, QString>, SharedMarks::Value>;

Changes readChanges(const QString &path)
{
    Changes changes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return changes;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 4 || (fields[2] != u"0"_s && fields[2] != u"1"_s))
            continue;
        bool ok = false;
        const qint64 time = fields[0].toLongLong(&ok);
        if (!ok || (fields[1] != u"exclude"_s && fields[1] != u"repeat"_s))
            continue;
        changes.insert({fields[1].toString(), unescaped(fields[3])}, {fields[2] == u"1"_s, time});
    }
    return changes;
}

} // namespace

SharedMarks::SharedMarks(const QString &root)
    : m_folder(root + u"/marks"_s)
{
}

std::optional<SharedMarks::Value> SharedMarks::Read(Mark mark, const QString &dictionary) const
{
    const std::pair<QString, QString> key{markName(mark), dictionary};
    std::optional<Value> latest;
    // By name, so that two changes of the same time end the same way on
    // every computer: the later name wins.
    const QStringList files = QDir(m_folder).entryList({u"*"_s + Extension}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        const Changes changes = readChanges(m_folder + u'/' + name);
        const auto found = changes.constFind(key);
        if (found != changes.cend() && (!latest || found->time >= latest->time))
            latest = *found;
    }
    return latest;
}

bool SharedMarks::Write(Mark mark, const QString &dictionary, bool set, qint64 time, const QString &computerId)
{
    const std::optional<Value> latest = Read(mark, dictionary);
    if (latest ? latest->set == set : !set)
        return true;
    // A change made here follows every change seen here, also when the other
    // computer's clock runs ahead.
    if (latest)
        time = std::max(time, latest->time + 1);

    const QString path = m_folder + u'/' + computerId + Extension;
    Changes own = readChanges(path);
    own.insert({markName(mark), dictionary}, {set, time});
    QByteArray data = Header;
    for (auto it = own.cbegin(); it != own.cend(); ++it) {
        data += QString(QString::number(it->time) + u'\t' + it.key().first + u'\t' + (it->set ? u'1' : u'0') + u'\t'
                        + escaped(it.key().second) + u'\n')
                    .toUtf8();
    }
    if (!QDir().mkpath(m_folder))
        return false;
    return ReplaceFileContent(path, data).ok();
}
