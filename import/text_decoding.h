#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The text of a word list from its bytes, whatever wrote it: UTF-8 with or
// without a byte order mark, UTF-16 with a mark (spreadsheets' "Unicode
// text"), or Windows-1251 from older Russian programs, told apart from
// broken UTF-8 by the runs of Cyrillic letters Russian words make.
namespace TextDecoding {

enum class Encoding { Utf8, Utf8WithMark, Utf16, Cp1251 };

struct Decoded
{
    QString text;
    Encoding encoding = Encoding::Utf8;
    // 1-based numbers of the lines that are in none of these encodings;
    // when there are any, text is only an approximation.
    QList<int> badLines;
    // The bytes are no text at all (zero bytes outside UTF-16).
    bool binary = false;
};

Decoded Decode(const QByteArray &data);

// Whether bytes that are not UTF-8 read as Russian in Windows-1251.
bool LooksLikeCp1251(const QByteArray &data);

} // namespace TextDecoding
