// The fuzz check of the readers of texts, subtitles and books, and of the
// analysis of what they read.
#include "fuzz_checks.h"

#include "reading/document.h"
#include "reading/known_words.h"
#include "reading/quazip_archive.h"
#include "reading/text_analysis.h"
#include "reading/word_knowledge.h"

using namespace Qt::StringLiterals;

namespace {

// Every word its own base word; words with a vowel are known and have one
// meaning, so that every branch of the analysis is taken.
class PlainKnowledge : public WordKnowledge
{
public:
    QString BaseWord(const QString &form) const override
    {
        return form.endsWith(u's') && form.size() > 2 ? form.chopped(1) : form;
    }
    bool Knows(const QString &word) const override { return word.contains(u'a'); }
    QStringList Meanings(const QString &base) const override
    {
        return base.contains(u'e') ? QStringList{u"значение"_s} : QStringList();
    }
    int Frequency(const QString &base) const override { return static_cast<int>(base.size()); }
};

} // namespace

namespace FuzzChecks {

QString readingText(const QByteArray &data)
{
    static const bool linked = (QuaZipArchives::UseLinked(), true);
    Q_UNUSED(linked);
    if (data.isEmpty())
        return {};
    static const QStringList names{u"a.txt"_s, u"a.srt"_s, u"a.vtt"_s, u"a.html"_s, u"a.fb2"_s, u"a.epub"_s};
    const QString name = names[static_cast<uchar>(data[0]) % names.size()];
    const Reading::ReadResult read = Reading::ReadBytes(data.mid(1), name);
    if (read.document.has_value() == read.problem.has_value())
        return u"a document and a problem, or neither"_s;
    if (!read.document)
        return read.problem->path == name ? QString() : u"the problem names "_s + read.problem->path;
    const Reading::Document &document = *read.document;
    if (document.text.trimmed().isEmpty())
        return u"a document without text"_s;
    if (document.text.size() > Reading::MaxTextBytes)
        return u"more text than the cap"_s;

    const PlainKnowledge knowledge;
    KnownWords known;
    known.inFolder.insert(u"cat"_s);
    const std::optional<TextAnalysis> analysis = AnalyseText(document, knowledge, known);
    if (!analysis)
        return u"an analysis that stopped by itself"_s;
    qint64 counted = analysis->KnownOccurrences();
    int previous = INT_MAX;
    for (const TextWord &word : analysis->newWords) {
        if (word.count <= 0 || word.count > previous)
            return u"new words out of order at "_s + word.word;
        previous = word.count;
        if (word.word.isEmpty() || word.example.isEmpty())
            return u"a new word without its spelling or example"_s;
        counted += word.count;
    }
    if (counted != analysis->runningWords)
        return u"running words %1, counted %2"_s.arg(analysis->runningWords).arg(counted);
    const int for95 = analysis->WordsFor(95);
    const int for98 = analysis->WordsFor(98);
    if (for95 > for98 || for98 > analysis->newWords.size() || analysis->KnownPermille() > 1000)
        return u"coverage %1 ‰, %2 and %3 of %4 words"_s.arg(analysis->KnownPermille()).arg(for95).arg(for98).arg(
            analysis->newWords.size());
    return {};
}

} // namespace FuzzChecks
