#pragma once

#include "game/answer_event.h"
#include "progress/word_progress.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>

// One answer as a journal keeps it: which computer gave it, its place in
// that computer's sequence, and the outcome itself.
struct JournalAnswer
{
    QString computer;
    qint64 sequence = 0;
    qint64 time = 0; // milliseconds since the epoch
    QString dictionary;
    WordKey word;
    AnswerKind kind = AnswerKind::Right;
};

// A computer's journal of answers in the shared folder: one JSON object a
// line, appended only by the computer it is named after, so that a file-sync
// engine only ever carries it one way and never has to choose between two
// versions. A line is whole once its newline is written; whatever follows
// the last newline is a line still being written (or copied) and is read
// later, once it is whole.
class AnswerJournal
{
public:
    static constexpr int Version = 1;

    // "<computer>.jsonl" in the journal folder.
    static QString FileName(const QString &computer);
    // The line of an answer, newline included.
    static QByteArray Line(const JournalAnswer &answer);

    // What a reading of a journal found from a given offset on.
    struct Reading
    {
        QList<JournalAnswer> answers;
        qint64 end = 0;        // just after the last whole line read
        qint64 lastLine = 0;   // where that line begins
        QByteArray lastHash;   // a hash of that line, to tell the same file again
        qint64 unknown = 0;    // fields, and outcomes, this version does not know: skipped
        QList<qint64> damaged; // offsets of whole lines that hold no answer
        bool more = false;     // whole lines are left beyond maxLines
        QString error;         // the file could not be read
    };
    // Whole lines from offset from on, at most maxLines of them.
    static Reading Read(const QString &path, qint64 from, qint64 maxLines);
    static QByteArray Hash(QByteArrayView line);

    // An answer just appended: where its line lies in the file.
    struct Appended
    {
        qint64 sequence = 0;
        qint64 start = 0;
        qint64 end = 0;
        QByteArray hash;
    };

    // This computer's own journal, to append to.
    AnswerJournal(QString path, QString computer);
    // Opens the file for appending (making it and its folder when missing),
    // cuts off a line a crash left half written and finds the sequence
    // number the next answer takes.
    bool Open();
    // Writes one answer and waits until it is on the disk; nothing, with
    // ErrorText(), when it could not be.
    std::optional<Appended> Append(const AnswerEvent &event, const QString &dictionary, qint64 time);
    QString Path() const { return m_file.fileName(); }
    QString Computer() const { return m_computer; }
    QString ErrorText() const { return m_error; }

private:
    QFile m_file;
    QString m_computer;
    QString m_error;
    qint64 m_size = 0;
    qint64 m_next = 1;
};
