#include "dict/word_file.h"

#include "dict/cp1251.h"
#include "dict/file_replace.h"
#include "dict/line_merge.h"
#include "dict/merge_report.h"
#include "dict/save_rescue.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>


namespace {

constexpr char16_t Cr = 0x000D;
constexpr char16_t Lf = 0x000A;
constexpr char16_t LineSeparator = 0x2028;

// The whole file as text, by its byte order mark; without a mark every byte
// is one Windows-1251 character. A zero code unit ends the text.
QString decodeFile(const QByteArray &data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    QString text;
    if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const bool little = bytes[0] == 0xFF;
        text.resize((size - 2) / 2);
        QChar *out = text.data();
        qsizetype n = 0;
        for (qsizetype i = 2; i + 1 < size; i += 2) {
            const char16_t unit = little ? qFromLittleEndian<quint16>(bytes + i) : qFromBigEndian<quint16>(bytes + i);
            if (unit == 0)
                break;
            out[n++] = QChar(unit);
        }
        text.truncate(n);
        return text;
    }
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text = QString::fromUtf8(data.constData() + 3, size - 3);
        const qsizetype end = text.indexOf(QChar(u'\0'));
        if (end >= 0)
            text.truncate(end);
        return text;
    }
    const auto *zero = static_cast<const uchar *>(std::memchr(bytes, 0, static_cast<std::size_t>(size)));
    const qsizetype length = zero ? zero - bytes : size;
    text.resize(length);
    QChar *out = text.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(Cp1251::toUnicode(bytes[i]));
    return text;
}

// Lines end at CR LF, CR, LF or U+2028; a U+2028 right after CR, LF or CR LF
// is part of the same break. A break at the very end adds no empty line.
QStringList splitLines(QStringView text)
{
    QStringList lines;
    const qsizetype size = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char16_t ch = text[i].unicode();
        if (ch != Cr && ch != Lf && ch != LineSeparator) {
            ++i;
            continue;
        }
        lines.append(text.mid(start, i - start).toString());
        ++i;
        if (ch == Cr && i < size && text[i].unicode() == Lf)
            ++i;
        if (ch != LineSeparator && i < size && text[i].unicode() == LineSeparator)
            ++i;
        start = i;
    }
    if (start < size)
        lines.append(text.mid(start).toString());
    return lines;
}

// The real text of a line in the stored form: its characters taken back to
// Windows-1251 bytes and those decoded as UTF-8. None when the line cannot be
// in the stored form: a character outside Windows-1251, or bytes that are not
// well-formed UTF-8. Sequences of 1 to 3 bytes cover what the program writes,
// the surrogate code units of 3 bytes included; sequences of 4 bytes come from
// plain UTF-8 files and give a surrogate pair. Overlong forms are refused.
std::optional<QString> fromStoredForm(const QString &line)
{
    const qsizetype size = line.size();
    const QChar *in = line.constData();
    qsizetype i = 0;
    while (i < size && in[i].unicode() < 0x80)
        ++i;
    if (i == size)
        return line; // plain ASCII is its own stored form

    // Every code unit of the text takes at least one byte, so the text is
    // never longer than its stored form.
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    std::copy(in, in + i, out);
    qsizetype n = i;
    const auto byteAt = [in](qsizetype k) { return Cp1251::byteOf(in[k].unicode()); };
    while (i < size) {
        const int lead = byteAt(i);
        if (lead < 0)
            return std::nullopt;
        if (lead < 0x80) {
            out[n++] = QChar(char16_t(lead));
            ++i;
            continue;
        }
        int trail = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1, code = lead & 0x1Fu, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2, code = lead & 0x0Fu, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3, code = lead & 0x07u, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (size - i <= trail)
            return std::nullopt; // cut off at the end of the line
        for (int k = 1; k <= trail; ++k) {
            const int next = byteAt(i + k);
            if (next < 0 || (next & 0xC0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (char32_t(next) & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF)
            return std::nullopt;
        if (code >= 0x10000) {
            out[n++] = QChar(QChar::highSurrogate(code));
            out[n++] = QChar(QChar::lowSurrogate(code));
        } else {
            out[n++] = QChar(static_cast<char16_t>(code));
        }
        i += trail + 1;
    }
    text.truncate(n);
    return text;
}

// Every UTF-16 code unit as UTF-8 on its own (a surrogate takes 3 bytes), and
// every byte as its Windows-1251 character.
void appendStoredForm(QString &out, QStringView line)
{
    const auto put = [&out](unsigned byte) { out.append(QChar(Cp1251::toUnicode(static_cast<uchar>(byte)))); };
    for (const QChar ch : line) {
        const unsigned unit = ch.unicode();
        if (unit < 0x80) {
            put(unit);
        } else if (unit < 0x800) {
            put(0xC0u | (unit >> 6));
            put(0x80u | (unit & 0x3Fu));
        } else {
            put(0xE0u | (unit >> 12));
            put(0x80u | ((unit >> 6) & 0x3Fu));
            put(0x80u | (unit & 0x3Fu));
        }
    }
}

QByteArray encodeFile(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        appendStoredForm(text, line);
        text.append(QChar(Cr));
        text.append(QChar(Lf));
    }
    QByteArray data;
    data.reserve(2 + 2 * text.size());
    data.append('\xFF').append('\xFE');
    for (const QChar ch : std::as_const(text)) {
        const char16_t unit = ch.unicode();
        data.append(static_cast<char>(unit & 0xFF));
        data.append(static_cast<char>(unit >> 8));
    }
    return data;
}

// The lines of a file's bytes in their real text; undecoded gets the
// indices of the lines that are not in the stored form, kept as read.
QStringList decodeLines(const QByteArray &data, QList<qsizetype> *undecoded)
{
    QStringList lines;
    for (const QString &stored : splitLines(decodeFile(data))) {
        // A line that cannot be in the stored form is real text already (a
        // file written by another editor); it is kept as it is, so that a
        // later save does not erase it.
        const std::optional<QString> text = fromStoredForm(stored);
        if (!text && undecoded)
            undecoded->append(lines.size());
        lines.append(text.value_or(stored));
    }
    return lines;
}

QByteArray digestOf(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}

// A regular file's whole content; none when it is missing, not a regular
// file or cannot be read.
std::optional<QByteArray> readRegularFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

int statusFor(qsizetype lineCount)
{
    if (lineCount >= WordFile::FullAt)
        return WordFile::Full;
    if (lineCount < WordFile::MinPlayable)
        return WordFile::TooFew;
    return WordFile::Playable;
}

} // namespace

WordFile::WordFile(const QString &path)
    : path(path)
{
    Load();
}

WordFile::~WordFile()
{
    if (modified != 0)
        SaveOrRescue();
}

int WordFile::Load()
{
    lines.clear();
    undecoded.clear();
    loadError = 0;
    m_base.clear();
    m_baseDigest.clear();
    const auto unreadable = [this](int error) {
        loadError = error;
        return status = Unreadable;
    };
    if (path.isEmpty())
        return unreadable(ENOENT);

    // A missing dictionary starts as an empty file; an existing one is not
    // touched, and a failure here shows up as an unreadable file below.
    if (QFile create(path); !QFileInfo::exists(path) && !create.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return unreadable(create.error() == QFileDevice::OpenError && errno != 0 ? errno : EACCES);

    // Only a regular file can be a dictionary: reading a named pipe would
    // wait for a writer for ever, and a device such as /dev/zero never ends.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        return unreadable(EINVAL);

    QFile in(path);
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        return unreadable(errno != 0 ? errno : EACCES);
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return unreadable(EIO);

    lines = decodeLines(data, &undecoded);
    m_base = lines;
    m_baseDigest = digestOf(data);
    return status = statusFor(lines.size());
}

QByteArray WordFile::StoredForm(const QStringList &lines)
{
    return encodeFile(lines);
}

int WordFile::Save()
{
    if (status == Unreadable) {
        saveError = NotLoaded;
        return -1;
    }
    mergeWithDisk();
    const QByteArray data = encodeFile(lines);
    saveError = ReplaceFileContent(path, data).error;
    if (saveError != 0)
        return -1;
    m_base = lines;
    m_baseDigest = digestOf(data);
    return 1;
}

// Compared by content: a copy brought by file sync may carry any time. A
// file that is gone or cannot be read now has nothing to merge; the write
// then puts the lines back whole, as before.
void WordFile::mergeWithDisk()
{
    if (m_baseDigest.isEmpty())
        return;
    const std::optional<QByteArray> now = readRegularFile(path);
    if (!now)
        return;
    const QByteArray digest = digestOf(*now);
    if (digest == m_baseDigest)
        return;
    const QStringList theirs = decodeLines(*now, nullptr);
    LineMerge::Result merged = LineMerge::ThreeWay(m_base, lines, theirs);
    lines = merged.lines;
    undecoded.clear();
    // What is on disk is now the version this one was merged with, also when
    // the write below fails.
    m_base = theirs;
    m_baseDigest = digest;
    if (merged.tookAnything())
        MergeReport::report({path, std::move(merged)});
}

int WordFile::SaveOrRescue()
{
    if (Save() == 1)
        return 1;
    // An unreadable file that was never edited holds nothing of the
    // learner's in memory.
    if (status == Unreadable && lines.isEmpty())
        return -1;
    if (m_rescued == lines)
        return -1;
    m_rescued = lines;
    SaveRescue::report({path, saveError, SaveRescue::write(path, lines)});
    return -1;
}
