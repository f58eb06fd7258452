#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class WordKnowledge;

// The base words a learner has already: those of their dictionaries and
// those the record of answers marks as learnt, each also under its other
// spelling ("color" and "colour").
struct KnownWords
{
    QSet<QString> inFolder;
    QSet<QString> learnt;

    // The English words of every dictionary of folder, folded to their base
    // words. The dictionary at currentPath is taken from currentLines
    // instead, so that edits not yet saved count.
    static KnownWords FromFolder(const QString &folder, const WordKnowledge &knowledge,
                                 const QString &currentPath = {}, const QStringList &currentLines = {});

    // Adds dictionary lines' English words to inFolder.
    void AddDictionaryLines(const QStringList &lines, const WordKnowledge &knowledge);
    // Adds English words (as the record holds them) to learnt.
    void AddLearnt(const QStringList &words, const WordKnowledge &knowledge);
};
