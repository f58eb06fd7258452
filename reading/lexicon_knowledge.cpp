#include "reading/lexicon_knowledge.h"

#include "lexicon/lexicon.h"

#include <QHash>

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

// WordNet gives every base word a form may have: "saw" is a noun of its own
// and the past of "see", "does" the plural of "doe" and a form of "do". In
// running text the form stands for the base word that is used most, as
// WordNet counted its senses in tagged texts; on a tie, the word itself.
QString LexiconKnowledge::BaseWord(const QString &form) const
{
    // Forms WordNet keeps no record of.
    static const QHash<QString, QString> unrecorded{
        {QStringLiteral("could"), QStringLiteral("can")},
        {QStringLiteral("cannot"), QStringLiteral("can")},
        {QStringLiteral("others"), QStringLiteral("other")},
    };
    if (const auto found = unrecorded.constFind(form); found != unrecorded.cend())
        return *found;
    QStringList bases = m_lexicon->lemmatizer().baseForms(form);
    // A letter is no base of a word: "lest" is not "l" (fifty) + "est".
    if (form.size() > 1)
        bases.removeIf([](const QString &base) { return base.size() == 1; });
    if (bases.isEmpty())
        return form;
    QString best = bases.first();
    int bestCount = bases.size() > 1 ? Frequency(best) : 0;
    for (qsizetype i = 1; i < bases.size(); ++i) {
        const int count = Frequency(bases[i]);
        if (count > bestCount) {
            best = bases[i];
            bestCount = count;
        }
    }
    return best;
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
