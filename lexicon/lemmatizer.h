#pragma once

#include "lexicon/sorted_lines.h"

#include <QString>
#include <QStringList>

#include <array>

// The base words of English word forms by WordNet's rules: its exception
// lists ("went" -> "go", "children" -> "child") and its suffix rules
// ("houses" -> "house", "studies" -> "study"), a base word counting only
// when WordNet's index knows it. Reads the files of Debian's wordnet-base
// in place (the folder WNSEARCHDIR names, else /usr/share/wordnet).
//
// Opening maps nine files and reads nothing; every call is const and needs
// no lock, so one lemmatizer serves several threads. Without WordNet every
// word is its own base word and none is known.
class Lemmatizer
{
public:
    enum class PartOfSpeech { Noun, Verb, Adjective, Adverb };
    static constexpr std::array<PartOfSpeech, 4> PartsOfSpeech{
        PartOfSpeech::Noun, PartOfSpeech::Verb, PartOfSpeech::Adjective, PartOfSpeech::Adverb};

    // WNSEARCHDIR when set, else /usr/share/wordnet.
    static QString defaultFolder();

    explicit Lemmatizer(const QString &folder = defaultFolder());

    // Whether WordNet's index files were found.
    bool isOpen() const;

    // The base words of a word form, in lower case, without duplicates: the
    // word itself first when WordNet knows it as written, then the bases of
    // the exception lists, then those of the suffix rules, each part of
    // speech in the order noun, verb, adjective, adverb. A word WordNet does
    // not know and cannot reduce gives itself alone ("this" -> "this"), an
    // empty or blank word nothing. Words of several parts are joined by
    // single spaces ("ice cream").
    QStringList baseForms(const QString &word) const;

    // The bases of a comparative or superlative by WordNet's adjective rules
    // that WordNet knows as an adverb: "sooner" -> "soon", which its
    // own rules do not reach, since they look for the base among the
    // adjectives only.
    QStringList adverbBases(const QString &word) const;

    // Whether WordNet knows the word as written, as any part of speech.
    bool knows(const QString &word) const;
    bool knows(const QString &word, PartOfSpeech part) const;

    // How many of the word's senses as this part of speech WordNet counted
    // in its tagged texts. -1 when WordNet does not know the word as that
    // part.
    int taggedSenseCount(const QString &word, PartOfSpeech part) const;

    // How often WordNet's tagged texts use the word as this part of speech:
    // the counts of all its senses in cntlist.rev ("run": 29 as a noun,
    // 268 as a verb). 0 when never.
    int usageCount(const QString &word, PartOfSpeech part) const;

private:
    QByteArrayView indexLine(const QByteArray &key, PartOfSpeech part) const;

    std::array<SortedLines, 4> m_index;
    std::array<SortedLines, 4> m_exceptions;
    SortedLines m_senseCounts;
};
