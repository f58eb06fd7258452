#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QFile;

// The article text of a dictd dictionary: a plain ".dict" file or a dictzip
// ".dict.dz" file. Dictzip is gzip whose header's extra field (subfield
// "RA") lists the compressed size of every chunk of the text; each chunk of
// the same uncompressed length is deflated on its own, so an article is read
// by inflating only the chunks it lies in.
//
// A damaged file never makes a read crash, hang or allocate more than the
// asked length and one chunk: a read that cannot be answered from the file
// gives none. Reading is const and needs no lock, so one object serves
// several threads.
class DictdData
{
public:
    // Reads longer than this are refused: no dictionary article comes close,
    // and a damaged index may ask for anything.
    static constexpr quint64 MaxRead = 1 << 20;

    DictdData() = default;

    // The file is mapped, not read; by its name it is taken as dictzip
    // (".dz") or plain text.
    static DictdData openFile(const QString &path);
    static DictdData fromDictzip(QByteArray bytes);
    static DictdData fromPlain(QByteArray bytes);

    // Whether the file could be opened and, for dictzip, has a chunk table.
    bool isValid() const { return m_valid; }
    // The uncompressed length the file claims.
    quint64 size() const { return m_size; }

    // The bytes [offset, offset + length) of the text; none when they lie
    // beyond the text, are longer than MaxRead, or a chunk they need is cut
    // off or not deflate data.
    std::optional<QByteArray> read(quint64 offset, quint64 length) const;

private:
    bool parseDictzipHeader();
    // Inflates chunk `chunk` up to `wanted` bytes of its output.
    std::optional<QByteArray> inflateChunk(qsizetype chunk, quint64 wanted) const;

    std::shared_ptr<QFile> m_file;  // holds the mapping of m_bytes
    QByteArray m_bytes;
    bool m_valid = false;
    bool m_compressed = false;
    quint64 m_size = 0;
    quint64 m_chunkLength = 0;
    // Start of every chunk in the file, and the end of the last.
    std::vector<quint64> m_chunkStarts;
};
