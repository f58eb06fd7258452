#include "lexicon/lexicon.h"

#include "lexicon/article.h"
#include "lexicon/short_meanings.h"

#include <QDir>
#include <QFile>

#include <array>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// An index larger than this is no dictionary's index.
constexpr qint64 MaxIndexSize = 64 << 20;
// A word longer than this is no headword; asking for it costs nothing.
constexpr qsizetype MaxWordLength = 100;
// Meanings taken from one sense, and senses taken from the most common part
// of speech and from each of the others.
constexpr qsizetype MeaningsPerSense = 6;
constexpr int SensesOfFirstPart = 3;
constexpr int SensesOfOtherParts = 2;
// How many pointers from article to article are followed.
constexpr int MaxDepth = 3;
// Uses in WordNet's texts by which a part of speech must outnumber an
// earlier one, beyond half as many again, to go first.
constexpr int ClearMargin = 3;

// Dictionary names that say English to Russian; Mueller's first.
bool isEnglishRussian(const QString &name)
{
    return name.startsWith(u"mueller") || name.contains(u"eng-rus") || name.contains(u"en-ru");
}

QStringList dictionaryNames(const QString &folder)
{
    QStringList names;
    const QDir dir(folder);
    for (const QString &index : dir.entryList({u"*.index"_s}, QDir::Files | QDir::Readable, QDir::Name)) {
        const QString name = index.chopped(6);
        if (isEnglishRussian(name) && (dir.exists(name + u".dict.dz") || dir.exists(name + u".dict")))
            names.append(name);
    }
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.startsWith(u"mueller") && !b.startsWith(u"mueller");
    });
    return names;
}

// A sense of a region or a style the learner rarely wants ("_ам. житель",
// "_уст. ...", "_attr. домашний"): its text starts with such a label, after
// its part of speech. Labels of a trade ("_анат. печень") mark nothing: the
// meaning is as much the word's.
bool isMarked(QStringView text)
{
    static const QStringList marks{u"_ам."_s,   u"_уст."_s,  u"_поэт."_s, u"_редк."_s,    u"_диал."_s, u"_шотл."_s,
                                   u"_ирл."_s,  u"_австрал."_s, u"_инд."_s, u"_арх."_s, u"_attr."_s, u"_жарг."_s};
    static const QStringList partLabels{u"_n."_s, u"_v."_s, u"_a."_s, u"_adv."_s};
    text = text.trimmed();
    while (text.startsWith(u'[')) {
        const qsizetype end = text.indexOf(u']');
        if (end < 0)
            return false;
        text = text.sliced(end + 1).trimmed();
    }
    for (const QString &label : partLabels) {
        if (text.startsWith(label))
            text = text.sliced(label.size()).trimmed();
    }
    return std::any_of(marks.begin(), marks.end(), [&](const QString &mark) { return text.startsWith(mark); });
}

// Articles one after the other, a blank line between them.
QString joinArticles(QStringList articles)
{
    for (QString &article : articles) {
        while (!article.isEmpty() && article.back().isSpace())
            article.chop(1);
    }
    return articles.join(u"\n\n");
}

QString lookupKey(const QString &word)
{
    return word.simplified().toLower();
}

std::optional<Lemmatizer::PartOfSpeech> wordNetPart(const QString &label)
{
    using Part = Lemmatizer::PartOfSpeech;
    if (label == u"n" || label == u"pl")
        return Part::Noun;
    if (label == u"v" || label == u"p" || label == u"p-p" || label == u"pres-p")
        return Part::Verb;
    if (label == u"a")
        return Part::Adjective;
    if (label == u"adv")
        return Part::Adverb;
    return std::nullopt;
}

void appendNew(QStringList &list, const QStringList &items, qsizetype limit)
{
    for (const QString &item : items) {
        if (list.size() >= limit)
            return;
        if (!list.contains(item, Qt::CaseInsensitive))
            list.append(item);
    }
}

} // namespace

struct Lexicon::Meanings
{
    QStringList meanings;
    QString headword;
    QString transcription;
    // Display texts of the articles read.
    QStringList articles;
};

QString Lexicon::defaultDictdFolder()
{
    const QString configured = qEnvironmentVariable("LEXOMAT_DICTD_DIR");
    return configured.isEmpty() ? u"/usr/share/dictd"_s : configured;
}

bool Lexicon::isInstalled(const QString &dictdFolder)
{
    return !dictionaryNames(dictdFolder).isEmpty();
}

std::shared_ptr<const Lexicon> Lexicon::shared()
{
    static std::mutex mutex;
    static std::weak_ptr<const Lexicon> current;
    const std::lock_guard lock(mutex);
    std::shared_ptr<const Lexicon> lexicon = current.lock();
    if (!lexicon) {
        lexicon = std::make_shared<const Lexicon>(defaultDictdFolder(), Lemmatizer::defaultFolder());
        current = lexicon;
    }
    return lexicon;
}

Lexicon::Lexicon(const QString &dictdFolder, const QString &wordNetFolder)
    : m_lemmatizer(wordNetFolder)
{
    const QDir dir(dictdFolder);
    const QStringList names = dictionaryNames(dictdFolder);
    for (const QString &name : names) {
        QFile indexFile(dir.filePath(name + u".index"));
        if (!indexFile.open(QIODevice::ReadOnly) || indexFile.size() > MaxIndexSize)
            continue;
        auto dictionary = std::make_shared<Dictionary>();
        dictionary->name = name;
        dictionary->index = DictdIndex(indexFile.readAll());
        const QString compressed = dir.filePath(name + u".dict.dz");
        dictionary->data = DictdData::openFile(QFile::exists(compressed) ? compressed : dir.filePath(name + u".dict"));
        if (dictionary->index.headwordCount() > 0 && dictionary->data.isValid())
            m_dictionaries.append(std::move(dictionary));
    }
    if (!m_dictionaries.isEmpty())
        m_state = State::Ready;
    else
        m_state = names.isEmpty() ? State::NotInstalled : State::Damaged;
}

QString Lexicon::problem() const
{
    switch (m_state) {
    case State::Ready:
        return {};
    case State::NotInstalled:
        return u"Англо-русский словарь не установлен. Его приносит пакет %1."_s.arg(QLatin1StringView(PackageName));
    case State::Damaged:
        return u"Англо-русский словарь повреждён и не читается. Переустановите пакет %1."_s.arg(QLatin1StringView(PackageName));
    }
    return {};
}

QString Lexicon::existingKey(const QString &headword) const
{
    // References spell abbreviations with blanks the index leaves out:
    // "= O. K." for "o.k.".
    const QString key = lookupKey(headword);
    QString joined = key;
    joined.remove(u' ');
    for (const QString &candidate : QStringList{key, key + u'.', joined, joined + u'.'}) {
        const QByteArray bytes = candidate.toUtf8();
        for (const auto &dictionary : m_dictionaries) {
            if (!dictionary->index.find(bytes).isEmpty())
                return candidate;
        }
    }
    return {};
}

bool Lexicon::holds(const QString &key) const
{
    const QByteArray bytes = key.toUtf8();
    return std::any_of(m_dictionaries.begin(), m_dictionaries.end(),
                       [&](const auto &dictionary) { return !dictionary->index.find(bytes).isEmpty(); });
}

QStringList Lexicon::otherSpellings(const QString &word) const
{
    // American and British spellings of the same sounds, either way round:
    // "color", "neighbor"; "realise", "organise"; "analyze"; "offense";
    // "center"; "catalog"; "marvelous", "traveler".
    static const std::array<std::pair<QStringView, QStringView>, 8> spellings{{
        {u"or", u"our"}, {u"is", u"iz"}, {u"iz", u"is"}, {u"yz", u"ys"},
        {u"ense", u"ence"}, {u"er", u"re"}, {u"og", u"ogue"}, {u"el", u"ell"},
    }};
    QStringList tried;
    if (word.contains(u'-') || word.contains(u' ')) {
        QString joined = word;
        tried.append(joined.remove(u'-').remove(u' '));
    } else {
        // Not next to an end: a letter alone is no part of a compound.
        for (qsizetype at = 2; at + 2 <= word.size(); ++at) {
            tried.append(word.first(at) + u'-' + word.sliced(at));
            tried.append(word.first(at) + u' ' + word.sliced(at));
        }
    }
    for (const auto &[from, to] : spellings) {
        for (qsizetype at = word.indexOf(from); at >= 0; at = word.indexOf(from, at + 1))
            tried.append(word.first(at) + to + word.sliced(at + from.size()));
    }
    QStringList held;
    for (const QString &spelling : std::as_const(tried)) {
        if (spelling != word && !held.contains(spelling) && holds(spelling))
            held.append(spelling);
    }
    return held;
}

QStringList Lexicon::articlesOf(const QString &headword) const
{
    const QByteArray key = headword.toUtf8();
    // The dictionaries' own descriptions are no articles.
    if (key.startsWith("00-database") || key.startsWith("00database"))
        return {};
    for (const auto &dictionary : m_dictionaries) {
        QStringList texts;
        for (const DictdIndex::Location &location : dictionary->index.find(key)) {
            if (const auto bytes = dictionary->data.read(location.offset, location.length))
                texts.append(QString::fromUtf8(*bytes));
        }
        if (!texts.isEmpty())
            return texts;
    }
    return {};
}

Lexicon::Meanings Lexicon::meaningsOf(const Query &query, int depth, QStringList &visited) const
{
    Meanings result;
    QList<Article> articles;
    for (const QString &text : articlesOf(query.key)) {
        articles.append(Article(text));
        result.articles.append(Article::displayText(text));
    }
    if (articles.isEmpty())
        return result;
    // "may" is the verb before "May" the month; "God" the other way round.
    std::stable_sort(articles.begin(), articles.end(), [&](const Article &a, const Article &b) {
        return a.headword() == query.spelling && b.headword() != query.spelling;
    });
    const bool spellingFound = articles.first().headword() == query.spelling;
    result.headword = articles.first().headword();
    for (const Article &article : std::as_const(articles)) {
        if (result.transcription.isEmpty())
            result.transcription = article.transcription();
    }

    // The senses of one part of speech of one homonym.
    struct Group
    {
        QString partOfSpeech;
        int score = 0;
        bool counted = false;
        bool demoted = false;
        // Meanings only from the articles it points to.
        bool borrowed = true;
        bool plural = false;
        // Whether some sense has no label of region, style or trade.
        bool plain = false;
        QList<QStringList> senses;
        QList<QStringList> marked;
    };
    QList<Group> groups;
    Meanings followed;
    qsizetype ownMeanings = 0;

    for (const Article &article : std::as_const(articles)) {
        const QList<Article::Sense> &senses = article.senses();
        // A pointer names a homonym, and a part of it or a sense of an
        // article without parts.
        const auto exists = [&](auto test) { return std::any_of(senses.begin(), senses.end(), test); };
        const bool homonymExists = exists([&](const Article::Sense &s) { return s.homonym == query.homonym; });
        const bool partExists = exists([&](const Article::Sense &s) {
            return s.part == query.number && (!homonymExists || s.homonym == query.homonym);
        });
        const bool senseExists = exists([&](const Article::Sense &s) { return s.number == query.number; });
        const Article::Sense *groupStart = nullptr;
        for (const Article::Sense &sense : senses) {
            if (sense.lettered)
                continue;
            if (query.homonym > 0 && homonymExists && sense.homonym != query.homonym)
                continue;
            if (query.number > 0 && partExists && sense.part != query.number)
                continue;
            if (query.number > 0 && !partExists && senseExists && sense.number != query.number)
                continue;
            if (!groupStart || sense.homonym != groupStart->homonym || sense.part != groupStart->part) {
                groupStart = &sense;
                Group group;
                group.partOfSpeech = sense.partOfSpeech;
                const auto part = wordNetPart(sense.partOfSpeech);
                group.counted = part.has_value();
                group.score = part ? m_lemmatizer.usageCount(article.headword(), *part) : 0;
                group.demoted = spellingFound && article.headword() != query.spelling;
                groups.append(group);
            }
            QStringList meanings = ShortMeanings::fromSense(sense.text);
            if (meanings.isEmpty() && depth < MaxDepth) {
                if (const auto reference = ShortMeanings::referenceOf(sense.text)) {
                    const QString key = existingKey(reference->headword);
                    if (!key.isEmpty() && !visited.contains(key)) {
                        visited.append(key);
                        Meanings target = meaningsOf({key, key, reference->homonym, reference->number, query.pluralAsked},
                                                     depth + 1, visited);
                        meanings = target.meanings;
                        if (followed.headword.isEmpty() && !target.meanings.isEmpty())
                            followed = std::move(target);
                    }
                }
            } else {
                ownMeanings += meanings.size();
                if (!meanings.isEmpty())
                    groups.last().borrowed = false;
            }
            if (meanings.isEmpty())
                continue;
            meanings = meanings.mid(0, MeaningsPerSense);
            Group &group = groups.last();
            // One who asks for "glasses" means "очки" before "стекло".
            if (query.pluralAsked && sense.text.startsWith(u"_pl.")) {
                group.plural = true;
                group.senses.prepend(meanings);
            } else if (isMarked(sense.text)) {
                group.marked.append(meanings);
            } else {
                group.senses.append(meanings);
            }
        }
    }
    // Senses of a region or a style ("_ам. житель") follow the plain ones
    // of their part.
    for (Group &group : groups) {
        group.plain = !group.senses.isEmpty();
        group.senses.append(group.marked);
    }

    // Of several groups of one part of speech from different homonyms or
    // articles, the first is the common one ("hope": "надежда" before
    // "залив"), unless a later one is far richer ("die": "умереть" after
    // "штамповать"). The others follow all parts.
    const auto farRicher = [](const Group &a, const Group &b) {
        if (a.plain != b.plain)
            return a.plain;
        return a.senses.size() >= 3 * b.senses.size() && a.senses.size() >= b.senses.size() + 3;
    };
    for (qsizetype i = 0; i < groups.size(); ++i) {
        for (qsizetype j = 0; j < groups.size(); ++j) {
            if (i == j || groups[i].partOfSpeech != groups[j].partOfSpeech)
                continue;
            if (j < i ? !farRicher(groups[i], groups[j]) : farRicher(groups[j], groups[i])) {
                groups[i].demoted = true;
                break;
            }
        }
    }
    // The article's order, unless WordNet's texts use a later part of
    // speech clearly more: "run" offers "бежать" before "бег". A part whose
    // meanings all come from another article ("tired": "_p-p. от tire")
    // follows the word's own meanings ("усталый").
    const auto clearlyBefore = [](const Group &a, const Group &b) {
        if (a.plural != b.plural)
            return a.plural;
        if (a.demoted != b.demoted)
            return b.demoted;
        if (a.borrowed != b.borrowed)
            return b.borrowed;
        // A numeral or pronoun keeps its place: WordNet does not count it.
        return a.counted && b.counted && a.score >= b.score + b.score / 2 + ClearMargin;
    };
    QList<Group> ranked;
    while (!groups.isEmpty()) {
        qsizetype best = 0;
        for (qsizetype i = 1; i < groups.size(); ++i) {
            if (clearlyBefore(groups[i], groups[best]))
                best = i;
        }
        ranked.append(groups.takeAt(best));
    }
    bool first = true;
    for (const Group &group : std::as_const(ranked)) {
        if (group.senses.isEmpty())
            continue;
        const int senseCount = first ? SensesOfFirstPart : SensesOfOtherParts;
        first = false;
        for (qsizetype i = 0; i < group.senses.size() && i < senseCount; ++i)
            appendNew(result.meanings, group.senses[i], MaxMeanings);
    }
    // A word the dictionary shows only in phrases ("sake": "for the sake of
    // ради") means what those phrases say.
    if (result.meanings.isEmpty() && followed.headword.isEmpty()) {
        for (const Article &article : std::as_const(articles)) {
            if (!article.senses().isEmpty()) {
                const QStringList phrases = ShortMeanings::fromPhrases(article.senses().first().text, article.headword());
                appendNew(result.meanings, phrases.mid(0, MeaningsPerSense), MaxMeanings);
            }
        }
    }

    // An article that only points elsewhere ("went": "_p. от go 1") stands
    // for the headword it points to.
    if (ownMeanings == 0 && !followed.headword.isEmpty()) {
        result.headword = followed.headword;
        result.transcription = followed.transcription;
        result.articles.append(followed.articles);
    }
    return result;
}

LookupResult Lexicon::lookup(const QString &word) const
{
    LookupResult result;
    result.word = word.simplified();
    const QString asked = lookupKey(word);
    if (asked.isEmpty() || asked.size() > MaxWordLength || m_state != State::Ready)
        return result;

    // The word as written first, then its base words, then the base of an
    // adverb's comparative ("sooner").
    QStringList candidates{asked};
    for (const QString &base : m_lemmatizer.baseForms(asked) + m_lemmatizer.adverbBases(asked)) {
        if (!candidates.contains(base))
            candidates.append(base);
    }
    Meanings firstFound;
    const auto tryCandidate = [&](const QString &candidate, const QString &spelling) {
        QStringList visited{candidate};
        const bool pluralAsked = candidate != asked && asked.endsWith(u's');
        Meanings meanings = meaningsOf({candidate, spelling, 0, 0, pluralAsked}, 0, visited);
        if (meanings.articles.isEmpty())
            return false;
        if (meanings.meanings.isEmpty()) {
            // "was" says only that it is a form of "be": the base word's
            // article follows the word's own.
            if (firstFound.articles.isEmpty())
                firstFound = std::move(meanings);
            return false;
        }
        QStringList articles = firstFound.articles;
        articles.append(meanings.articles);
        result.headword = meanings.headword;
        result.transcription = meanings.transcription;
        result.meanings = meanings.meanings;
        result.article = joinArticles(articles);
        return true;
    };
    for (const QString &candidate : std::as_const(candidates)) {
        // The spelling asked decides between "may" and "May".
        if (tryCandidate(candidate, candidate == asked ? result.word : candidate))
            return result;
    }
    // Another spelling, even after an article without meanings: "favor"
    // only says "_ам. = favour, favourable, ...".
    for (const QString &candidate : std::as_const(candidates)) {
        for (const QString &spelling : otherSpellings(candidate)) {
            if (tryCandidate(spelling, spelling))
                return result;
        }
    }
    if (!firstFound.articles.isEmpty()) {
        result.headword = firstFound.headword;
        result.transcription = firstFound.transcription;
        result.article = joinArticles(firstFound.articles);
    }
    return result;
}
