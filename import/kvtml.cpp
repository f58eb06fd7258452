#include "import/kvtml.h"

#include <QHash>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

struct Identifier
{
    QString locale;
    QString name;
};

struct Entry
{
    int line = 0;
    QHash<QString, QString> texts; // identifier -> translation text
};

// "en", "en_GB", "en-US" and the like.
bool hasLanguage(const Identifier &identifier, QStringView language, QStringView englishName)
{
    const QString locale = identifier.locale.trimmed().toLower();
    if (locale == language || locale.startsWith(language + u'_') || locale.startsWith(language + u'-'))
        return true;
    return identifier.locale.trimmed().isEmpty() && identifier.name.trimmed().compare(englishName, Qt::CaseInsensitive) == 0;
}

QString findLanguage(const QHash<QString, Identifier> &identifiers, QStringView language, QStringView englishName)
{
    for (auto it = identifiers.cbegin(); it != identifiers.cend(); ++it) {
        if (hasLanguage(it.value(), language, englishName))
            return it.key();
    }
    return {};
}

QStringList splitMeanings(const QString &text)
{
    QStringList meanings;
    QString current;
    for (const QChar ch : text) {
        if (ch == u',' || ch == u';' || ch == u'/' || ch == u'\n' || ch == u'\r') {
            meanings.append(current);
            current.clear();
        } else {
            current += ch;
        }
    }
    meanings.append(current);
    return meanings;
}

} // namespace

namespace Kvtml {

bool Recognise(const QByteArray &data, const QString &fileName)
{
    if (fileName.endsWith(u".kvtml"_s, Qt::CaseInsensitive))
        return true;
    return data.left(4096).toLower().contains("<kvtml");
}

WordList::Parsed Read(const QByteArray &data, const QString &fileName)
{
    using Kind = WordListProblem::Kind;
    WordList::Parsed parsed;
    QHash<QString, Identifier> identifiers;
    QList<Entry> entries;

    QXmlStreamReader xml(data);
    QStringList path; // names of the open elements
    QString identifier;
    QString translation;
    bool root = true;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            path.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (root && name != u"kvtml"_s) {
            parsed.problems.append({fileName, static_cast<int>(xml.lineNumber()),
                                    u"an XML file, but not KVTML"_s, Kind::BadXml});
            return parsed;
        }
        root = false;
        const QString parent = path.value(path.size() - 1);
        if (name == u"identifier"_s && parent == u"identifiers"_s) {
            identifier = xml.attributes().value(u"id"_s).toString();
            identifiers.insert(identifier, {});
        } else if ((name == u"locale"_s || name == u"name"_s) && parent == u"identifier"_s) {
            Identifier &current = identifiers[identifier];
            (name == u"locale"_s ? current.locale : current.name) = xml.readElementText();
            continue; // the reader stands on the end element already
        } else if (name == u"entry"_s && parent == u"entries"_s) {
            entries.append(Entry{static_cast<int>(xml.lineNumber()), {}});
        } else if (name == u"translation"_s && parent == u"entry"_s && !entries.isEmpty()) {
            translation = xml.attributes().value(u"id"_s).toString();
        } else if (name == u"text"_s && parent == u"translation"_s && !entries.isEmpty()) {
            entries.last().texts.insert(translation, xml.readElementText(QXmlStreamReader::IncludeChildElements));
            continue;
        }
        path.append(name);
    }
    if (xml.hasError()) {
        parsed.problems.append({fileName, static_cast<int>(xml.lineNumber()),
                                u"the XML is not well-formed: "_s + xml.errorString(), Kind::BadXml});
        return parsed;
    }

    QString english = findLanguage(identifiers, u"en", u"English");
    QString russian = findLanguage(identifiers, u"ru", u"Russian");
    // Of two languages, one known names the other.
    if (identifiers.size() == 2 && english.isEmpty() != russian.isEmpty()) {
        for (auto it = identifiers.cbegin(); it != identifiers.cend(); ++it) {
            if (it.key() != english && it.key() != russian)
                (english.isEmpty() ? english : russian) = it.key();
        }
    }
    if (english.isEmpty() || russian.isEmpty() || english == russian) {
        parsed.problems.append({fileName, 0,
                                u"no English and Russian languages among the identifiers (locales en and ru)"_s,
                                Kind::NoLanguages});
        return parsed;
    }

    for (const Entry &entry : std::as_const(entries)) {
        const QString word = entry.texts.value(english).simplified();
        const QString meanings = entry.texts.value(russian);
        if (WordList::Trimmed(word).isEmpty() && WordList::Trimmed(meanings).isEmpty())
            continue;
        if (auto made = WordList::MakeEntry(word, splitMeanings(meanings), entry.line, fileName, parsed.problems))
            parsed.entries.append(*made);
    }
    return parsed;
}

} // namespace Kvtml
