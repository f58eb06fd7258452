#pragma once

#include "game/answer_event.h"
#include "progress/answer_journal.h"
#include "progress/word_progress.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QSqlDatabase;
class QSqlError;

// The record of answers: an SQLite database that holds one row per outcome
// of a turn, and beside it what follows from them per word (its box, counts
// and review schedule) and per day, kept up to date in the same transaction.
// This class is the only one that knows the database; nothing else writes SQL.
//
// The answers are what counts: a word's schedule is ReplaySchedule() of its
// answers, and the row beside the word only keeps it at hand. Where answers
// are kept in journals (one per computer, in the shared folder), the
// database is an index of them on this computer alone: it can always be
// built again from the journals, and knows how far it has read each one. An answer that
// arrives out of time order makes the word's schedule be replayed from all
// its answers.
class ProgressStore
{
public:
    static constexpr int SchemaVersion = 4;

    // Told from time to time while the opening brings a record of an older
    // version up to date: how many of its answers are done, of how many.
    using MigrationProgress = std::function<void(qint64 done, qint64 total)>;

    enum class OpenResult {
        Opened,  // ready to record
        Renewed, // the file is no sound record: kept under DamagedCopy(), a fresh one begun
        Failed,  // no record: ErrorText() says why
    };

    enum class Mode {
        Record, // creates the file and its folder when missing
        Read,   // opens an existing record read-only; changes nothing on disk
        Index,  // as Record, but a damaged file is refused and left for the window to put aside
    };

    // How far the index has read one journal: up to readTo, the last line
    // read beginning at lastLine and hashing to lastHash. A journal whose
    // file no longer holds that line there has been replaced or cut short.
    struct JournalMark
    {
        QString computer; // the computer its answers name
        qint64 readTo = 0;
        qint64 lastLine = 0;
        QByteArray lastHash;
    };

    ProgressStore();
    ~ProgressStore();
    ProgressStore(const ProgressStore &) = delete;
    ProgressStore &operator=(const ProgressStore &) = delete;

    // progress.sqlite in the "lexomat" folder of the user's state folder
    // ($XDG_STATE_HOME, else ~/.local/state): the index of this computer,
    // outside the folder that is shared.
    static QString DefaultPath();
    // Where Lexomat kept the record before there were journals: beside the
    // dictionaries, in the shared folder.
    static QString FormerPath();

    // Recording, the opening checks only the file's header and schema, so
    // that a large record opens at once; damage deeper in the file shows when
    // a read or write reaches it, and is then met in the same way: the file
    // goes aside and a fresh record takes its place. Reading, every page is
    // checked first and a damaged file is refused.
    OpenResult Open(const QString &path, Mode mode = Mode::Record);
    // Whom the next openings tell how far a migration has come.
    void SetMigrationProgress(MigrationProgress progress) { m_migrationProgress = std::move(progress); }
    void Close();
    bool IsOpen() const;
    QString Path() const { return m_path; }
    // Where a damaged record was put aside, at the opening or since; empty
    // while none was.
    QString DamagedCopy() const { return m_damagedCopy; }
    QString ErrorText() const { return m_error; }

    // This computer's journal, opened: from now on each answer is written
    // into it before the database.
    void SetJournal(std::unique_ptr<AnswerJournal> journal);
    AnswerJournal *Journal() const { return m_journal.get(); }

    // Adds one outcome at time (milliseconds since the epoch) for a word of
    // the dictionary file named dictionary; false, with ErrorText(), when it
    // could not be written (nothing of it is then kept, or only in the
    // journal, from where it is indexed later). A word without an English
    // word is nothing to learn and is left out.
    bool Record(const AnswerEvent &event, const QString &dictionary, qint64 time);

    // Every answer, in the order recorded, without a computer or sequence
    // number: what a record kept before there were journals.
    QList<JournalAnswer> Answers();
    // Every journal read so far, by file name.
    QHash<QString, JournalMark> JournalMarks();
    // Adds answers read from the journal name and moves its mark, in one
    // transaction; answers already there (the same journal and sequence
    // number) are left out. With restart the journal's earlier answers are
    // taken back first: it was replaced or cut short and is read anew.
    bool AddFromJournal(const QString &name, const QList<JournalAnswer> &answers, const JournalMark &mark,
                        bool restart, qint64 *added = nullptr);
    // Makes the sums of the words that AddFromJournal() reached (until
    // then their answers are counted, their sums may lag behind).
    bool RebuildStaleWords();
    // Of the notices named, those never given before; from now on they
    // count as given.
    QStringList FirstTimeNotices(const QStringList &names);

    // Every word the record knows, with its box, counts and schedule; empty,
    // with ErrorText(), when it could not be read.
    QHash<WordKey, WordProgress> Words();
    // Answers of each day from last - days + 1 to last (local dates), oldest first.
    QList<int> AnswersPerDay(QDate last, int days);
    qint64 AnswerCount() const;

private:
    struct Statements;

    OpenResult fail(const QString &text);
    bool connect(Mode mode);
    // Empty when the file is whole as far as checked; else what is wrong.
    QString damage(bool thorough) const;
    // The journal, the schema and the statements of a record to write.
    bool setUp();
    // Puts the damaged file aside and begins a fresh record in its place.
    bool renew();
    bool renewIfDamaged(const QSqlError &error);
    bool write(const AnswerEvent &event, const QString &dictionary, qint64 time,
               const std::optional<AnswerJournal::Appended> &appended, QSqlError &error);
    // A write transaction that waits for the other writers (the index is
    // brought up to date on another thread and by other programs).
    bool begin();
    // The words' sums and schedules from their answers.
    bool rebuildWords(const QList<WordKey> &keys, QSqlError &error);
    // The schedule of a word from all its recorded answers.
    bool replay(const WordKey &key, WordSchedule &schedule, QSqlError &error);
    bool migrate();
    bool prepare();
    bool moveDamagedAside();

    QString m_connection;
    QString m_path;
    QString m_damagedCopy;
    QString m_error;
    Mode m_mode = Mode::Record;
    MigrationProgress m_migrationProgress;
    LocalDays m_days;
    std::unique_ptr<QSqlDatabase> m_db;
    std::unique_ptr<Statements> m_statements;
    std::unique_ptr<AnswerJournal> m_journal;
};
