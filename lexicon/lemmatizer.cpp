#include "lexicon/lemmatizer.h"

#include <QDir>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<const char *, 4> FileSuffixes{"noun", "verb", "adj", "adv"};

struct SuffixRule
{
    const char *ending;
    const char *replacement;
};

// WordNet's detachment rules, tried in this order.
constexpr SuffixRule NounRules[] = {{"s", ""},     {"ses", "s"},   {"xes", "x"},   {"zes", "z"},
                                    {"ches", "ch"}, {"shes", "sh"}, {"men", "man"}, {"ies", "y"}};
constexpr SuffixRule VerbRules[] = {{"s", ""},  {"ies", "y"}, {"es", "e"},  {"es", ""},
                                    {"ed", "e"}, {"ed", ""},   {"ing", "e"}, {"ing", ""}};
constexpr SuffixRule AdjectiveRules[] = {{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}};

std::size_t slot(Lemmatizer::PartOfSpeech part)
{
    return std::size_t(part);
}

// WordNet's form of a word: lower case, parts joined by underscores.
QByteArray wordNetKey(const QString &word)
{
    return word.simplified().toLower().replace(u' ', u'_').toUtf8();
}

QString fromWordNetKey(QByteArrayView key)
{
    return QString::fromUtf8(key).replace(u'_', u' ');
}

void addOnce(QStringList &list, const QString &word)
{
    if (!word.isEmpty() && !list.contains(word))
        list.append(word);
}

} // namespace

QString Lemmatizer::defaultFolder()
{
    const QString configured = qEnvironmentVariable("WNSEARCHDIR");
    return configured.isEmpty() ? u"/usr/share/wordnet"_s : configured;
}

Lemmatizer::Lemmatizer(const QString &folder)
{
    const QDir dir(folder);
    for (const auto part : PartsOfSpeech) {
        const QLatin1StringView suffix(FileSuffixes[slot(part)]);
        m_index[slot(part)] = SortedLines(dir.filePath(u"index."_s + suffix));
        m_exceptions[slot(part)] = SortedLines(dir.filePath(suffix + u".exc"_s));
    }
    m_senseCounts = SortedLines(dir.filePath(u"cntlist.rev"_s));
}

bool Lemmatizer::isOpen() const
{
    return std::any_of(m_index.begin(), m_index.end(), [](const SortedLines &lines) { return lines.isOpen(); });
}

QByteArrayView Lemmatizer::indexLine(const QByteArray &key, PartOfSpeech part) const
{
    return m_index[slot(part)].find(key);
}

bool Lemmatizer::knows(const QString &word, PartOfSpeech part) const
{
    const QByteArray key = wordNetKey(word);
    return !indexLine(key, part).isNull();
}

bool Lemmatizer::knows(const QString &word) const
{
    const QByteArray key = wordNetKey(word);
    return std::any_of(PartsOfSpeech.begin(), PartsOfSpeech.end(),
                       [&](PartOfSpeech part) { return !indexLine(key, part).isNull(); });
}

int Lemmatizer::taggedSenseCount(const QString &word, PartOfSpeech part) const
{
    // After the key: pos synset_cnt p_cnt [p_cnt pointer symbols] sense_cnt
    // tagsense_cnt synset_offsets...
    const QByteArrayView line = indexLine(wordNetKey(word), part);
    if (line.isNull())
        return -1;
    const QList<QByteArray> fields = line.toByteArray().split(' ');
    if (fields.size() < 3)
        return 0;
    bool ok = false;
    const int pointerCount = fields[2].toInt(&ok);
    const qsizetype at = 3 + qsizetype(pointerCount) + 1;
    if (!ok || pointerCount < 0 || at >= fields.size())
        return 0;
    const int count = fields[at].toInt(&ok);
    return ok && count >= 0 ? count : 0;
}

int Lemmatizer::usageCount(const QString &word, PartOfSpeech part) const
{
    // Lines "lemma%type:file:id:head:id sense_number count"; the type is
    // 1 noun, 2 verb, 3 adjective, 4 adverb, 5 adjective satellite.
    const QByteArray prefix = wordNetKey(word) + '%';
    if (prefix.size() == 1)
        return 0;
    qint64 total = 0;
    for (const QByteArrayView line : m_senseCounts.linesStartingWith(prefix)) {
        if (line.size() <= prefix.size())
            continue;
        const char type = line[prefix.size()];
        const bool matches = (part == PartOfSpeech::Noun && type == '1') || (part == PartOfSpeech::Verb && type == '2')
                             || (part == PartOfSpeech::Adjective && (type == '3' || type == '5'))
                             || (part == PartOfSpeech::Adverb && type == '4');
        const qsizetype lastSpace = line.lastIndexOf(' ');
        if (!matches || lastSpace < 0)
            continue;
        bool ok = false;
        const int count = line.sliced(lastSpace + 1).trimmed().toInt(&ok);
        if (ok && count > 0)
            total += count;
    }
    return int(std::min<qint64>(total, std::numeric_limits<int>::max()));
}

QStringList Lemmatizer::baseForms(const QString &word) const
{
    const QByteArray key = wordNetKey(word);
    if (key.isEmpty())
        return {};
    QStringList forms;
    for (const auto part : PartsOfSpeech) {
        if (!indexLine(key, part).isNull()) {
            addOnce(forms, fromWordNetKey(key));
            break;
        }
    }
    for (const auto part : PartsOfSpeech) {
        const QByteArrayView bases = m_exceptions[slot(part)].find(key);
        if (bases.isNull())
            continue;
        for (const QByteArray &base : bases.toByteArray().split(' ')) {
            // An exception's base counts only when the index knows it, as
            // WordNet itself asks.
            if (!base.isEmpty() && !indexLine(base, part).isNull())
                addOnce(forms, fromWordNetKey(base));
        }
    }
    const auto applyRules = [&](PartOfSpeech part, auto &rules) {
        for (const SuffixRule &rule : rules) {
            const QByteArrayView ending(rule.ending);
            if (!key.endsWith(ending) || key.size() <= ending.size())
                continue;
            const QByteArray base = key.first(key.size() - ending.size()) + rule.replacement;
            if (!indexLine(base, part).isNull())
                addOnce(forms, fromWordNetKey(base));
        }
    };
    // Nouns in "ss" and of two letters keep their ending: "glass", "as".
    if (!key.endsWith("ss") && key.size() > 2)
        applyRules(PartOfSpeech::Noun, NounRules);
    applyRules(PartOfSpeech::Verb, VerbRules);
    applyRules(PartOfSpeech::Adjective, AdjectiveRules);
    if (forms.isEmpty())
        forms.append(fromWordNetKey(key));
    return forms;
}

QStringList Lemmatizer::adverbBases(const QString &word) const
{
    const QByteArray key = wordNetKey(word);
    QStringList bases;
    for (const SuffixRule &rule : AdjectiveRules) {
        const QByteArrayView ending(rule.ending);
        if (!key.endsWith(ending) || key.size() <= ending.size())
            continue;
        const QByteArray base = key.first(key.size() - ending.size()) + rule.replacement;
        if (!indexLine(base, PartOfSpeech::Adverb).isNull())
            addOnce(bases, fromWordNetKey(base));
    }
    return bases;
}
