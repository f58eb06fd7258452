#include "lexicon/dictd_index.h"

#include <algorithm>
#include <cstring>

namespace {

unsigned char folded(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Byte order with ASCII letters folded: dictd's own order of an index made
// with case folding, and a total order for any other.
int compareFolded(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char x = folded(a[i]);
        const unsigned char y = folded(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int digitValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

DictdIndex::DictdIndex(QByteArray data)
    : m_data(std::move(data))
{
    // Line starts are kept in 32 bits: an index beyond 4 GiB is read up to
    // there, which is far more than any dictionary holds.
    const qsizetype size = std::min<qsizetype>(m_data.size(), 0xFFFFFFFFll);
    m_data.truncate(size);
    const char *bytes = m_data.constData();
    qsizetype start = 0;
    while (start < size) {
        const void *end = std::memchr(bytes + start, '\n', std::size_t(size - start));
        const qsizetype next = end ? static_cast<const char *>(end) - bytes + 1 : size;
        if (!lineFrom(quint32(start)).isEmpty())
            m_lines.push_back(quint32(start));
        start = next;
    }
    const auto less = [this](quint32 a, quint32 b) {
        return compareFolded(headwordFrom(a), headwordFrom(b)) < 0;
    };
    if (!std::is_sorted(m_lines.begin(), m_lines.end(), less))
        std::stable_sort(m_lines.begin(), m_lines.end(), less);

    // Lines of several spellings are few (32 of Mueller's 46 000): an index
    // made of them gets a thousand spellings more than it has lines, no
    // more.
    constexpr std::size_t MaxExtraSpellings = 1000;
    for (const quint32 line : m_lines) {
        QByteArrayView rest = headwordFrom(line);
        if (!rest.contains(", "))
            continue;
        while (!rest.isEmpty() && m_spellings.size() < m_lines.size() + MaxExtraSpellings) {
            qsizetype comma = rest.indexOf(", ");
            if (comma < 0)
                comma = rest.size();
            if (comma > 0)
                m_spellings.push_back({quint32(rest.data() - bytes), quint32(comma), line});
            rest = rest.sliced(std::min(comma + 2, rest.size()));
        }
    }
    std::stable_sort(m_spellings.begin(), m_spellings.end(),
                     [this](const Spelling &a, const Spelling &b) { return compareFolded(spellingOf(a), spellingOf(b)) < 0; });
}

QByteArrayView DictdIndex::spellingOf(const Spelling &spelling) const
{
    return QByteArrayView(m_data).sliced(spelling.start, spelling.size);
}

QByteArrayView DictdIndex::lineFrom(quint32 start) const
{
    const QByteArrayView rest = QByteArrayView(m_data).sliced(start);
    qsizetype end = rest.indexOf('\n');
    if (end < 0)
        end = rest.size();
    if (end > 0 && rest[end - 1] == '\r')
        --end;
    return rest.first(end);
}

QByteArrayView DictdIndex::headwordFrom(quint32 start) const
{
    const QByteArrayView line = lineFrom(start);
    const qsizetype tab = line.indexOf('\t');
    return tab < 0 ? line : line.first(tab);
}

QList<DictdIndex::Location> DictdIndex::find(QByteArrayView headword) const
{
    QList<Location> found;
    const auto first = std::lower_bound(m_lines.begin(), m_lines.end(), headword, [this](quint32 line, QByteArrayView key) {
        return compareFolded(headwordFrom(line), key) < 0;
    });
    for (auto it = first; it != m_lines.end() && compareFolded(headwordFrom(*it), headword) == 0; ++it)
        found = locationsOf(*it, std::move(found));
    const auto spelling = std::lower_bound(m_spellings.begin(), m_spellings.end(), headword,
                                           [this](const Spelling &item, QByteArrayView key) { return compareFolded(spellingOf(item), key) < 0; });
    for (auto it = spelling; it != m_spellings.end() && compareFolded(spellingOf(*it), headword) == 0; ++it)
        found = locationsOf(it->line, std::move(found));
    return found;
}

QList<DictdIndex::Location> DictdIndex::locationsOf(quint32 start, QList<Location> found) const
{
    const QByteArrayView line = lineFrom(start);
    const qsizetype tab1 = line.indexOf('\t');
    const qsizetype tab2 = tab1 < 0 ? -1 : line.indexOf('\t', tab1 + 1);
    if (tab2 < 0)
        return found;
    // A fourth field (some dictionaries name the original headword there)
    // is no part of the length.
    qsizetype tab3 = line.indexOf('\t', tab2 + 1);
    if (tab3 < 0)
        tab3 = line.size();
    const auto offset = decodeNumber(line.sliced(tab1 + 1, tab2 - tab1 - 1));
    const auto length = decodeNumber(line.sliced(tab2 + 1, tab3 - tab2 - 1));
    if (offset && length && !found.contains(Location{*offset, *length}))
        found.append({*offset, *length});
    return found;
}

std::optional<quint64> DictdIndex::decodeNumber(QByteArrayView digits)
{
    // Eight digits are 48 bits.
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint64 value = 0;
    for (const char c : digits) {
        const int digit = digitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 64 + quint64(digit);
    }
    return value;
}
