#include "tools/wrd/wrd_commands.h"

#include "dict/dict_library.h"
#include "dict/word_file.h"
#include "platform/single_instance.h"
#include "import/folder_import.h"
#include "import/word_import.h"
#include "import/word_list.h"
#include "tools/wrd/starter_course.h"
#include "tools/wrd/wrd_due.h"
#include "tools/wrd/wrd_lookup.h"
#include "tools/wrd/wrd_merge.h"
#include "tools/wrd/wrd_record.h"
#include "tools/wrd/wrd_words.h"
#include "progress/folder_progress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;

const QString Program = u"lexomat-wrd"_s;

const QString HelpText = uR"(Usage: lexomat-wrd COMMAND ARGUMENTS

Works on Lexomat dictionaries: the files tom_0.wrd, tom_1.wrd, ... of a
dictionary folder, each with up to 70 English words and up to three Russian
meanings for each word.

Commands:
  export FILE.wrd
      Prints the dictionary as UTF-8 text, one word a line: the word and
      its meanings separated by tabs.
  import TEXTFILE FOLDER
      Adds the words of TEXTFILE to the dictionaries of FOLDER the way
      Lexomat's word editor adds them: into the first dictionary with fewer
      than 70 words, filling it up to 70, then into new dictionaries named
      with the lowest free numbers. The folder is created when it is missing.
      Either every word is added or none: the whole file is checked first,
      and if a dictionary cannot be written, the files already written are
      put back as they were. Lexomat itself imports the same files when
      one is dropped onto its dictionaries tab or chosen with "Импорт..."
      in the list's context menu.
  create TEXTFILE FILE.wrd
      Writes the words of TEXTFILE (at most 70) as one new dictionary.
      An existing FILE.wrd is not replaced.
  check FOLDER
      Lists every dictionary of FOLDER in the order Lexomat lists them, with
      its number of lines and its status (1 playable: 6 to 69 lines; 0 too
      few words to play; -2 full: 70 lines or more; -1 unreadable), and shows
      the lines that are not in the dictionaries' stored form, names that
      Lexomat lists under another name, and names it cannot tell apart.
      Copies that a file-sync engine (Syncthing, Nextcloud, Dropbox) made
      of a dictionary changed on two computers are listed as faults.
  merge FOLDER
      Adds the words of every such conflict copy in FOLDER to the
      dictionary it was made of (each line that the dictionary lacks goes
      to its end; nothing is doubled or dropped) and moves the copy into
      FOLDER/conflicts. A copy that is no dictionary is left alone.
      Lexomat's "Объединить" on its dictionaries tab does the same.
  starter [--from DIR] FOLDER
      Adds Lexomat's starter course to FOLDER without changing what is
      there: the words of the starter dictionaries that FOLDER does not
      hold yet go, in the order of the course, into new dictionaries named
      with the lowest free numbers, up to 66 words each; a starter
      dictionary whose words are all in FOLDER already adds nothing. The
      folder is created when it is missing. Either every new dictionary is
      written or none. The starter dictionaries are read from DIR, by
      default from those installed with lexomat-wrd.
  progress FOLDER [--tsv] [--record FILE]
      For every dictionary of FOLDER and in total: how many of its words
      are new (never answered), being learnt and learnt (right often enough
      in a row), and the answers Lexomat recorded for them, by kind: right,
      wrong (another word's meaning), unanswered (the time ran out or
      "Дальше"), hints, and shown in the learning mode. Each word counts
      once, also when several dictionaries hold it. --tsv prints the same
      as tab-separated columns with a header line, one line per dictionary
      and a last line "total". The record is read from FILE, by default
      from this computer's index of every computer's answers,
      lexomat/progress.sqlite in the user's state folder ($XDG_STATE_HOME,
      else ~/.local/state), brought up to date from the journals in
      lexomat/journal/ of the data folder ($XDG_DATA_HOME, else
      ~/.local/share) first; FILE is never changed.
  due FOLDER [--record FILE] [--date YYYY-MM-DD] [--tsv]
      The review schedule of every word of FOLDER's dictionaries that has
      been reviewed: its English word, meanings, the days on which it was
      reviewed, its stability (days until the chance of recall falls to
      90 %), difficulty (1 to 10), the chance of recall on the date (by
      default today) and the day it is due, the lowest chance first. A
      word counts one review a day, its first answer that day: right is
      Good, right after a hint Hard, wrong or unanswered Again; being shown
      in the learning mode is no review. --tsv prints tab-separated columns
      with a header line. The record is read as for progress; it is never
      changed.
  lookup [--article | --tsv] WORD...
      Looks each word up in the English-Russian dictionary (Debian's
      mueller7-dict; another dictd dictionary named eng-rus serves too),
      as Lexomat's word editor does: the word as written, else its base
      word by WordNet (wordnet-base), and an article that only points to
      another headword followed there. Prints the headword found, its
      transcription and the short meanings a dictionary line can hold, one
      a line; --article prints the whole articles instead, --tsv a line
      "word TAB headword TAB meaning1 TAB meaning2 TAB meaning3" for each
      word. Status 1 when a word is not found, 2 when no dictionary is
      installed.
  words FILE [--folder DIR] [--coverage 95|98] [--tsv] [--into DIR]
        [--record FILE]
      Reads a text, subtitles or a book (plain text, .srt, .vtt, .html,
      .fb2, .epub) and tells how much of it the learner understands: the
      share of its running words that are function words, names, words of
      the dictionaries of DIR (--folder) or words the record of answers
      marks as learnt. Then the new words, their forms counted under their
      base word, most frequent first, with their meanings from the
      installed English-Russian dictionary and a sentence of the text:
      those that lift the share to 95 % (or 98 %). --tsv prints only that
      list, as tab-separated columns with a header line. --into DIR adds
      the words that have meanings to DIR as new dictionaries of 66 words,
      named with the lowest free numbers; all or nothing, and not while
      Lexomat runs, as import. With --into and no --folder, the words are
      measured against DIR's dictionaries. The record is read from FILE, by
      default as for progress; it is never changed. Files over 500 MB, and
      books that unpack to more than 200 MB of text, are not read.

Word lists (TEXTFILE) may take these forms, told apart by their content
(KVTML and dictionaries also by the extension of their names):
  - text, one word a line: the English word and up to three meanings,
    separated by tabs, or by semicolons on a line without a tab;
  - CSV as spreadsheets save it, with ',' or ';' between the fields;
    a field in double quotes may hold the delimiter, doubled quotes and
    line breaks; a first row of column names ("English;Russian") is
    passed over;
  - flashcard exports in plain text with header lines such as
    "#separator:tab" and "#html:true": HTML tags and entities are taken
    out of the fields, [sound:...] references dropped, and the columns the
    header names as tags, deck, note type or id left out;
  - KVTML (.kvtml): of every entry the English translation is the word
    and the Russian one the meanings, several separated by ',' ';' or '/';
  - Lexomat dictionaries (.wrd).
Text may be UTF-8 with or without a byte order mark, UTF-16 with one, or
Windows-1251. When a row's first field is Russian, its first field in Latin
letters is the word and the others are meanings, so Russian-first lists
import the right way round. A line break inside a meaning field separates
meanings. Blanks around a field are removed, empty meanings are left out,
blank lines are skipped. A field holds at most 35 characters and no comma,
a word at most three meanings; nothing is cut to fit. Every fault is
reported as FILE:LINE: what is wrong, and nothing is written.

import, create and starter write nothing while Lexomat runs for the same user:
close it first (it writes its current dictionary back when it closes).

Exit status: 0 done, 1 bad input, faults found or Lexomat running,
2 wrong command line.

Options:
  -h, --help     Shows this text.
  --version      Shows the version.
)"_s;

int usageError(QTextStream &err, const QString &text)
{
    err << Program << u": "_s << text << u"\nTry 'lexomat-wrd --help'.\n"_s;
    return Usage;
}

int report(QTextStream &err, const QList<WordListProblem> &problems)
{
    for (const WordListProblem &problem : problems)
        err << problem.Message() << u'\n';
    return Failed;
}

// The words of a word list, or the problems that make it unusable.
std::optional<QList<WordEntry>> readWordList(const QString &path, QTextStream &err)
{
    const WordImport::Result read = WordImport::ReadFile(path);
    if (!read.problems.isEmpty()) {
        report(err, read.problems);
        return std::nullopt;
    }
    if (read.entries.isEmpty()) {
        report(err, {{path, 0, u"holds no words"_s}});
        return std::nullopt;
    }
    return read.entries;
}

// A dictionary that exists and can be read; it is never created here.
std::optional<QStringList> readDictionary(const QString &path, QList<qsizetype> &undecoded, QTextStream &err)
{
    if (!QFileInfo(path).isFile()) {
        report(err, {{path, 0, u"no such dictionary file"_s}});
        return std::nullopt;
    }
    const WordFile file(path);
    if (file.status == WordFile::Unreadable) {
        report(err, {{path, 0, u"cannot be read"_s}});
        return std::nullopt;
    }
    undecoded = file.undecoded;
    return file.lines;
}

int exportDictionary(const QString &path, QTextStream &out, QTextStream &err)
{
    QList<qsizetype> undecoded;
    const std::optional<QStringList> lines = readDictionary(path, undecoded, err);
    if (!lines)
        return Failed;
    for (qsizetype i = 0; i < lines->size(); ++i) {
        const QString &line = lines->at(i);
        const auto warn = [&](const QString &text) {
            err << WordListProblem{path, static_cast<int>(i + 1), u"warning: "_s + text}.Message() << u'\n';
        };
        if (undecoded.contains(i))
            warn(u"the line is not in the stored form; written as it was read"_s);
        const WordEntry entry = WordList::FromDictionaryLine(line);
        if (entry.word.isEmpty()) {
            warn(u"no English word; left out"_s);
            continue;
        }
        if (line.count(u',') > 1 + WordList::MaxMeanings)
            warn(u"more than three meanings; Lexomat reads only the first three"_s);
        if (!line.endsWith(u','))
            warn(u"text after the last comma is no field; left out"_s);
        if (line.contains(u'\t'))
            warn(u"a tab inside a field; written as a blank"_s);
        out << WordList::ToText(entry) << u'\n';
    }
    return Done;
}

// Lexomat writes its current dictionary back when it closes, over whatever
// was written meanwhile: while it runs, nothing is written here. The lock is
// held until the command ends, so that Lexomat cannot start half-way.
std::unique_ptr<SingleInstanceLock> lockOutLexomat(QTextStream &err)
{
    auto lock = std::make_unique<SingleInstanceLock>(SingleInstanceLock::ProgramName);
    if (lock->state() != SingleInstanceLock::State::AlreadyRunning)
        return lock;
    err << Program << u": Lexomat is running; close it first, then run this command again (nothing was written)\n"_s;
    return nullptr;
}

int importWords(const QString &textPath, const QString &folder, QTextStream &out, QTextStream &err)
{
    const auto lock = lockOutLexomat(err);
    if (!lock)
        return Failed;
    const std::optional<QList<WordEntry>> entries = readWordList(textPath, err);
    if (!entries) {
        err << Program << u": nothing was imported\n"_s;
        return Failed;
    }
    FolderImport import(folder);
    if (!import.Run(WordList::ToDictionaryLines(*entries))) {
        for (const QString &error : import.Errors())
            err << Program << u": "_s << error << u'\n';
        err << Program << u": nothing was imported\n"_s;
        return Failed;
    }
    out << entries->size() << (entries->size() == 1 ? u" word"_s : u" words"_s) << u" added:\n"_s;
    for (const FolderImport::Portion &portion : import.Portions()) {
        out << u"  "_s << portion.added << u" to "_s << QDir::toNativeSeparators(portion.path)
            << (portion.created ? u" (new)"_s : QString()) << u'\n';
    }
    return Done;
}

int createDictionary(const QString &textPath, const QString &path, QTextStream &out, QTextStream &err)
{
    const auto lock = lockOutLexomat(err);
    if (!lock)
        return Failed;
    const std::optional<QList<WordEntry>> entries = readWordList(textPath, err);
    if (!entries)
        return Failed;
    if (entries->size() > WordFile::FullAt) {
        return report(err, {{textPath, entries->at(WordFile::FullAt).line,
                             QString::number(entries->size()) + u" words; one dictionary holds at most "_s
                                 + QString::number(WordFile::FullAt)}});
    }
    if (QFileInfo::exists(path))
        return report(err, {{path, 0, u"already exists; not replaced"_s}});

    bool written = false;
    {
        WordFile file(path);
        if (file.status != WordFile::Unreadable) {
            file.lines = WordList::ToDictionaryLines(*entries);
            written = file.Save() == 1;
        }
    }
    if (!written) {
        QFile::remove(path);
        return report(err, {{path, 0, u"cannot be written"_s}});
    }
    out << path << u": "_s << entries->size() << u" words\n"_s;
    return Done;
}

QString statusText(int status)
{
    switch (status) {
    case WordFile::Playable:
        return u"status 1 (playable)"_s;
    case WordFile::TooFew:
        return u"status 0 (too few words to play)"_s;
    case WordFile::Full:
        return u"status -2 (full)"_s;
    default:
        return u"status -1 (unreadable)"_s;
    }
}

int checkFolder(const QString &folderPath, QTextStream &out, QTextStream &err)
{
    const QFileInfo info(folderPath);
    if (!info.isDir())
        return report(err, {{folderPath, 0, info.exists() ? u"not a folder"_s : u"no such folder"_s}});
    const QDir folder(folderPath);

    struct Entry
    {
        QString name;
        qint64 number;
    };
    QList<Entry> entries;
    const QStringList names =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (DictLibrary::IsDictionaryEntry(name))
            entries.append({name, DictLibrary::NumberInName(name)});
    }
    // Lexomat's order: by number; names beyond the number range come last.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if ((a.number < 0) != (b.number < 0))
            return b.number < 0;
        return a.number < b.number;
    });

    int faults = 0;
    int words = 0;
    const auto fault = [&](const QString &path, int line, const QString &text) {
        ++faults;
        out << WordListProblem{path, line, text}.Message() << u'\n';
    };
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        const QString path = folder.filePath(entry.name);
        if (entry.number < 0) {
            fault(path, 0, u"the number in the name is too large; Lexomat does not list it"_s);
            continue;
        }
        const QString listed = u"tom_"_s + QString::number(entry.number) + u".wrd"_s;
        if (!QFileInfo(path).isFile()) {
            fault(path, 0, u"not a file; Lexomat lists it as "_s + listed + u" all the same"_s);
            continue;
        }
        const WordFile file(path);
        words += static_cast<int>(file.lines.size());
        QString summary = path + u": "_s + QString::number(file.lines.size())
                          + (file.lines.size() == 1 ? u" line, "_s : u" lines, "_s) + statusText(file.status);
        if (entry.name != listed)
            summary += u"; listed as "_s + listed;
        out << summary << u'\n';
        if (file.status == WordFile::Unreadable)
            fault(path, 0, u"cannot be read"_s);
        if (i > 0 && entries[i - 1].number == entry.number)
            fault(path, 0, u"has the same number as "_s + entries[i - 1].name + u"; Lexomat opens only "_s + listed);
        if (i >= DictLibrary::MaxNames)
            fault(path, 0, u"beyond the first 100 dictionaries; Lexomat does not list it"_s);
        for (const qsizetype index : file.undecoded) {
            fault(path, static_cast<int>(index + 1),
                  u"not in the stored form: \u00AB"_s + file.lines.at(index) + u"\u00BB"_s);
        }
    }
    faults += ListConflictCopies(folderPath, out);
    out << entries.size() << (entries.size() == 1 ? u" dictionary, "_s : u" dictionaries, "_s) << words
        << u" lines, "_s << faults << (faults == 1 ? u" fault\n"_s : u" faults\n"_s);
    return faults == 0 ? Done : Failed;
}

// The starter dictionaries installed with this program, found from its own
// place as the launcher finds them.
QString installedStarterFolder()
{
    if (QCoreApplication::instance() == nullptr)
        return QString();
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(LEXOMAT_STARTER_FROM_BIN));
}

int addStarterCourse(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QString from;
    QStringList folders;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--from"_s) {
            if (i + 1 == arguments.size() || !from.isEmpty())
                return usageError(err, u"starter needs [--from DIR] FOLDER"_s);
            from = arguments[++i];
        } else {
            folders.append(arguments[i]);
        }
    }
    if (folders.size() != 1)
        return usageError(err, u"starter needs [--from DIR] FOLDER"_s);
    if (from.isEmpty()) {
        from = installedStarterFolder();
        if (from.isEmpty() || !QFileInfo(from).isDir()) {
            err << Program << u": no installed starter dictionaries"_s
                << (from.isEmpty() ? QString() : u" in "_s + QDir::toNativeSeparators(from))
                << u"; name their folder with --from DIR\n"_s;
            return Failed;
        }
    }

    const auto lock = lockOutLexomat(err);
    if (!lock)
        return Failed;
    StarterCourse course(from, folders.first());
    if (!course.Run()) {
        for (const QString &error : course.Errors())
            err << Program << u": "_s << error << u'\n';
        err << Program << u": nothing was added\n"_s;
        return Failed;
    }
    const QList<StarterCourse::Written> &written = course.Dictionaries();
    int added = 0;
    for (const StarterCourse::Written &dictionary : written)
        added += dictionary.words;
    if (written.isEmpty()) {
        out << QDir::toNativeSeparators(folders.first()) << u" holds every word of the starter course already; nothing was added\n"_s;
        return Done;
    }
    out << added << (added == 1 ? u" word"_s : u" words"_s) << u" of the starter course added in "_s << written.size()
        << (written.size() == 1 ? u" new dictionary:\n"_s : u" new dictionaries:\n"_s);
    for (const StarterCourse::Written &dictionary : written)
        out << u"  "_s << dictionary.words << u" to "_s << QDir::toNativeSeparators(dictionary.path) << u'\n';
    if (course.KnownWords() > 0) {
        out << course.KnownWords() << u" of its "_s << course.CourseWords()
            << u" words were in the folder already and were left out\n"_s;
    }
    return Done;
}

int showProgress(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QString folderPath;
    QString recordPath;
    bool tsv = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--tsv"_s) {
            tsv = true;
        } else if (argument == u"--record"_s) {
            if (++i == arguments.size())
                return usageError(err, u"--record needs a FILE"_s);
            recordPath = arguments[i];
        } else if (argument.startsWith(u"--"_s) || !folderPath.isEmpty()) {
            return usageError(err, u"progress needs FOLDER [--tsv] [--record FILE]"_s);
        } else {
            folderPath = argument;
        }
    }
    if (folderPath.isEmpty())
        return usageError(err, u"progress needs FOLDER [--tsv] [--record FILE]"_s);
    const QFileInfo info(folderPath);
    if (!info.isDir())
        return report(err, {{folderPath, 0, info.exists() ? u"not a folder"_s : u"no such folder"_s}});

    const std::optional<ProgressMap> record = ReadRecordOfAnswers(recordPath, u"every word counts as new"_s, err);
    if (!record)
        return Failed;

    const FolderWords folder = FolderWords::Read(folderPath);
    struct Row
    {
        QString name;
        WordsProgress progress;
    };
    QList<Row> rows;
    for (const FolderWords::Dictionary &dictionary : folder.dictionaries)
        rows.append({dictionary.name, Summarise(dictionary.words, *record)});
    rows.append({u"total"_s, Summarise(folder.AllWords(), *record)});

    const QStringList header{u"dictionary"_s, u"new"_s,   u"learning"_s,   u"learnt"_s, u"right"_s,
                             u"wrong"_s,      u"unanswered"_s, u"hints"_s, u"shown"_s};
    const auto cells = [](const Row &row) {
        const StageCounts &s = row.progress.stages;
        const AnswerCounts &a = row.progress.answers;
        QStringList line{row.name};
        for (const int n : {s.fresh, s.learning, s.learnt, a.right, a.wrong, a.unanswered, a.hints, a.shown})
            line << QString::number(n);
        return line;
    };
    if (tsv) {
        out << header.join(u'\t') << u'\n';
        for (const Row &row : std::as_const(rows))
            out << cells(row).join(u'\t') << u'\n';
        return Done;
    }
    // Aligned columns: the names to the left, the numbers to the right.
    QList<QStringList> table{header};
    for (const Row &row : std::as_const(rows))
        table.append(cells(row));
    QList<qsizetype> widths(header.size(), 0);
    for (const QStringList &line : std::as_const(table)) {
        for (qsizetype c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], line[c].size());
    }
    for (const QStringList &line : std::as_const(table)) {
        QString text = line[0].leftJustified(widths[0]);
        for (qsizetype c = 1; c < line.size(); ++c)
            text += u"  "_s + line[c].rightJustified(widths[c]);
        out << text << u'\n';
    }
    return Done;
}

} // namespace

int RunWrdCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty())
        return usageError(err, u"no command given"_s);
    const QString &command = arguments.first();
    const QStringList rest = arguments.mid(1);
    const auto wrongCount = [&](qsizetype count) { return rest.size() != count; };
    const auto needs = [&](const QString &what) { return usageError(err, command + u" needs "_s + what); };

    if (command == u"-h"_s || command == u"--help"_s || command == u"help"_s) {
        out << HelpText;
        return Done;
    }
    if (command == u"--version"_s) {
        out << Program << u' ' << QStringLiteral(LEXOMAT_VERSION) << u'\n';
        return Done;
    }
    if (command == u"export"_s)
        return wrongCount(1) ? needs(u"FILE.wrd"_s) : exportDictionary(rest[0], out, err);
    if (command == u"import"_s)
        return wrongCount(2) ? needs(u"TEXTFILE FOLDER"_s) : importWords(rest[0], rest[1], out, err);
    if (command == u"create"_s)
        return wrongCount(2) ? needs(u"TEXTFILE FILE.wrd"_s) : createDictionary(rest[0], rest[1], out, err);
    if (command == u"check"_s)
        return wrongCount(1) ? needs(u"FOLDER"_s) : checkFolder(rest[0], out, err);
    if (command == u"starter"_s)
        return addStarterCourse(rest, out, err);
    if (command == u"merge"_s)
        return wrongCount(1) ? needs(u"FOLDER"_s) : MergeConflictCopies(rest[0], out, err);
    if (command == u"progress"_s)
        return showProgress(rest, out, err);
    if (command == u"due"_s)
        return ListDueWords(rest, out, err);
    if (command == u"lookup"_s)
        return LookUpWords(rest, out, err);
    if (command == u"words"_s)
        return WordsFromText(rest, out, err);
    return usageError(err, u"unknown command '"_s + command + u"'"_s);
}
