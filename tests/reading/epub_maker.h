#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

// ZIP archives and EPUB books made by the tests, entry by entry.
namespace EpubMaker {

using Entry = QPair<QString, QByteArray>;

inline QByteArray zip(const QList<Entry> &entries)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        QuaZip archive(&buffer);
        archive.setAutoClose(false);
        if (!archive.open(QuaZip::mdCreate))
            return {};
        for (const Entry &entry : entries) {
            QuaZipFile file(&archive);
            if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(entry.first)))
                return {};
            file.write(entry.second);
            file.close();
        }
        archive.close();
    }
    return buffer.data();
}

inline QByteArray container(const QString &packagePath = QStringLiteral("OEBPS/content.opf"))
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n"
                          "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
                          "<rootfiles><rootfile full-path=\"%1\" media-type=\"application/oebps-package+xml\"/>"
                          "</rootfiles></container>\n")
        .arg(packagePath)
        .toUtf8();
}

// A package document: manifest items (id, href) and the spine's idrefs.
inline QByteArray package(const QList<QPair<QString, QString>> &items, const QStringList &spine)
{
    QString opf = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\">\n"
                                 "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>T</dc:title></metadata>\n"
                                 "<manifest>\n");
    for (const auto &item : items) {
        opf += QStringLiteral("<item id=\"%1\" href=\"%2\" media-type=\"application/xhtml+xml\"/>\n")
                   .arg(item.first, item.second);
    }
    opf += QStringLiteral("</manifest>\n<spine>\n");
    for (const QString &idref : spine)
        opf += QStringLiteral("<itemref idref=\"%1\"/>\n").arg(idref);
    opf += QStringLiteral("</spine>\n</package>\n");
    return opf.toUtf8();
}

inline QByteArray chapter(const QString &body)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                          "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>Chapter</title></head>\n"
                          "<body>%1</body></html>\n")
        .arg(body)
        .toUtf8();
}

} // namespace EpubMaker
