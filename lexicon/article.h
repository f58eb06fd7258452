#pragma once

#include <QList>
#include <QString>

// One article of an English–Russian dictd dictionary, laid out as Mueller's
// dictionary lays it out: the headword on the first line, then the body with
// transcriptions in square brackets, homonyms "_I", "_II", parts of speech
// "1.", "2.", numbered senses "1)", "2)" and lettered ones "а)", "б)", each
// marker at the start of a line, labels such as "_n." or "_разг." before
// the text they qualify. Any other layout reads as one sense.
class Article
{
public:
    struct Sense
    {
        int homonym = 0;  // 1 for "_I", 2 for "_II"; 0 without homonyms
        int part = 0;     // the part's number ("1."); 0 without parts
        int number = 0;   // the sense's number ("1)"); 0 for the part's own text
        bool lettered = false;  // a sense marked "а)", "б)"
        // The part's part-of-speech label without underscore and dot
        // ("n", "v", "a", "adv", "pron", "p-p"); empty when none is given.
        QString partOfSpeech;
        // The sense's text, its lines joined by single spaces.
        QString text;
    };

    explicit Article(const QString &text);

    const QString &headword() const { return m_headword; }
    // The first transcription of the article, brackets included, in the
    // letters of the IPA (see displayText); empty when there is none.
    const QString &transcription() const { return m_transcription; }
    const QList<Sense> &senses() const { return m_senses; }

    // The article as a learner reads it: Mueller's stand-ins inside square
    // brackets ("↗", "ɜ", "ɛ", "ɘ") become the IPA's stress mark and vowels.
    static QString displayText(const QString &text);

private:
    QString m_headword;
    QString m_transcription;
    QList<Sense> m_senses;
};
