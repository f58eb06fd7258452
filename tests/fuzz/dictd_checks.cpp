// The fuzz check of the dictd reader: index, dictzip text and the short
// meanings of what they give (see fuzz_checks.h).
#include "fuzz_checks.h"

#include "lexicon/article.h"
#include "lexicon/dictd_data.h"
#include "lexicon/dictd_index.h"
#include "lexicon/short_meanings.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Lines of the index the check compares with its own reading; more cost
// time and find nothing new.
constexpr qsizetype MaxCheckedLines = 200;

bool hasLatin(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

QString checkRead(const DictdData &data, const char *kind, DictdIndex::Location location)
{
    const auto bytes = data.read(location.offset, location.length);
    if (!bytes)
        return {};
    const QString where = u"%1 read at %2 of %3"_s.arg(QLatin1StringView(kind)).arg(location.offset).arg(location.length);
    if (quint64(bytes->size()) != location.length || location.length > DictdData::MaxRead)
        return where + u": gave %1 bytes"_s.arg(bytes->size());
    if (data.read(location.offset, location.length) != bytes)
        return where + u": a second read differs"_s;
    // Read in two pieces, split inside, the same bytes come.
    if (location.length >= 2) {
        const quint64 first = location.length / 3 + 1;
        const auto head = data.read(location.offset, first);
        const auto tail = data.read(location.offset + first, location.length - first);
        if (!head || !tail || *head + *tail != *bytes)
            return where + u": differs from its two halves"_s;
    }
    const Article article(QString::fromUtf8(*bytes));
    for (const Article::Sense &sense : article.senses()) {
        for (const QString &meaning : ShortMeanings::fromSense(sense.text)) {
            if (meaning.isEmpty() || meaning.size() > ShortMeanings::MaxLength || meaning.contains(u',')
                || meaning.trimmed() != meaning || hasLatin(meaning))
                return where + u": meaning no line can hold: "_s + meaning;
        }
        if (const auto reference = ShortMeanings::referenceOf(sense.text); reference && reference->headword.isEmpty())
            return where + u": reference without headword"_s;
    }
    return {};
}

} // namespace

namespace FuzzChecks {

QString dictdReader(const QByteArray &input)
{
    const qsizetype split = input.indexOf('\0');
    const QByteArray indexBytes = split < 0 ? input : input.left(split);
    const QByteArray dataBytes = split < 0 ? QByteArray() : input.mid(split + 1);
    const DictdIndex index(indexBytes);
    const DictdData compressed = DictdData::fromDictzip(dataBytes);
    const DictdData plain = DictdData::fromPlain(dataBytes);
    if (plain.size() != quint64(dataBytes.size()))
        return u"plain text of %1 bytes has size %2"_s.arg(dataBytes.size()).arg(plain.size());

    // Every well-formed line is found under its headword, whatever the
    // order of the lines.
    qsizetype checked = 0;
    for (const QByteArray &line : indexBytes.split('\n')) {
        if (++checked > MaxCheckedLines)
            break;
        QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 3)
            continue;
        if (fields.size() == 3 && fields[2].endsWith('\r'))
            fields[2].chop(1);
        const auto offset = DictdIndex::decodeNumber(fields[1]);
        const auto length = DictdIndex::decodeNumber(fields[2]);
        const QList<DictdIndex::Location> found = index.find(fields[0]);
        if (offset && length && !found.contains(DictdIndex::Location{*offset, *length}))
            return u"line '%1' not found under its headword"_s.arg(QString::fromUtf8(line.toPercentEncoding()));
        for (const DictdIndex::Location &location : found) {
            for (const auto &[data, kind] : {std::pair{&compressed, "dictzip"}, std::pair{&plain, "plain"}}) {
                if (QString problem = checkRead(*data, kind, location); !problem.isEmpty())
                    return problem;
            }
        }
    }
    // Reads at the edges of the claimed text and across it.
    for (const quint64 offset : {quint64(0), compressed.size() / 2, compressed.size() - 1, compressed.size()}) {
        for (const quint64 length : {quint64(0), quint64(1), quint64(100), compressed.size()}) {
            if (QString problem = checkRead(compressed, "dictzip", {offset, length}); !problem.isEmpty())
                return problem;
        }
    }
    return {};
}

} // namespace FuzzChecks
