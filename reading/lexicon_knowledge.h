#pragma once

#include "reading/word_knowledge.h"

#include <memory>

class Lexicon;

// The program's English–Russian dictionary and WordNet's lemmatizer, as the
// analysis of a text asks them. Without the dictionary, words come without
// meanings; without WordNet, every word is its own base word.
class LexiconKnowledge : public WordKnowledge
{
public:
    // The lexicon every part of the program shares, opened now if no one
    // holds it.
    LexiconKnowledge();
    explicit LexiconKnowledge(std::shared_ptr<const Lexicon> lexicon);
    ~LexiconKnowledge() override;

    // Whether the dictionary can give meanings; when not, ProblemText()
    // says why in Russian, naming the package.
    bool HasMeanings() const;
    QString ProblemText() const;

    QString BaseWord(const QString &form) const override;
    bool Knows(const QString &word) const override;
    QStringList Meanings(const QString &base) const override;
    int Frequency(const QString &base) const override;

private:
    std::shared_ptr<const Lexicon> m_lexicon;
};
