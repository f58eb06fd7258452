#include "progress/folder_progress.h"

#include "dict/dict_library.h"
#include "dict/word_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

QList<WordKey> DictionaryWords(const QStringList &lines)
{
    QList<WordKey> words;
    words.reserve(lines.size());
    QSet<WordKey> seen;
    for (const QString &line : lines) {
        WordKey key = WordKey::FromLine(line);
        if (key.english.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        words.append(std::move(key));
    }
    return words;
}

WordsProgress Summarise(const QList<WordKey> &words, const ProgressMap &record)
{
    WordsProgress summary;
    for (const WordKey &key : words) {
        const auto found = record.constFind(key);
        const WordProgress *word = found == record.cend() ? nullptr : &found.value();
        switch (StageOf(word)) {
        case Stage::New: ++summary.stages.fresh; break;
        case Stage::Learning: ++summary.stages.learning; break;
        case Stage::Learnt: ++summary.stages.learnt; break;
        }
        if (word) {
            summary.answers.right += word->right;
            summary.answers.wrong += word->wrong;
            summary.answers.unanswered += word->unanswered;
            summary.answers.hints += word->hints;
            summary.answers.shown += word->shown;
        }
    }
    return summary;
}

QList<WordKey> HardestWords(const QList<WordKey> &words, const ProgressMap &record, int limit)
{
    struct Candidate
    {
        const WordKey *key;
        const WordProgress *word;
    };
    QList<Candidate> candidates;
    for (const WordKey &key : words) {
        const auto found = record.constFind(key);
        if (found == record.cend())
            continue;
        const WordProgress &word = found.value();
        if (word.stage() != Stage::Learnt && word.misses() + word.hints > 0)
            candidates.append({&key, &word});
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        if (a.word->misses() != b.word->misses())
            return a.word->misses() > b.word->misses();
        if (a.word->box != b.word->box)
            return a.word->box < b.word->box;
        return a.word->hints > b.word->hints;
    });
    QList<WordKey> hardest;
    for (qsizetype i = 0; i < candidates.size() && i < limit; ++i)
        hardest.append(*candidates[i].key);
    return hardest;
}

FolderWords FolderWords::Read(const QString &folder, const QString &currentPath, const QStringList &currentLines)
{
    struct Entry
    {
        QString name;
        qint64 number;
    };
    QList<Entry> entries;
    const QDir dir(folder);
    const QFileInfoList infos = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &info : infos) {
        const QString name = info.fileName();
        const qint64 number = DictLibrary::NumberInName(name);
        if (DictLibrary::IsDictionaryEntry(name) && number >= 0)
            entries.append({name, number});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.number < b.number; });

    const QString current = currentPath.isEmpty() ? QString() : QFileInfo(currentPath).absoluteFilePath();
    FolderWords result;
    for (const Entry &entry : std::as_const(entries)) {
        Dictionary dictionary;
        dictionary.name = entry.name;
        dictionary.path = dir.absoluteFilePath(entry.name);
        if (!current.isEmpty() && dictionary.path == current) {
            dictionary.words = DictionaryWords(currentLines);
        } else {
            const WordFile file(dictionary.path);
            dictionary.words = DictionaryWords(file.lines);
        }
        result.dictionaries.append(std::move(dictionary));
    }
    return result;
}

QList<WordKey> FolderWords::AllWords() const
{
    QList<WordKey> all;
    QSet<WordKey> seen;
    for (const Dictionary &dictionary : dictionaries) {
        for (const WordKey &key : dictionary.words) {
            if (!seen.contains(key)) {
                seen.insert(key);
                all.append(key);
            }
        }
    }
    return all;
}
