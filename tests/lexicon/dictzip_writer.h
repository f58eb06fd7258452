#pragma once

#include <QByteArray>
#include <QList>

#include <zlib.h>

// Writes text as a dictzip file the way dictd's dictzip does: a gzip header
// whose extra field "RA" lists the compressed size of every chunk, each
// chunk deflated and flushed on its own. Test data for the reader.
inline QByteArray MakeDictzip(const QByteArray &text, int chunkLength, const QByteArray &fileName = {})
{
    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < text.size(); at += chunkLength) {
        z_stream stream{};
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
        const QByteArray piece = text.mid(at, chunkLength);
        QByteArray out(qsizetype(deflateBound(&stream, uLong(piece.size()))) + 16, '\0');
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(piece.constData()));
        stream.avail_in = uInt(piece.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, Z_FULL_FLUSH);
        out.truncate(out.size() - qsizetype(stream.avail_out));
        deflateEnd(&stream);
        chunks.append(out);
    }
    const auto le16 = [](QByteArray &bytes, qsizetype value) {
        bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
    };
    QByteArray field("RA");
    le16(field, 6 + 2 * chunks.size());
    le16(field, 1);
    le16(field, chunkLength);
    le16(field, chunks.size());
    for (const QByteArray &chunk : std::as_const(chunks))
        le16(field, chunk.size());
    QByteArray file("\x1F\x8B\x08", 3);
    file.append(char(0x04 | (fileName.isEmpty() ? 0 : 0x08)));
    file.append(QByteArray(4, '\0')).append('\x02').append('\x03');
    le16(file, field.size());
    file.append(field);
    if (!fileName.isEmpty())
        file.append(fileName).append('\0');
    for (const QByteArray &chunk : std::as_const(chunks))
        file.append(chunk);
    // The trailer: CRC-32 and length, as gzip ends.
    const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(text.constData()), uInt(text.size()));
    for (int shift = 0; shift < 32; shift += 8)
        file.append(char((crc >> shift) & 0xFF));
    for (int shift = 0; shift < 32; shift += 8)
        file.append(char((quint64(text.size()) >> shift) & 0xFF));
    return file;
}

// dictd's base-64 digits of a number.
inline QByteArray DictdNumber(quint64 value)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray out;
    do {
        out.prepend(digits[value % 64]);
        value /= 64;
    } while (value > 0);
    return out;
}
