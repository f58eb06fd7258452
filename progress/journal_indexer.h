#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class ProgressStore;
class QFileSystemWatcher;
class QThread;
class QTimer;

// Brings this computer's index of answers up to date with the journals of
// every computer in the shared folder: what each journal gained since it was
// last read, or the whole of a journal that was replaced or cut short. The
// work runs on a thread of its own, at Start() and whenever the journal
// folder or a journal in it changes.
class JournalIndexer : public QObject
{
    Q_OBJECT

public:
    struct Places
    {
        QString index;    // the index database
        QString folder;   // the journal folder
        QString computer; // this computer's id (its journal is <computer>.jsonl); empty while not known
        QString former;   // a record from before journals, made this computer's journal once
    };

    struct Result
    {
        qint64 added = 0;    // answers new to the index
        qint64 unknown = 0;  // fields and outcomes this version does not know, skipped
        QStringList notices; // for the learner, each told once
        QString error;
    };

    // "journal" in the shared folder.
    static QString DefaultFolder();
    // The places of the installed program for the computer of this id.
    static Places DefaultPlaces(const QString &computer);

    // Reads every journal of folder into index as far as its lines are whole.
    static Result Update(ProgressStore &index, const QString &folder);
    // The answers of places.former become the journal of places.computer,
    // and the record goes aside into the index's folder; once, and from any
    // thread. True when nothing is left to do (or it waits for the id).
    static bool MigrateFormer(const Places &places, QString *error);

    // The record a tool reads: a record from before journals that Lexomat
    // has not made a journal yet, else the index, brought up to date from
    // the journals first. Its notices and faults go to messages.
    static QString RecordToRead(QStringList *messages);

    explicit JournalIndexer(Places places, QObject *parent = nullptr);
    ~JournalIndexer() override;

    // The first update, then one after each change of the journals.
    void Start();
    // One more update, as soon as the one running (if any) is done.
    void Refresh();

Q_SIGNALS:
    void Updated(const JournalIndexer::Result &result);

private:
    void finished();
    void watch();

    Places m_places;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QThread *m_thread = nullptr;
    bool m_again = false;
    Result m_result; // written by the thread, read once it has finished
};
