#include "import/text_decoding.h"

#include "dict/cp1251.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// The Russian letters of Windows-1251: А to я, Ё and ё.
bool isRussianLetter(uchar byte)
{
    return byte >= 0xC0 || byte == 0xA8 || byte == 0xB8;
}

QString fromCp1251(const QByteArray &data)
{
    QString text(data.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < data.size(); ++i)
        out[i] = QChar(Cp1251::toUnicode(static_cast<uchar>(data[i])));
    return text;
}

} // namespace

namespace TextDecoding {

bool LooksLikeCp1251(const QByteArray &data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    qsizetype high = 0;
    qsizetype inWords = 0;
    qsizetype run = 0;
    qsizetype longestRun = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const uchar byte = bytes[i];
        run = isRussianLetter(byte) ? run + 1 : 0;
        longestRun = std::max(longestRun, run);
        if (byte < 0x80)
            continue;
        // The one byte the code page leaves unassigned.
        if (byte == 0x98)
            return false;
        ++high;
        // A Russian word is a run of letters; an accented letter of another
        // code page or a stray byte of broken UTF-8 mostly stands alone.
        if (isRussianLetter(byte)
            && ((i > 0 && isRussianLetter(bytes[i - 1])) || (i + 1 < size && isRussianLetter(bytes[i + 1]))))
            ++inWords;
    }
    // At least one word of three letters, and most high bytes in words.
    return longestRun >= 3 && inWords * 2 >= high;
}

Decoded Decode(const QByteArray &data)
{
    Decoded decoded;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();

    if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        QStringDecoder decoder(bytes[0] == 0xFF ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        decoded.text = decoder.decode(QByteArrayView(data).sliced(2));
        decoded.encoding = Encoding::Utf16;
        // Half a surrogate pair is no character.
        int line = 1;
        bool bad = false;
        const QString &text = decoded.text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar ch = text[i];
            if (ch == u'\n') {
                if (bad)
                    decoded.badLines.append(line);
                bad = false;
                ++line;
            } else if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
            } else if (ch.isSurrogate()) {
                bad = true;
            }
        }
        if (bad)
            decoded.badLines.append(line);
        return decoded;
    }

    QByteArray body = data;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body.remove(0, 3);
        decoded.encoding = Encoding::Utf8WithMark;
    }
    if (body.contains('\0')) {
        decoded.binary = true;
        return decoded;
    }
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        decoded.text = decoder.decode(body);
        if (!decoder.hasError())
            return decoded;
    }
    if (decoded.encoding == Encoding::Utf8 && LooksLikeCp1251(data)) {
        decoded.text = fromCp1251(data);
        decoded.encoding = Encoding::Cp1251;
        return decoded;
    }

    // Neither: every line that is not UTF-8 is told. A fresh decoder per
    // line, so that a sequence cut off at the end of a line counts as an
    // error of that line.
    int line = 1;
    for (const QByteArray &raw : body.split('\n')) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(raw);
        if (decoder.hasError())
            decoded.badLines.append(line);
        ++line;
    }
    return decoded;
}

} // namespace TextDecoding
