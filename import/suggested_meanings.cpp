#include "import/suggested_meanings.h"

#include <algorithm>

namespace SuggestedMeanings {

bool WordsOnly(const QList<WordEntry> &entries)
{
    return !entries.isEmpty()
           && std::all_of(entries.begin(), entries.end(), [](const WordEntry &entry) { return entry.meanings.isEmpty(); });
}

Filled Fill(const QList<WordEntry> &entries, const Lookup &lookup)
{
    Filled filled;
    filled.entries = entries;
    filled.suggested.fill(false, entries.size());
    for (qsizetype i = 0; i < filled.entries.size(); ++i) {
        WordEntry &entry = filled.entries[i];
        for (const QString &meaning : lookup(entry.word)) {
            if (entry.meanings.size() == WordList::MaxMeanings)
                break;
            const QString field = WordList::Trimmed(meaning);
            const bool fits = !field.isEmpty() && field.size() <= WordList::MaxFieldLength && !field.contains(u',')
                              && std::none_of(field.begin(), field.end(), [](QChar c) { return c.unicode() < 0x20; });
            if (fits && !entry.meanings.contains(field))
                entry.meanings.append(field);
        }
        filled.suggested[i] = !entry.meanings.isEmpty();
        if (entry.meanings.isEmpty())
            filled.unknown.append(entry.word);
    }
    return filled;
}

} // namespace SuggestedMeanings
