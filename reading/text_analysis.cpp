#include "reading/text_analysis.h"

#include "reading/known_words.h"
#include "reading/tokenizer.h"
#include "reading/word_knowledge.h"
#include "reading/word_lists.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

qint64 TextAnalysis::KnownOccurrences() const
{
    return functionWords.occurrences + inFolder.occurrences + learnt.occurrences + names.occurrences;
}

int TextAnalysis::KnownPermille() const
{
    return runningWords == 0 ? 0 : static_cast<int>(KnownOccurrences() * 1000 / runningWords);
}

int TextAnalysis::WordsFor(int percent) const
{
    QList<int> counts;
    counts.reserve(newWords.size());
    for (const TextWord &word : newWords)
        counts.append(word.count);
    return Coverage::WordsToReach(KnownOccurrences(), runningWords, counts, percent);
}

std::optional<WordEntry> DictionaryEntry(const QString &word, const QStringList &meanings)
{
    QStringList kept;
    for (const QString &meaning : meanings) {
        const QString field = WordList::Trimmed(meaning);
        if (field.isEmpty() || field.size() > WordList::MaxFieldLength || field.contains(u','))
            continue;
        kept.append(field);
        if (kept.size() == WordList::MaxMeanings)
            break;
    }
    if (kept.isEmpty())
        return std::nullopt;
    QList<WordListProblem> problems;
    return WordList::MakeEntry(word, kept, 0, QString(), problems);
}

namespace Coverage {

int WordsToReach(qint64 known, qint64 running, const QList<int> &counts, int percent)
{
    // Whole numbers: known / running >= percent / 100.
    qint64 covered = known;
    int taken = 0;
    while (covered * 100 < running * percent && taken < counts.size())
        covered += counts[taken++];
    return taken;
}

} // namespace Coverage

namespace {

// What the text shows of one lower-case form.
struct FormStats
{
    int count = 0;
    int lower = 0;        // written in lower case
    int startCapital = 0; // capitalised as the first word of a sentence
    int midCapital = 0;   // capitalised inside a sentence
    int sentence = -1;    // where its example comes from
    qsizetype start = 0;  // the word's place there
};

// Contractions whose first part is no word of its own, and the words an
// apostrophe before them shortens.
const QHash<QString, QString> &contractions()
{
    static const QHash<QString, QString> words{
        {u"can't"_s, u"can"_s},     {u"won't"_s, u"will"_s},     {u"shan't"_s, u"shall"_s},
        {u"ain't"_s, u"be"_s},      {u"y'all"_s, u"you"_s},      {u"'em"_s, u"them"_s},
        {u"'cause"_s, u"because"_s}, {u"'til"_s, u"until"_s},    {u"'till"_s, u"until"_s},
        {u"'bout"_s, u"about"_s},   {u"'tis"_s, u"it"_s},        {u"'twas"_s, u"it"_s},
        {u"'n'"_s, u"and"_s},       {u"'round"_s, u"around"_s},
    };
    return words;
}

class Analyser
{
public:
    Analyser(const Reading::Document &document, const WordKnowledge &knowledge, const KnownWords &known,
             const Reading::ProgressFunction &progress)
        : m_text(document.text)
        , m_knowledge(knowledge)
        , m_known(known)
        , m_progress(progress)
    {
    }

    std::optional<TextAnalysis> run()
    {
        m_sentences = Tokenizer::Sentences(m_text);
        const qsizetype length = std::max<qsizetype>(1, m_text.size());
        qsizetype nextReport = 0;
        const bool whole = Tokenizer::ForEachToken(m_text, m_sentences, [&](const Tokenizer::Token &token) {
            if (token.start >= nextReport) {
                nextReport = token.start + 64 * 1024;
                if (!report(static_cast<int>(500 * token.start / length)))
                    return false;
            }
            count(token);
            return true;
        });
        if (!whole)
            return std::nullopt;
        if (!classify())
            return std::nullopt;
        if (!describeNewWords())
            return std::nullopt;
        return std::move(m_result);
    }

private:
    struct BaseStats
    {
        int count = 0;
        int sentence = -1;
        qsizetype start = 0;
    };

    bool report(int permille) const { return !m_progress || m_progress(permille); }

    // The dictionary asked once per word: contractions and compounds recur.
    bool knows(const QString &word) const
    {
        const auto found = m_knows.constFind(word);
        if (found != m_knows.cend())
            return *found;
        const bool known = m_knowledge.Knows(word);
        m_knows.insert(word, known);
        return known;
    }

    // The word one running word stands for: a contraction counts under its
    // first word ("don't" → "do", "it's" → "it"), "goin'" as "going".
    QString runningWord(const Tokenizer::Token &token) const
    {
        const QString &word = token.word;
        if (token.apostropheBefore) {
            if (const auto found = contractions().constFind(u'\'' + word); found != contractions().cend())
                return *found;
        }
        if (token.apostropheAfter && word.endsWith(u"in"_s) && !knows(word) && knows(word + u'g'))
            return word + u'g';
        if (!word.contains(u'\''))
            return word;
        if (const auto found = contractions().constFind(word); found != contractions().cend())
            return *found;
        if (knows(word))
            return word; // "o'clock"
        if (word.endsWith(u"n't"_s))
            return word.chopped(3);
        for (const QString &ending : {u"'s"_s, u"'re"_s, u"'ve"_s, u"'ll"_s, u"'d"_s, u"'m"_s}) {
            if (word.endsWith(ending) && word.size() > ending.size())
                return word.chopped(ending.size());
        }
        return word.left(word.indexOf(u'\''));
    }

    void count(const Tokenizer::Token &token)
    {
        if (token.number) {
            ++m_result.numbers;
            return;
        }
        const QString word = runningWord(token);
        if (word.isEmpty())
            return;
        // A compound the dictionary does not know counts as its parts, each
        // capitalised or not as written.
        if (word.contains(u'-') && !knows(word)) {
            const QStringView raw = QStringView(m_text).sliced(token.start, token.length);
            qsizetype rawAt = 0;
            bool first = true;
            for (const QStringView part : QStringView(word).split(u'-')) {
                // The same part of the raw text: up to its next hyphen.
                qsizetype rawEnd = rawAt;
                while (rawEnd < raw.size() && raw[rawEnd] != u'-' && raw[rawEnd] != u'\u2010' && raw[rawEnd] != u'\u2011')
                    ++rawEnd;
                const QStringView rawPart = raw.sliced(rawAt, rawEnd - rawAt);
                rawAt = rawEnd + 1;
                if (part.isEmpty())
                    continue;
                Tokenizer::Case letterCase = Tokenizer::Case::Lower;
                if (token.letterCase == Tokenizer::Case::AllCaps)
                    letterCase = Tokenizer::Case::AllCaps;
                else if (!rawPart.isEmpty() && rawPart[0].isUpper())
                    letterCase = Tokenizer::Case::Capital;
                add(part.toString(), token, letterCase, first && token.sentenceStart);
                first = false;
            }
            return;
        }
        add(word, token, token.letterCase, token.sentenceStart);
    }

    void add(const QString &word, const Tokenizer::Token &token, Tokenizer::Case letterCase, bool sentenceStart)
    {
        if (word.size() == 1 && word != u"a"_s && word != u"i"_s) {
            ++m_result.numbers;
            return;
        }
        ++m_result.runningWords;
        FormStats &stats = m_forms[word];
        ++stats.count;
        switch (letterCase) {
        case Tokenizer::Case::Lower:
            ++stats.lower;
            break;
        case Tokenizer::Case::Capital:
            ++(sentenceStart ? stats.startCapital : stats.midCapital);
            break;
        case Tokenizer::Case::AllCaps:
            break;
        }
        // The first sentence where it occurs, unless that one is too long
        // to show whole and a later one is not.
        const Tokenizer::Sentence &sentence = m_sentences[token.sentence];
        if (stats.sentence < 0
            || (m_sentences[stats.sentence].length > ExampleLength && sentence.length <= ExampleLength)) {
            stats.sentence = token.sentence;
            stats.start = token.start;
        }
    }

    bool isName(const QString &form, const FormStats &stats) const
    {
        if (stats.lower > 0 || WordLists::CapitalisedWords().contains(form))
            return false;
        // Unknown as a word, or written with a capital inside sentences
        // more often than at their start ("Potter", "Baker Street").
        return !m_knowledge.Knows(form) || stats.midCapital > stats.startCapital;
    }

    QString baseWord(const QString &form) const
    {
        const QString base = m_knowledge.BaseWord(form);
        return base.isEmpty() ? form : base;
    }

    bool knownIn(const QSet<QString> &set, const QString &base, const QStringList &forms) const
    {
        if (set.contains(base))
            return true;
        for (const QString &form : forms) {
            if (set.contains(form))
                return true;
        }
        return false;
    }

    bool classify()
    {
        const qsizetype total = std::max<qsizetype>(1, m_forms.size());
        qsizetype done = 0;
        QHash<QString, BaseStats> bases;
        QHash<QString, QStringList> formsOf;
        for (auto it = m_forms.cbegin(); it != m_forms.cend(); ++it, ++done) {
            if (done % 1024 == 0 && !report(500 + static_cast<int>(100 * done / total)))
                return false;
            const QString &form = it.key();
            const FormStats &stats = it.value();
            if (WordLists::FunctionWords().contains(form)) {
                ++m_result.functionWords.words;
                m_result.functionWords.occurrences += stats.count;
                continue;
            }
            if (isName(form, stats) || WordLists::Titles().contains(form) || WordLists::ForeignWords().contains(form)) {
                ++m_result.names.words;
                m_result.names.occurrences += stats.count;
                continue;
            }
            const QString base = baseWord(form);
            BaseStats &baseStats = bases[base];
            baseStats.count += stats.count;
            if (baseStats.sentence < 0 || stats.sentence < baseStats.sentence) {
                baseStats.sentence = stats.sentence;
                baseStats.start = stats.start;
            }
            formsOf[base].append(form);
        }

        for (auto it = bases.cbegin(); it != bases.cend(); ++it) {
            const QString &base = it.key();
            const BaseStats &stats = it.value();
            const QStringList &forms = formsOf[base];
            QStringList names{base};
            if (const auto other = WordLists::OtherSpellings().constFind(base); other != WordLists::OtherSpellings().cend())
                names.append(*other);
            TextAnalysis::Group *group = nullptr;
            if (WordLists::FunctionWords().contains(base))
                group = &m_result.functionWords;
            else if (knownIn(m_known.learnt, base, names + forms))
                group = &m_result.learnt;
            else if (knownIn(m_known.inFolder, base, names + forms))
                group = &m_result.inFolder;
            if (group) {
                ++group->words;
                group->occurrences += stats.count;
                continue;
            }
            TextWord word;
            word.word = base;
            word.count = stats.count;
            word.frequency = m_knowledge.Frequency(base);
            word.example = Tokenizer::ExampleText(m_text, m_sentences[stats.sentence], stats.start, ExampleLength);
            m_result.newWords.append(std::move(word));
        }
        std::sort(m_result.newWords.begin(), m_result.newWords.end(), [](const TextWord &a, const TextWord &b) {
            if (a.count != b.count)
                return a.count > b.count;
            if (a.frequency != b.frequency)
                return a.frequency > b.frequency;
            return a.word < b.word;
        });
        return true;
    }

    bool describeNewWords()
    {
        const qsizetype total = std::max<qsizetype>(1, m_result.newWords.size());
        for (qsizetype i = 0; i < m_result.newWords.size(); ++i) {
            if (i % 64 == 0 && !report(600 + static_cast<int>(400 * i / total)))
                return false;
            TextWord &word = m_result.newWords[i];
            word.meanings = m_knowledge.Meanings(word.word);
        }
        return report(1000);
    }

    static constexpr qsizetype ExampleLength = 200;

    const QString &m_text;
    const WordKnowledge &m_knowledge;
    const KnownWords &m_known;
    const Reading::ProgressFunction &m_progress;
    QList<Tokenizer::Sentence> m_sentences;
    QHash<QString, FormStats> m_forms;
    mutable QHash<QString, bool> m_knows;
    TextAnalysis m_result;
};

} // namespace

std::optional<TextAnalysis> AnalyseText(const Reading::Document &document, const WordKnowledge &knowledge,
                                        const KnownWords &known, const Reading::ProgressFunction &progress)
{
    return Analyser(document, knowledge, known, progress).run();
}
