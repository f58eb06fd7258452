#include "tools/wrd/wrd_lookup.h"

#include "lexicon/lexicon.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int Done = 0;
constexpr int NotFound = 1;
constexpr int Usage = 2;
constexpr int NoDictionary = 2;
// Meaning columns of --tsv: as many as a dictionary line holds.
constexpr qsizetype TsvMeanings = 3;

} // namespace

int LookUpWords(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    bool article = false;
    bool tsv = false;
    bool unknownOption = false;
    QStringList words;
    for (const QString &argument : arguments) {
        if (argument == u"--article"_s)
            article = true;
        else if (argument == u"--tsv"_s)
            tsv = true;
        else if (argument.startsWith(u"--"_s))
            unknownOption = true;
        else
            words.append(argument);
    }
    if (words.isEmpty() || unknownOption || (article && tsv)) {
        err << u"lexomat-wrd: lookup needs [--article | --tsv] WORD...\nTry 'lexomat-wrd --help'.\n"_s;
        return Usage;
    }
    const auto lexicon = Lexicon::shared();
    if (lexicon->state() != Lexicon::State::Ready) {
        err << u"lexomat-wrd: "_s << lexicon->problem() << u'\n';
        return NoDictionary;
    }
    int result = Done;
    bool firstWord = true;
    for (const QString &word : std::as_const(words)) {
        const LookupResult found = lexicon->lookup(word);
        if (!found.found()) {
            err << u"lexomat-wrd: "_s << word << u": not found\n"_s;
            result = NotFound;
            if (tsv)
                out << found.word << QString(u'\t').repeated(TsvMeanings + 1) << u'\n';
            continue;
        }
        if (tsv) {
            QStringList fields{found.word, found.headword};
            for (qsizetype i = 0; i < TsvMeanings; ++i)
                fields.append(found.meanings.value(i));
            out << fields.join(u'\t') << u'\n';
            continue;
        }
        if (!firstWord)
            out << u'\n';
        firstWord = false;
        if (article) {
            out << found.article.trimmed() << u'\n';
            continue;
        }
        QString heading = found.headword;
        if (found.headword.compare(found.word, Qt::CaseInsensitive) != 0)
            heading = found.word + u" → "_s + heading;
        if (!found.transcription.isEmpty())
            heading += u' ' + found.transcription;
        out << heading << u'\n';
        for (const QString &meaning : found.meanings)
            out << u"  "_s << meaning << u'\n';
    }
    return result;
}
