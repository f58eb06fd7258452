#include "reading/lexicon_knowledge.h"

#include "lexicon/lexicon.h"

LexiconKnowledge::LexiconKnowledge()
    : LexiconKnowledge(Lexicon::shared())
{
}

LexiconKnowledge::LexiconKnowledge(std::shared_ptr<const Lexicon> lexicon)
    : m_lexicon(std::move(lexicon))
{
}

LexiconKnowledge::~LexiconKnowledge() = default;

bool LexiconKnowledge::HasMeanings() const
{
    return m_lexicon->state() == Lexicon::State::Ready;
}

QString LexiconKnowledge::ProblemText() const
{
    return HasMeanings() ? QString() : m_lexicon->problem();
}

QString LexiconKnowledge::BaseWord(const QString &form) const
{
    const QStringList bases = m_lexicon->lemmatizer().baseForms(form);
    return bases.isEmpty() ? form : bases.first();
}

bool LexiconKnowledge::Knows(const QString &word) const
{
    const Lemmatizer &lemmatizer = m_lexicon->lemmatizer();
    if (lemmatizer.knows(word))
        return true;
    // A form of a known word: its base differs from it.
    const QStringList bases = lemmatizer.baseForms(word);
    return !bases.isEmpty() && bases.first() != word;
}

QStringList LexiconKnowledge::Meanings(const QString &base) const
{
    return m_lexicon->lookup(base).meanings;
}

int LexiconKnowledge::Frequency(const QString &base) const
{
    int count = 0;
    for (const Lemmatizer::PartOfSpeech part : Lemmatizer::PartsOfSpeech)
        count += std::max(0, m_lexicon->lemmatizer().taggedSenseCount(base, part));
    return count;
}
