#include "import/csv_export.h"

#include "import/word_list.h"

using namespace Qt::StringLiterals;

namespace {

QString quoted(const QString &field)
{
    const bool needsQuotes = field.contains(QChar(CsvExport::Delimiter)) || field.contains(u',')
                             || field.contains(u'"') || field.contains(u'\n') || field.contains(u'\r')
                             || (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()))
                             // A row that begins with '#' would read as a header line.
                             || field.startsWith(u'#');
    if (!needsQuotes)
        return field;
    QString text = field;
    text.replace(u"\""_s, u"\"\""_s);
    return u'"' + text + u'"';
}

} // namespace

namespace CsvExport {

QByteArray Encode(const QStringList &dictionaryLines)
{
    QString text;
    for (const QString &line : dictionaryLines) {
        const WordEntry entry = WordList::FromDictionaryLine(line);
        if (entry.word.isEmpty())
            continue;
        QStringList fields{quoted(entry.word)};
        for (const QString &meaning : entry.meanings)
            fields.append(quoted(meaning));
        text += fields.join(QChar(Delimiter)) + u"\r\n"_s;
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

qsizetype RowCount(const QStringList &dictionaryLines)
{
    qsizetype rows = 0;
    for (const QString &line : dictionaryLines)
        rows += WordList::FromDictionaryLine(line).word.isEmpty() ? 0 : 1;
    return rows;
}

} // namespace CsvExport
