#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>

class QFile;

// A text file whose lines are sorted by their bytes and start with a key
// ended by a space, searched in place: WordNet's index and exception files.
// The file is mapped, so opening costs nothing and searching reads a few
// pages. Lines out of order make a search miss, never fail.
class SortedLines
{
public:
    SortedLines() = default;
    explicit SortedLines(const QString &path);
    // For tests: the lines given as bytes.
    static SortedLines fromBytes(QByteArray bytes);

    bool isOpen() const { return m_open; }

    // The line whose key is `key`, without the key and its space, and
    // without the line break; a null view when there is none.
    QByteArrayView find(QByteArrayView key) const;

    // Every line that starts with `prefix`, whole, in file order.
    QList<QByteArrayView> linesStartingWith(QByteArrayView prefix) const;

private:
    // The start of the first line whose key is not below `key` by bytes.
    qsizetype lowerBound(QByteArrayView key) const;

    std::shared_ptr<QFile> m_file;
    QByteArray m_bytes;
    bool m_open = false;
};
