#include "reading/known_words.h"

#include "dict/dict_library.h"
#include "dict/word_file.h"
#include "import/word_list.h"
#include "reading/word_knowledge.h"
#include "reading/word_lists.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// A word of a dictionary under every name a text may count it by: as
// written, its base word, and their other spellings.
void addWord(QSet<QString> &set, const QString &english, const WordKnowledge &knowledge)
{
    const QString word = english.trimmed().toLower();
    if (word.isEmpty())
        return;
    const QString base = knowledge.BaseWord(word);
    for (const QString &name : {word, base}) {
        set.insert(name);
        if (const auto other = WordLists::OtherSpellings().constFind(name); other != WordLists::OtherSpellings().cend())
            set.insert(*other);
    }
}

} // namespace

KnownWords KnownWords::FromFolder(const QString &folder, const WordKnowledge &knowledge, const QString &currentPath,
                                  const QStringList &currentLines)
{
    KnownWords known;
    if (folder.isEmpty())
        return known;
    const QDir dir(folder);
    const QString current = currentPath.isEmpty() ? QString() : QFileInfo(currentPath).absoluteFilePath();
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString name = info.fileName();
        if (!name.contains(u".wrd"_s) && !name.contains(u".WRD"_s))
            continue;
        if (!current.isEmpty() && info.absoluteFilePath() == current) {
            known.AddDictionaryLines(currentLines, knowledge);
        } else {
            const WordFile file(info.absoluteFilePath());
            known.AddDictionaryLines(file.lines, knowledge);
        }
    }
    if (!current.isEmpty() && QFileInfo(current).absolutePath() != QFileInfo(dir.absolutePath()).absoluteFilePath())
        known.AddDictionaryLines(currentLines, knowledge);
    return known;
}

void KnownWords::AddDictionaryLines(const QStringList &lines, const WordKnowledge &knowledge)
{
    for (const QString &line : lines)
        addWord(inFolder, WordList::FromDictionaryLine(line).word, knowledge);
}

void KnownWords::AddLearnt(const QStringList &words, const WordKnowledge &knowledge)
{
    for (const QString &word : words)
        addWord(learnt, word, knowledge);
}
