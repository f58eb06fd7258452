#pragma once

#include "progress/word_progress.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// How many words stand where.
struct StageCounts
{
    int fresh = 0;
    int learning = 0;
    int learnt = 0;

    int total() const { return fresh + learning + learnt; }
    friend bool operator==(const StageCounts &, const StageCounts &) = default;
};

// Recorded outcomes by kind.
struct AnswerCounts
{
    int right = 0;
    int wrong = 0;
    int unanswered = 0;
    int hints = 0;
    int shown = 0;

    int total() const { return right + wrong + unanswered + hints + shown; }
    friend bool operator==(const AnswerCounts &, const AnswerCounts &) = default;
};

// What a set of words has come to; each word counts once.
struct WordsProgress
{
    StageCounts stages;
    AnswerCounts answers;
};

using ProgressMap = QHash<WordKey, WordProgress>;

// The words of dictionary lines, each once, in line order; lines without an
// English word are left out.
QList<WordKey> DictionaryWords(const QStringList &lines);

WordsProgress Summarise(const QList<WordKey> &words, const ProgressMap &record);

// The words the learner finds hardest among words, at most limit of them:
// words not yet learnt that were missed or hinted, the most missed (wrong or
// unanswered) first, then the lowest box, then the most hinted.
QList<WordKey> HardestWords(const QList<WordKey> &words, const ProgressMap &record, int limit);

// The dictionaries of a folder, in the order the dictionary library lists
// them (by the number in the name), with their words.
struct FolderWords
{
    struct Dictionary
    {
        QString name; // the file's own name
        QString path;
        QList<WordKey> words;
    };

    // Reads every dictionary of folder. The one at currentPath is taken from
    // currentLines instead, so that edits not yet saved count.
    static FolderWords Read(const QString &folder, const QString &currentPath = {},
                            const QStringList &currentLines = {});

    // Every word of the folder, each once.
    QList<WordKey> AllWords() const;

    QList<Dictionary> dictionaries;
};
