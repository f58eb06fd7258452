#include "lexicon/dictd_data.h"

#include <QFile>

#include <zlib.h>

#include <algorithm>

namespace {

quint16 littleEndian16(const QByteArray &bytes, qsizetype at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

// gzip header flags.
constexpr quint8 FlagHeaderCrc = 0x02;
constexpr quint8 FlagExtra = 0x04;
constexpr quint8 FlagName = 0x08;
constexpr quint8 FlagComment = 0x10;

} // namespace

DictdData DictdData::openFile(const QString &path)
{
    DictdData data;
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return data;
    const qint64 size = file->size();
    QByteArray bytes;
    if (size > 0) {
        // Mapped pages belong to the page cache: nothing is read until an
        // article needs it, and nothing stays in the program's own memory.
        uchar *mapped = file->map(0, size);
        if (!mapped)
            return data;
        bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size));
    }
    data = path.endsWith(u".dz") ? fromDictzip(bytes) : fromPlain(bytes);
    data.m_file = std::move(file);
    return data;
}

DictdData DictdData::fromPlain(QByteArray bytes)
{
    DictdData data;
    data.m_bytes = std::move(bytes);
    data.m_size = quint64(data.m_bytes.size());
    data.m_valid = true;
    return data;
}

DictdData DictdData::fromDictzip(QByteArray bytes)
{
    DictdData data;
    data.m_bytes = std::move(bytes);
    data.m_compressed = true;
    data.m_valid = data.parseDictzipHeader();
    if (!data.m_valid) {
        data.m_size = 0;
        data.m_chunkStarts.clear();
    }
    return data;
}

bool DictdData::parseDictzipHeader()
{
    const QByteArray &b = m_bytes;
    const qsizetype size = b.size();
    if (size < 12 || quint8(b[0]) != 0x1F || quint8(b[1]) != 0x8B || quint8(b[2]) != 8)
        return false;
    const quint8 flags = quint8(b[3]);
    if (!(flags & FlagExtra))
        return false;
    const qsizetype extraLength = littleEndian16(b, 10);
    qsizetype at = 12;
    const qsizetype extraEnd = at + extraLength;
    if (extraEnd > size)
        return false;
    bool found = false;
    while (!found && at + 4 <= extraEnd) {
        const qsizetype fieldLength = littleEndian16(b, at + 2);
        const qsizetype fieldStart = at + 4;
        if (fieldStart + fieldLength > extraEnd)
            return false;
        if (b[at] == 'R' && b[at + 1] == 'A') {
            if (fieldLength < 6 || littleEndian16(b, fieldStart) != 1)
                return false;
            m_chunkLength = littleEndian16(b, fieldStart + 2);
            const qsizetype chunkCount = littleEndian16(b, fieldStart + 4);
            if (m_chunkLength == 0 || 6 + 2 * chunkCount > fieldLength)
                return false;
            m_chunkStarts.reserve(std::size_t(chunkCount) + 1);
            m_chunkStarts.push_back(0);
            for (qsizetype i = 0; i < chunkCount; ++i)
                m_chunkStarts.push_back(m_chunkStarts.back() + littleEndian16(b, fieldStart + 6 + 2 * i));
            m_size = quint64(chunkCount) * m_chunkLength;
            found = true;
        }
        at = fieldStart + fieldLength;
    }
    if (!found)
        return false;
    at = extraEnd;
    for (const quint8 flag : {FlagName, FlagComment}) {
        if (flags & flag) {
            const qsizetype zero = b.indexOf('\0', at);
            if (zero < 0)
                return false;
            at = zero + 1;
        }
    }
    if (flags & FlagHeaderCrc)
        at += 2;
    if (at > size)
        return false;
    for (quint64 &start : m_chunkStarts)
        start += quint64(at);
    return true;
}

std::optional<QByteArray> DictdData::inflateChunk(qsizetype chunk, quint64 wanted) const
{
    const quint64 start = m_chunkStarts[std::size_t(chunk)];
    const quint64 end = m_chunkStarts[std::size_t(chunk) + 1];
    // A chunk cut off by a truncated file is not read at all.
    if (end > quint64(m_bytes.size()))
        return std::nullopt;
    QByteArray out(qsizetype(std::min(wanted, m_chunkLength)), Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(m_bytes.constData() + start));
    stream.avail_in = uInt(end - start);
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    // Every call either makes progress or ends the loop; the output buffer
    // bounds what a hostile chunk can produce.
    int result = Z_OK;
    while (result == Z_OK && stream.avail_out > 0 && stream.avail_in > 0)
        result = inflate(&stream, Z_SYNC_FLUSH);
    inflateEnd(&stream);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
        return std::nullopt;
    out.truncate(out.size() - qsizetype(stream.avail_out));
    return out;
}

std::optional<QByteArray> DictdData::read(quint64 offset, quint64 length) const
{
    if (!m_valid || length > MaxRead || offset > m_size || length > m_size - offset)
        return std::nullopt;
    if (!m_compressed)
        return m_bytes.sliced(qsizetype(offset), qsizetype(length));
    QByteArray text;
    if (length == 0)
        return text;
    text.reserve(qsizetype(length));
    const quint64 end = offset + length;
    for (quint64 chunk = offset / m_chunkLength; chunk * m_chunkLength < end; ++chunk) {
        const quint64 chunkStart = chunk * m_chunkLength;
        const quint64 from = std::max(offset, chunkStart) - chunkStart;
        const quint64 to = std::min(end, chunkStart + m_chunkLength) - chunkStart;
        const auto inflated = inflateChunk(qsizetype(chunk), to);
        if (!inflated || quint64(inflated->size()) < to)
            return std::nullopt;
        text.append(inflated->constData() + from, qsizetype(to - from));
    }
    return text;
}
