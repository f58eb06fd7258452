#include "reading/plain_text.h"

#include "dict/cp1251.h"
#include "import/text_decoding.h"

namespace PlainText {

std::optional<QString> Decode(const QByteArray &data)
{
    TextDecoding::Decoded decoded = TextDecoding::Decode(data);
    if (decoded.binary)
        return std::nullopt;
    if (!decoded.badLines.isEmpty() && decoded.encoding != TextDecoding::Encoding::Utf16) {
        const qsizetype mark = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        QString text(data.size() - mark, Qt::Uninitialized);
        QChar *out = text.data();
        for (qsizetype i = mark; i < data.size(); ++i)
            *out++ = QChar(Cp1251::toUnicode(static_cast<uchar>(data[i])));
        return text;
    }
    return std::move(decoded.text);
}

bool LooksLikeText(const QString &text)
{
    qsizetype control = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if ((c < 0x20 && c != u'\n' && c != u'\r' && c != u'\t' && c != u'\f') || c == 0xFFFD)
            ++control;
    }
    // A stray byte here and there is damage; many are no text.
    return control * 100 <= text.size();
}

} // namespace PlainText
