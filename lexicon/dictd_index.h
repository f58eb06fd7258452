#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>
#include <vector>

// The index of a dictd dictionary: one line per headword, "headword TAB
// offset TAB length", the numbers in dictd's base-64 digits, the lines
// sorted by headword. Headwords are compared with ASCII letters folded to
// lower case; an index in another order is sorted once when it is read.
// Immutable after construction, so one index serves several threads.
class DictdIndex
{
public:
    struct Location
    {
        quint64 offset = 0;
        quint64 length = 0;
        friend bool operator==(const Location &, const Location &) = default;
    };

    DictdIndex() = default;
    explicit DictdIndex(QByteArray data);

    qsizetype headwordCount() const { return qsizetype(m_lines.size()); }

    // Where the articles of a headword lie, in the order of the index. Lines
    // whose numbers are malformed or too large are left out. A line may name
    // several spellings of one word, "jewellery, jewelry": each finds it.
    QList<Location> find(QByteArrayView headword) const;

    // A number in dictd's base-64 digits (A-Z a-z 0-9 + /, most significant
    // first); none when a character is no digit or the value needs more
    // than 48 bits.
    static std::optional<quint64> decodeNumber(QByteArrayView digits);

private:
    // The line that starts at the given offset, without its line break,
    // and its first field.
    QByteArrayView lineFrom(quint32 start) const;
    QByteArrayView headwordFrom(quint32 start) const;

    QList<Location> locationsOf(quint32 start, QList<Location> found) const;

    QByteArray m_data;
    // Start of every line, in headword order.
    std::vector<quint32> m_lines;
    // The spellings of lines that name several, each with its line's start,
    // in spelling order.
    struct Spelling
    {
        quint32 start = 0;
        quint32 size = 0;
        quint32 line = 0;
    };
    QByteArrayView spellingOf(const Spelling &spelling) const;
    std::vector<Spelling> m_spellings;
};
