#pragma once

#include "lexicon/dictd_data.h"
#include "lexicon/dictd_index.h"
#include "lexicon/lemmatizer.h"

#include <QString>
#include <QStringList>

#include <memory>

// What the dictionary says about one English word.
struct LookupResult
{
    // The word as asked, its blanks tidied.
    QString word;
    // The headword whose article gave the meanings: the word itself, its
    // base word ("house" for "houses"), or the headword an article points
    // to ("go" for "went"). Empty when the dictionary knows none of them.
    QString headword;
    // The headword's transcription with its brackets, "[ɡəʊ]"; may be empty.
    QString transcription;
    // Short meanings, most useful first: each fits a dictionary line's field
    // (at most 35 characters, no comma).
    QStringList meanings;
    // The whole articles read, as a learner reads them, the asked word's own
    // first. Not empty whenever headword is not.
    QString article;

    bool found() const { return !headword.isEmpty(); }
};

// The English–Russian dictionary: the dictd dictionaries of a folder
// (Mueller's first) and WordNet's lemmatizer. One lookup lemmatizes the word
// when the dictionary does not know it as written, finds the article,
// follows an article that only points to another headword, and derives the
// short meanings.
//
// Opening reads the dictionaries' indexes (a few milliseconds) and maps the
// rest; lookups are const and need no lock, so one lexicon serves several
// threads.
class Lexicon
{
public:
    enum class State {
        Ready,         // at least one dictionary can be read
        NotInstalled,  // the folder holds no English–Russian dictionary
        Damaged,       // there are dictionary files, but none can be read
    };

    // The Debian package that brings the dictionary.
    static constexpr auto PackageName = "mueller7-dict";
    static constexpr qsizetype MaxMeanings = 12;

    // LEXOMAT_DICTD_DIR when set, else /usr/share/dictd.
    static QString defaultDictdFolder();
    // Whether the folder holds an English–Russian dictionary; reads only the
    // folder's listing, so it is cheap enough for a dialog's opening.
    static bool isInstalled(const QString &dictdFolder = defaultDictdFolder());

    // The lexicon of the default folders, opened on the first call and kept
    // while someone holds it: memory is held only while it is used.
    static std::shared_ptr<const Lexicon> shared();

    Lexicon(const QString &dictdFolder, const QString &wordNetFolder);

    State state() const { return m_state; }
    // For a lexicon that is not ready: why, in Russian, naming the package.
    QString problem() const;

    LookupResult lookup(const QString &word) const;

    const Lemmatizer &lemmatizer() const { return m_lemmatizer; }

private:
    struct Dictionary
    {
        QString name;
        DictdIndex index;
        DictdData data;
    };
    struct Meanings;
    // An article to read: its index key, the spelling of the headword asked
    // for, the homonym and part or sense a pointer names (0 for all), and
    // whether a plural was asked for.
    struct Query
    {
        QString key;
        QString spelling;
        int homonym = 0;
        int number = 0;
        bool pluralAsked = false;
    };

    QStringList articlesOf(const QString &headword) const;
    // Spellings of a word the dictionaries hold when they lack the word as
    // written: joined by a hyphen or a blank ("co-operate", "per cent"),
    // or in the other of the British and American spellings ("colour" for
    // "color", "realize" for "realise").
    QStringList otherSpellings(const QString &word) const;
    bool holds(const QString &key) const;
    // The index's spelling of a headword a reference names; empty if none.
    QString existingKey(const QString &headword) const;
    Meanings meaningsOf(const Query &query, int depth, QStringList &visited) const;

    QList<std::shared_ptr<const Dictionary>> m_dictionaries;
    Lemmatizer m_lemmatizer;
    State m_state = State::NotInstalled;
};
