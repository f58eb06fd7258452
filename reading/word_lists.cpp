#include "reading/word_lists.h"

#include <QFile>
#include <QList>
#include <QStringList>

using namespace Qt::StringLiterals;

// The resources of a static library register only when asked by name.
static void registerLists()
{
    Q_INIT_RESOURCE(reading_lists);
}

namespace {

// The words of a list file, one line at a time, comments left out.
QList<QStringList> listLines(const QString &name)
{
    static const bool registered = (registerLists(), true);
    Q_UNUSED(registered);
    QFile file(u":/reading/"_s + name);
    QList<QStringList> lines;
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the built-in word list %s is missing", qPrintable(name));
    const QString text = QString::fromUtf8(file.readAll());
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const QStringView body = line.left(line.indexOf(u'#')).trimmed();
        if (body.isEmpty())
            continue;
        QStringList words;
        for (const QStringView word : body.split(u' ', Qt::SkipEmptyParts))
            words.append(word.toString().toLower());
        lines.append(words);
    }
    return lines;
}

QSet<QString> wordSet(std::initializer_list<QString> names)
{
    QSet<QString> words;
    for (const QString &name : names) {
        for (const QStringList &line : listLines(name))
            words.unite(QSet<QString>(line.cbegin(), line.cend()));
    }
    return words;
}

} // namespace

namespace WordLists {

const QSet<QString> &FunctionWords()
{
    static const QSet<QString> words = wordSet({u"function-words.txt"_s, u"interjections.txt"_s});
    return words;
}

const QSet<QString> &CapitalisedWords()
{
    static const QSet<QString> words = wordSet({u"capitalised-words.txt"_s});
    return words;
}

const QSet<QString> &Titles()
{
    static const QSet<QString> words{u"mr"_s,   u"mrs"_s,    u"ms"_s,  u"dr"_s,  u"st"_s,   u"jr"_s,
                                     u"sr"_s,   u"messrs"_s, u"mme"_s, u"mlle"_s, u"prof"_s, u"esq"_s};
    return words;
}

const QSet<QString> &ForeignWords()
{
    static const QSet<QString> words = wordSet({u"not-words.txt"_s});
    return words;
}

const QHash<QString, QString> &OtherSpellings()
{
    static const QHash<QString, QString> spellings = [] {
        QHash<QString, QString> pairs;
        for (const QStringList &line : listLines(u"spellings.txt"_s)) {
            if (line.size() == 2) {
                pairs.insert(line[0], line[1]);
                pairs.insert(line[1], line[0]);
            }
        }
        return pairs;
    }();
    return spellings;
}

} // namespace WordLists
