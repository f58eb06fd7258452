#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text of a file's bytes as the importer decodes word lists (UTF-8 with
// or without a byte order mark, UTF-16 with one, Windows-1251), with one
// difference for running text: bytes that are in none of these are read as
// Windows-1251, whose punctuation (curly quotes, dashes) is that of the
// Windows code pages English text is written in. None for binary data.
namespace PlainText {

std::optional<QString> Decode(const QByteArray &data);

// Whether the characters look like text: few control characters other than
// line breaks, tabs and form feeds.
bool LooksLikeText(const QString &text);

} // namespace PlainText
