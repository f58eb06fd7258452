#include "tools/wrd/wrd_words.h"

#include "dict/word_file.h"
#include "import/folder_import.h"
#include "platform/single_instance.h"
#include "reading/lexicon_knowledge.h"
#include "reading/quazip_archive.h"
#include "reading/reading_run.h"
#include "tools/wrd/wrd_record.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;

const QString Program = u"lexomat-wrd"_s;
const QString Synopsis = u"words needs FILE [--folder DIR] [--coverage 95|98] [--tsv] [--into DIR] [--record FILE]"_s;

int usageError(QTextStream &err, const QString &text)
{
    err << Program << u": "_s << text << u"\nTry 'lexomat-wrd --help'.\n"_s;
    return Usage;
}

QString problemText(const Reading::ReadProblem &problem)
{
    using Kind = Reading::ReadProblem::Kind;
    const QString file = QDir::toNativeSeparators(problem.path) + u": "_s;
    switch (problem.kind) {
    case Kind::Missing:
        return file + u"no such file"_s;
    case Kind::NotAFile:
        return file + u"not a file"_s;
    case Kind::Unreadable:
        return file + u"cannot be read: "_s + QString::fromLocal8Bit(std::strerror(problem.error));
    case Kind::TooLarge:
        return file + u"%1 MB; files over %2 MB are not read"_s.arg(problem.size / (1024 * 1024)).arg(
                          Reading::MaxFileSize / (1024 * 1024));
    case Kind::Empty:
        return file + u"the file is empty"_s;
    case Kind::Binary:
        return file + u"not a text, subtitles or a book"_s;
    case Kind::UnknownFormat:
        return file + problem.detail + u" files are not read; save it as text, HTML, FB2 or EPUB"_s;
    case Kind::BadXml:
        return file + u"line %1: damaged XML: %2"_s.arg(problem.line).arg(problem.detail);
    case Kind::XmlEntities:
        return file + u"line %1: declares XML entities, which are never expanded"_s.arg(problem.line);
    case Kind::NotEpub:
        return file + u"a ZIP archive but no EPUB book ("_s + problem.detail + u")"_s;
    case Kind::BrokenZip:
        return file + u"damaged ZIP archive ("_s + problem.detail + u")"_s;
    case Kind::ZipUnavailable:
        return file + u"books cannot be read: no ZIP reader ("_s + problem.detail + u")"_s;
    case Kind::NoSpine:
        return file + u"the book's reading order names no part that can be read"_s;
    case Kind::TextLimit:
        return file + u"unpacks to more than %1 MB of text; reading stopped"_s.arg(Reading::MaxTextBytes / (1024 * 1024));
    case Kind::NoText:
        return file + u"holds no text"_s;
    case Kind::Cancelled:
        break;
    }
    return file + u"reading was stopped"_s;
}

QString formatName(Reading::Format format)
{
    switch (format) {
    case Reading::Format::Srt:
        return u"SubRip subtitles"_s;
    case Reading::Format::WebVtt:
        return u"WebVTT subtitles"_s;
    case Reading::Format::Html:
        return u"HTML"_s;
    case Reading::Format::FictionBook:
        return u"FictionBook"_s;
    case Reading::Format::Epub:
        return u"EPUB"_s;
    case Reading::Format::Text:
    case Reading::Format::Clipboard:
        break;
    }
    return u"text"_s;
}

// One decimal, rounded down.
QString percent(qint64 part, qint64 whole)
{
    const qint64 permille = whole == 0 ? 0 : part * 1000 / whole;
    return u"%1.%2 %"_s.arg(permille / 10).arg(permille % 10);
}

// The English words the record marks as learnt; none without a record.
QStringList learntWords(const ProgressMap &record)
{
    QStringList words;
    for (auto it = record.cbegin(); it != record.cend(); ++it) {
        if (it.value().stage() == Stage::Learnt)
            words.append(it.key().english);
    }
    return words;
}

void printSummary(const QString &path, const ReadingRun::Outcome &outcome, int coverage, int chosen, QTextStream &out)
{
    const TextAnalysis &analysis = *outcome.analysis;
    const int baseWords = analysis.functionWords.words + analysis.inFolder.words + analysis.learnt.words
                          + static_cast<int>(analysis.newWords.size());
    out << QDir::toNativeSeparators(path) << u": "_s << formatName(outcome.document->format) << u", "_s
        << analysis.runningWords << u" running words, "_s << baseWords << u" base words and "_s << analysis.names.words
        << u" names\n"_s;
    out << u"Known now: "_s << percent(analysis.KnownOccurrences(), analysis.runningWords)
        << u" of the running words\n"_s;
    const auto group = [&](const QString &name, const TextAnalysis::Group &g) {
        out << u"  "_s << name.leftJustified(18) << QString::number(g.occurrences).rightJustified(8)
            << u" running words, "_s << g.words << u" words\n"_s;
    };
    group(u"function words"_s, analysis.functionWords);
    group(u"in the folder"_s, analysis.inFolder);
    group(u"learnt"_s, analysis.learnt);
    group(u"names"_s, analysis.names);
    out << u"  left out: "_s << analysis.numbers << u" numbers and single letters\n"_s;
    const int for95 = analysis.WordsFor(95);
    const int for98 = analysis.WordsFor(98);
    out << u"New words: "_s << analysis.newWords.size() << u"; "_s << for95 << u" of them lift it to 95 %, "_s << for98
        << u" to 98 %\n"_s;
    const qsizetype withoutMeaning = std::count_if(analysis.newWords.cbegin(), analysis.newWords.cbegin() + chosen,
                                                   [](const TextWord &w) { return w.meanings.isEmpty(); });
    out << u"\nThe "_s << chosen << u" new words up to "_s << coverage << u" %"_s;
    if (withoutMeaning > 0)
        out << u" ("_s << withoutMeaning << u" without a meaning in the dictionary)"_s;
    out << (chosen > 0 ? u":\n"_s : u".\n"_s);
}

int addWords(const QList<TextWord> &words, const QString &folder, QTextStream &out, QTextStream &err)
{
    QStringList lines;
    int withoutMeaning = 0;
    for (const TextWord &word : words) {
        if (const std::optional<WordEntry> entry = DictionaryEntry(word.word, word.meanings))
            lines.append(WordList::ToDictionaryLine(*entry));
        else
            ++withoutMeaning;
    }
    if (withoutMeaning > 0)
        out << withoutMeaning << u" words without a meaning in the dictionary are left out\n"_s;
    if (lines.isEmpty()) {
        out << u"No words to add; nothing was written\n"_s;
        return Done;
    }
    if (lines.size() < WordFile::MinPlayable) {
        err << Program << u": only "_s << lines.size() << u" words with meanings; a dictionary needs at least "_s
            << WordFile::MinPlayable << u" to be played (nothing was written)\n"_s;
        return Failed;
    }
    FolderImport import(folder);
    if (!import.RunIntoNew(FolderImport::SplitForNew(lines, NewDictionaryWords))) {
        for (const QString &error : import.Errors())
            err << Program << u": "_s << error << u'\n';
        err << Program << u": nothing was added\n"_s;
        return Failed;
    }
    out << lines.size() << u" words added in "_s << import.Portions().size()
        << (import.Portions().size() == 1 ? u" new dictionary:\n"_s : u" new dictionaries:\n"_s);
    for (const FolderImport::Portion &portion : import.Portions())
        out << u"  "_s << portion.added << u" to "_s << QDir::toNativeSeparators(portion.path) << u'\n';
    return Done;
}

} // namespace

int WordsFromText(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QString file;
    QString folder;
    QString into;
    QString recordPath;
    int coverage = 95;
    bool tsv = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const auto value = [&](QString &target) {
            if (i + 1 == arguments.size() || !target.isEmpty())
                return false;
            target = arguments[++i];
            return true;
        };
        if (argument == u"--tsv"_s) {
            tsv = true;
        } else if (argument == u"--folder"_s) {
            if (!value(folder))
                return usageError(err, Synopsis);
        } else if (argument == u"--into"_s) {
            if (!value(into))
                return usageError(err, Synopsis);
        } else if (argument == u"--record"_s) {
            QString given;
            if (!value(given))
                return usageError(err, Synopsis);
            recordPath = given;
        } else if (argument == u"--coverage"_s) {
            if (i + 1 == arguments.size())
                return usageError(err, Synopsis);
            const QString given = arguments[++i];
            if (given != u"95"_s && given != u"98"_s)
                return usageError(err, u"--coverage is 95 or 98"_s);
            coverage = given.toInt();
        } else if (argument.startsWith(u"--"_s) || !file.isEmpty()) {
            return usageError(err, Synopsis);
        } else {
            file = argument;
        }
    }
    if (file.isEmpty())
        return usageError(err, Synopsis);
    // The words go into the folder they are measured against, unless told.
    if (folder.isEmpty())
        folder = into;
    if (!folder.isEmpty() && !QFileInfo(folder).isDir() && folder != into) {
        err << Program << u": "_s << folder << u": no such folder\n"_s;
        return Failed;
    }

    // Lexomat writes its current dictionary back when it closes: while it
    // runs, nothing is added. The lock is held to the end.
    std::unique_ptr<SingleInstanceLock> lock;
    if (!into.isEmpty()) {
        lock = std::make_unique<SingleInstanceLock>(SingleInstanceLock::ProgramName);
        if (lock->state() == SingleInstanceLock::State::AlreadyRunning) {
            err << Program
                << u": Lexomat is running; close it first, then run this command again (nothing was written)\n"_s;
            return Failed;
        }
    }

    const std::optional<ProgressMap> record = ReadRecordOfAnswers(recordPath, u"no word counts as learnt"_s, err);
    if (!record)
        return Failed;
    const QStringList learnt = learntWords(*record);
    QuaZipArchives::UseLinked();
    const LexiconKnowledge knowledge;
    if (!knowledge.HasMeanings())
        err << Program << u": no English-Russian dictionary installed (Debian package mueller7-dict); "
                          "words come without meanings\n"_s;

    const ReadingRun::Outcome outcome = ReadingRun::FromFile(file, knowledge, [&] {
        KnownWords known = KnownWords::FromFolder(folder, knowledge);
        known.AddLearnt(learnt, knowledge);
        return known;
    });
    if (outcome.problem) {
        err << Program << u": "_s << problemText(*outcome.problem) << u'\n';
        return Failed;
    }
    const TextAnalysis &analysis = *outcome.analysis;
    if (analysis.runningWords == 0) {
        err << Program << u": "_s << QDir::toNativeSeparators(file) << u": no English words\n"_s;
        return Failed;
    }
    for (const QString &part : outcome.document->missingParts)
        err << Program << u": "_s << QDir::toNativeSeparators(file) << u": missing part passed over: "_s << part << u'\n';
    for (const QString &part : outcome.document->repeatedParts)
        err << Program << u": "_s << QDir::toNativeSeparators(file) << u": part named again, read once: "_s << part << u'\n';

    const QList<TextWord> chosen = analysis.newWords.mid(0, analysis.WordsFor(coverage));
    if (tsv) {
        out << u"count\tword\tmeanings\texample\n"_s;
    } else {
        printSummary(file, outcome, coverage, static_cast<int>(chosen.size()), out);
    }
    for (const TextWord &word : chosen) {
        if (tsv) {
            out << word.count << u'\t' << word.word << u'\t' << word.meanings.join(u"; "_s) << u'\t'
                << QString(word.example).replace(u'\t', u' ') << u'\n';
        } else {
            out << QString::number(word.count).rightJustified(6) << u"  "_s << word.word << u" — "_s
                << (word.meanings.isEmpty() ? u"(no meaning in the dictionary)"_s : word.meanings.mid(0, 3).join(u", "_s))
                << u"\n        "_s << word.example << u'\n';
        }
    }
    if (into.isEmpty())
        return Done;
    if (!tsv)
        out << u'\n';
    return addWords(chosen, into, out, err);
}
