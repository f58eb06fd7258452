#pragma once

#include "game/answer_event.h"
#include "progress/word_progress.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QSqlDatabase;
class QSqlError;

// The record of answers: an SQLite database that holds one row per outcome
// of a turn, and beside it what follows from them per word (its box, counts
// and review schedule) and per day, kept up to date in the same transaction.
// This class is the only one that knows the database; nothing else writes SQL.
//
// The answers are what counts: a word's schedule is ReplaySchedule() of its
// answers, and the row beside the word only keeps it at hand. An answer that
// arrives out of time order makes the word's schedule be replayed from all
// its answers.
class ProgressStore
{
public:
    static constexpr int SchemaVersion = 2;

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
    };

    ProgressStore();
    ~ProgressStore();
    ProgressStore(const ProgressStore &) = delete;
    ProgressStore &operator=(const ProgressStore &) = delete;

    // progress.sqlite in the "lexomat" folder of the user's data folder
    // ($XDG_DATA_HOME, else ~/.local/share), beside the dictionary folder of
    // the installed program but never in it.
    static QString DefaultPath();

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

    // Adds one outcome at time (milliseconds since the epoch) for a word of
    // the dictionary file named dictionary; false, with ErrorText(), when it
    // could not be written (nothing of it is then kept). A word without an
    // English word is nothing to learn and is left out.
    bool Record(const AnswerEvent &event, const QString &dictionary, qint64 time);

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
    bool write(const AnswerEvent &event, const QString &dictionary, qint64 time, QSqlError &error);
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
};
