#pragma once

#include <QString>
#include <QStringList>

// What the analysis of a text needs to know about English words: their base
// words, whether the dictionary has them, their meanings and how common they
// are. Called from the analysis's worker thread: implementations answer from
// data opened before and never change it.
class WordKnowledge
{
public:
    virtual ~WordKnowledge() = default;

    // The base word a lower-case form is counted under ("ran" → "run");
    // the form itself when it is a base word or unknown.
    virtual QString BaseWord(const QString &form) const = 0;
    // Whether the dictionary knows the lower-case word as written (as a
    // word or as a form of one).
    virtual bool Knows(const QString &word) const = 0;
    // Short Russian meanings of a base word, the most common first; empty
    // when the dictionary has none.
    virtual QStringList Meanings(const QString &base) const = 0;
    // How common a base word is in English at large: larger is more
    // common; 0 when not known.
    virtual int Frequency(const QString &base) const
    {
        Q_UNUSED(base);
        return 0;
    }
};
