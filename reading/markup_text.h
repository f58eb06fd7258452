#pragma once

#include "reading/document.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The running text of markup, each block (paragraph, heading, list item,
// table cell row, line break) ended by a blank line.
namespace MarkupText {

// HTML and XHTML as browsers take it, forgiving broken markup: the text of
// the body; head, scripts, styles, comments and tags left out; character
// references decoded.
QString HtmlText(QStringView html);

// The text of an HTML file's bytes: by its byte order mark, else by the
// character set it declares, else as plain text; empty for binary data.
QString DecodeHtml(const QByteArray &html);

// The character set an HTML file declares in its first kilobytes (a meta
// tag or an XML declaration), in lower case; empty when none.
QString DeclaredCharset(const QByteArray &html);

// A FictionBook file: the text of its bodies, the description and the
// embedded pictures left out. Entity declarations are refused, never
// expanded.
struct XmlResult
{
    QString text;
    std::optional<Reading::ReadProblem> problem;
};
XmlResult FictionBookText(const QByteArray &xml, const QString &path);

// Decodes one character reference without its '&' and ';' ("amp", "#8217",
// "#x2019"); empty when it names no character.
QString DecodeReference(QStringView name);

} // namespace MarkupText
