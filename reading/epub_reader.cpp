#include "reading/epub_reader.h"

#include "reading/markup_text.h"
#include "reading/zip_archive.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>


using namespace Qt::StringLiterals;
using Reading::ReadProblem;

namespace {

using Kind = ReadProblem::Kind;

// The package names its parts by paths relative to itself.
struct Package
{
    QString folder; // of the package document, with a trailing '/' unless empty
    QHash<QString, QString> hrefs; // manifest id → href
    QStringList spine;             // ids in reading order
};

class Archive
{
public:
    Archive(QIODevice &device, const QString &path)
        : m_device(device)
        , m_path(path)
    {
    }

    bool open()
    {
        QString unavailable;
        m_zip = ZipArchives::Make(&unavailable);
        if (!m_zip) {
            m_problem = problem(Kind::ZipUnavailable);
            m_problem->detail = unavailable;
            return false;
        }
        if (m_zip->open(&m_device))
            return true;
        m_problem = problem(Kind::BrokenZip);
        m_problem->detail = m_zip->errorText();
        return false;
    }

    bool has(const QString &name) { return m_zip->select(name); }

    // The unpacked bytes of an entry, counted against the text budget;
    // none, with problem() set, when it cannot be read or goes past it.
    std::optional<QByteArray> read(const QString &name)
    {
        if (!has(name)) {
            m_problem = problem(Kind::BrokenZip);
            m_problem->detail = name;
            return std::nullopt;
        }
        QByteArray data;
        bool overLimit = false;
        const bool whole = m_zip->read([&](const char *bytes, qint64 size) {
            m_unpacked += size;
            if (m_unpacked > Reading::MaxTextBytes) {
                overLimit = true;
                return false;
            }
            data.append(bytes, size);
            return true;
        });
        if (overLimit || !whole) {
            m_problem = problem(overLimit ? Kind::TextLimit : Kind::BrokenZip);
            m_problem->detail = name;
            return std::nullopt;
        }
        return data;
    }

    ReadProblem problem(Kind kind) const { return ReadProblem{kind, m_path}; }
    std::optional<ReadProblem> takeProblem() { return std::exchange(m_problem, std::nullopt); }

private:
    QIODevice &m_device;
    QString m_path;
    std::unique_ptr<ZipArchive> m_zip;
    qint64 m_unpacked = 0;
    std::optional<ReadProblem> m_problem;
};

// Runs a small XML document of the package through handler for each start
// element; a problem when it is no sound XML or declares entities.
template <typename Handler>
std::optional<ReadProblem> parseXml(const QByteArray &xml, const QString &path, Handler handler)
{
    QXmlStreamReader reader(xml);
    reader.setEntityExpansionLimit(0);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::DTD && !reader.entityDeclarations().isEmpty()) {
            ReadProblem problem{Kind::XmlEntities, path};
            problem.line = static_cast<int>(reader.lineNumber());
            return problem;
        }
        if (token == QXmlStreamReader::StartElement)
            handler(reader);
    }
    if (reader.hasError()) {
        ReadProblem problem{Kind::NotEpub, path};
        problem.line = static_cast<int>(reader.lineNumber());
        problem.detail = reader.errorString();
        return problem;
    }
    return std::nullopt;
}

QString partPath(const Package &package, const QString &href)
{
    QString decoded = QUrl::fromPercentEncoding(href.toUtf8());
    if (const qsizetype hash = decoded.indexOf(u'#'); hash >= 0)
        decoded.truncate(hash);
    return QDir::cleanPath(package.folder + decoded);
}

} // namespace

namespace EpubReader {

Reading::ReadResult Read(QIODevice &device, const QString &path, const Reading::ProgressFunction &progress)
{
    Reading::ReadResult result;
    Archive archive(device, path);
    if (!archive.open()) {
        result.problem = archive.takeProblem();
        return result;
    }
    const auto notEpub = [&](const QString &detail) {
        ReadProblem problem = archive.problem(Kind::NotEpub);
        problem.detail = detail;
        result.problem = problem;
        return result;
    };

    const QString containerName = u"META-INF/container.xml"_s;
    if (!archive.has(containerName))
        return notEpub(containerName);
    const std::optional<QByteArray> container = archive.read(containerName);
    if (!container) {
        result.problem = archive.takeProblem();
        return result;
    }
    QString packagePath;
    if (auto problem = parseXml(*container, path, [&](QXmlStreamReader &reader) {
            if (packagePath.isEmpty() && reader.name() == u"rootfile"_s)
                packagePath = reader.attributes().value(u"full-path"_s).toString();
        })) {
        result.problem = problem;
        return result;
    }
    packagePath = QDir::cleanPath(packagePath);
    if (packagePath.isEmpty() || packagePath.startsWith(u"../"_s) || !archive.has(packagePath))
        return notEpub(packagePath.isEmpty() ? containerName : packagePath);
    const std::optional<QByteArray> opf = archive.read(packagePath);
    if (!opf) {
        result.problem = archive.takeProblem();
        return result;
    }

    Package package;
    if (const qsizetype slash = packagePath.lastIndexOf(u'/'); slash >= 0)
        package.folder = packagePath.left(slash + 1);
    if (auto problem = parseXml(*opf, path, [&](QXmlStreamReader &reader) {
            const QXmlStreamAttributes attributes = reader.attributes();
            if (reader.name() == u"item"_s) {
                const QString id = attributes.value(u"id"_s).toString();
                if (!id.isEmpty() && !package.hrefs.contains(id))
                    package.hrefs.insert(id, attributes.value(u"href"_s).toString());
            } else if (reader.name() == u"itemref"_s) {
                package.spine.append(attributes.value(u"idref"_s).toString());
            }
        })) {
        result.problem = problem;
        return result;
    }

    Reading::Document document;
    document.format = Reading::Format::Epub;
    QSet<QString> read{packagePath, containerName};
    int parts = 0;
    for (qsizetype i = 0; i < package.spine.size(); ++i) {
        if (progress && !progress(static_cast<int>(1000 * i / package.spine.size()))) {
            result.problem = archive.problem(Kind::Cancelled);
            return result;
        }
        const QString &id = package.spine[i];
        const auto href = package.hrefs.constFind(id);
        if (href == package.hrefs.cend() || href->isEmpty()) {
            document.missingParts.append(id.isEmpty() ? u"?"_s : id);
            continue;
        }
        const QString part = partPath(package, *href);
        // A part named again (or the package itself) would be read twice,
        // or round and round.
        if (read.contains(part)) {
            document.repeatedParts.append(part);
            continue;
        }
        if (part.startsWith(u"../"_s) || !archive.has(part)) {
            document.missingParts.append(part);
            continue;
        }
        read.insert(part);
        const std::optional<QByteArray> bytes = archive.read(part);
        if (!bytes) {
            const std::optional<ReadProblem> problem = archive.takeProblem();
            if (problem && problem->kind == Kind::TextLimit) {
                result.problem = problem;
                return result;
            }
            document.missingParts.append(part);
            continue;
        }
        document.text += MarkupText::HtmlText(MarkupText::DecodeHtml(*bytes));
        ++parts;
    }
    if (parts == 0) {
        ReadProblem problem = archive.problem(Kind::NoSpine);
        problem.detail = packagePath;
        result.problem = problem;
        return result;
    }
    result.document = std::move(document);
    return result;
}

} // namespace EpubReader
