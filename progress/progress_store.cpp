#include "progress/progress_store.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

bool replaySchedules(QSqlDatabase &db, const ProgressStore::MigrationProgress &progress, QSqlError &error);

// One step per schema version: what brings a record of the version before
// it up to this one. A step runs whole or not at all: its statements, then
// the work that fills what they made.
struct Migration
{
    int version;
    QList<QString> statements;
    bool (*fill)(QSqlDatabase &, const ProgressStore::MigrationProgress &, QSqlError &) = nullptr;
};

const QList<Migration> &migrations()
{
    static const QList<Migration> steps{
        {1,
         {
             // The outcomes themselves, in the order they came.
             u"CREATE TABLE answers ("
             "id INTEGER PRIMARY KEY, "
             "time INTEGER NOT NULL, "
             "dictionary TEXT NOT NULL, "
             "word TEXT NOT NULL, "
             "meaning1 TEXT NOT NULL, "
             "meaning2 TEXT NOT NULL, "
             "meaning3 TEXT NOT NULL, "
             "kind TEXT NOT NULL CHECK (kind IN ('right', 'wrong', 'unanswered', 'hint', 'shown')))"_s,
             // What they add up to per word, so that nothing needs to read
             // every answer again.
             u"CREATE TABLE words ("
             "word TEXT NOT NULL, "
             "meaning1 TEXT NOT NULL, "
             "meaning2 TEXT NOT NULL, "
             "meaning3 TEXT NOT NULL, "
             "box INTEGER NOT NULL, "
             "right INTEGER NOT NULL, "
             "wrong INTEGER NOT NULL, "
             "unanswered INTEGER NOT NULL, "
             "hints INTEGER NOT NULL, "
             "shown INTEGER NOT NULL, "
             "last_time INTEGER NOT NULL, "
             "PRIMARY KEY (word, meaning1, meaning2, meaning3)) WITHOUT ROWID"_s,
             // And per local day.
             u"CREATE TABLE days (day TEXT PRIMARY KEY, answers INTEGER NOT NULL) WITHOUT ROWID"_s,
         }},
        {2,
         {
             // Each word's review schedule (days are Julian day numbers),
             // replayed once from the answers already recorded.
             u"ALTER TABLE words ADD COLUMN reviews INTEGER NOT NULL DEFAULT 0"_s,
             u"ALTER TABLE words ADD COLUMN stability REAL NOT NULL DEFAULT 0"_s,
             u"ALTER TABLE words ADD COLUMN difficulty REAL NOT NULL DEFAULT 0"_s,
             u"ALTER TABLE words ADD COLUMN last_review INTEGER NOT NULL DEFAULT 0"_s,
             u"ALTER TABLE words ADD COLUMN due INTEGER NOT NULL DEFAULT 0"_s,
             // A word's answers in time order, for the replays, read from
             // the index alone.
             u"CREATE INDEX answers_of_word ON answers (word, meaning1, meaning2, meaning3, time, kind)"_s,
         },
         replaySchedules},
        {3,
         {
             // Where each answer came from: a computer's journal and its
             // place in it, so that no answer is indexed twice. Answers
             // recorded before there were journals have neither.
             u"ALTER TABLE answers ADD COLUMN journal TEXT"_s,
             u"ALTER TABLE answers ADD COLUMN sequence INTEGER"_s,
             u"CREATE UNIQUE INDEX answers_of_journal ON answers (journal, sequence)"_s,
             // How far each journal has been read.
             u"CREATE TABLE journals ("
             "name TEXT PRIMARY KEY, "
             "computer TEXT NOT NULL, "
             "read_to INTEGER NOT NULL, "
             "last_line INTEGER NOT NULL, "
             "last_hash BLOB NOT NULL) WITHOUT ROWID"_s,
             // What the learner has been told about the journals, once.
             u"CREATE TABLE notices (notice TEXT PRIMARY KEY) WITHOUT ROWID"_s,
         }},
        {4,
         {
             // Words that answers from a journal reached since their sums
             // were made: made again once, when the journals are read, not
             // with every part of a long journal.
             u"CREATE TABLE stale_words ("
             "word TEXT NOT NULL, "
             "meaning1 TEXT NOT NULL, "
             "meaning2 TEXT NOT NULL, "
             "meaning3 TEXT NOT NULL, "
             "PRIMARY KEY (word, meaning1, meaning2, meaning3)) WITHOUT ROWID"_s,
         }},
    };
    return steps;
}

// SQLite's result codes that say the file is not a sound database.
bool isDamage(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == u"11"_s || code == u"26"_s; // SQLITE_CORRUPT, SQLITE_NOTADB
}

QString describe(const QSqlError &error)
{
    return error.text().trimmed();
}

int scalar(const QSqlDatabase &db, const QString &sql, bool *ok)
{
    QSqlQuery query(db);
    *ok = query.exec(sql) && query.next();
    return *ok ? query.value(0).toInt() : 0;
}

// An empty text, never SQL's NULL: the driver binds a null QString as NULL.
QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

QString dayOf(qint64 time)
{
    return QDateTime::fromMSecsSinceEpoch(time).date().toString(Qt::ISODate);
}

const QString ScheduleColumns = u"reviews, stability, difficulty, last_review, due"_s;

void bindSchedule(QSqlQuery &query, int first, const WordSchedule &schedule)
{
    query.bindValue(first, schedule.reviews);
    query.bindValue(first + 1, schedule.memory.stability);
    query.bindValue(first + 2, schedule.memory.difficulty);
    query.bindValue(first + 3, schedule.lastReview);
    query.bindValue(first + 4, schedule.due);
}

WordSchedule scheduleAt(const QSqlQuery &query, int first)
{
    WordSchedule schedule;
    schedule.reviews = query.value(first).toInt();
    schedule.memory.stability = query.value(first + 1).toDouble();
    schedule.memory.difficulty = query.value(first + 2).toDouble();
    schedule.lastReview = query.value(first + 3).toLongLong();
    schedule.due = query.value(first + 4).toLongLong();
    return schedule;
}

WordKey keyAt(const QSqlQuery &query, int first)
{
    return {query.value(first).toString(),
            {query.value(first + 1).toString(), query.value(first + 2).toString(), query.value(first + 3).toString()}};
}

void bindKey(QSqlQuery &query, int first, const WordKey &key)
{
    query.bindValue(first, text(key.english));
    for (int i = 0; i < 3; ++i)
        query.bindValue(first + 1 + i, text(key.meanings[static_cast<std::size_t>(i)]));
}

// Every word's schedule from its answers, in one pass over them in word and
// time order.
bool replaySchedules(QSqlDatabase &db, const ProgressStore::MigrationProgress &progress, QSqlError &error)
{
    QSqlQuery count(db);
    const qint64 total = count.exec(u"SELECT count(*) FROM answers"_s) && count.next() ? count.value(0).toLongLong() : 0;
    count.finish();
    QSqlQuery answers(db);
    answers.setForwardOnly(true);
    QSqlQuery update(db);
    if (!answers.exec(u"SELECT word, meaning1, meaning2, meaning3, time, kind FROM answers "
                      "ORDER BY word, meaning1, meaning2, meaning3, time, id"_s)
        || !update.prepare(u"UPDATE words SET reviews = ?, stability = ?, difficulty = ?, last_review = ?, due = ? "
                           "WHERE word = ? AND meaning1 = ? AND meaning2 = ? AND meaning3 = ?"_s)) {
        error = answers.lastError().isValid() ? answers.lastError() : update.lastError();
        return false;
    }
    WordKey word;
    QList<TimedAnswer> timeline;
    LocalDays days;
    const auto store = [&] {
        if (timeline.isEmpty())
            return true;
        bindSchedule(update, 0, ReplaySchedule(timeline, days));
        bindKey(update, 5, word);
        timeline.clear();
        if (update.exec())
            return true;
        error = update.lastError();
        return false;
    };
    qint64 done = 0;
    while (answers.next()) {
        WordKey key = keyAt(answers, 0);
        if (key != word) {
            if (!store())
                return false;
            word = std::move(key);
        }
        // An outcome the record does not know plays no part in the schedule.
        if (const std::optional<AnswerKind> kind = KindFromName(answers.value(5).toString()))
            timeline.append({answers.value(4).toLongLong(), *kind});
        if (progress && ++done % 2048 == 0)
            progress(done, total);
    }
    if (answers.lastError().isValid()) {
        error = answers.lastError();
        return false;
    }
    if (!store())
        return false;
    if (progress)
        progress(total, total);
    return true;
}

} // namespace

struct ProgressStore::Statements
{
    explicit Statements(const QSqlDatabase &db)
        : find(db)
        , addAnswer(db)
        , putWord(db)
        , addDay(db)
        , moveMark(db)
        , firstMark(db)
    {
    }

    QSqlQuery find;
    QSqlQuery addAnswer;
    QSqlQuery putWord;
    QSqlQuery addDay;
    QSqlQuery moveMark;
    QSqlQuery firstMark;
};

ProgressStore::ProgressStore()
{
    static QAtomicInt counter;
    m_connection = u"lexomat-progress-"_s + QString::number(counter.fetchAndAddRelaxed(1));
}

ProgressStore::~ProgressStore()
{
    Close();
}

QString ProgressStore::DefaultPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/lexomat/progress.sqlite"_s;
}

QString ProgressStore::FormerPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/lexomat/progress.sqlite"_s;
}

void ProgressStore::SetJournal(std::unique_ptr<AnswerJournal> journal)
{
    m_journal = std::move(journal);
}

bool ProgressStore::IsOpen() const
{
    return m_db && m_db->isOpen();
}

void ProgressStore::Close()
{
    m_statements.reset();
    if (m_db) {
        m_db->close();
        m_db.reset();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

ProgressStore::OpenResult ProgressStore::fail(const QString &text)
{
    m_error = text;
    Close();
    return OpenResult::Failed;
}

bool ProgressStore::connect(Mode mode)
{
    m_db = std::make_unique<QSqlDatabase>(QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection));
    if (!m_db->isValid()) {
        m_error = u"Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)"_s;
        return false;
    }
    m_db->setDatabaseName(m_path);
    m_db->setConnectOptions(mode == Mode::Read ? u"QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"_s
                                               : u"QSQLITE_BUSY_TIMEOUT=2000"_s);
    if (!m_db->open()) {
        m_error = describe(m_db->lastError());
        return false;
    }
    return true;
}

QString ProgressStore::damage(bool thorough) const
{
    QSqlQuery query(*m_db);
    // Reading the schema reads the file's header and first page: enough to
    // tell a file that is no record at all. The full check reads every page,
    // which takes a tenth of a second for a large record.
    if (!query.exec(thorough ? u"PRAGMA quick_check"_s : u"SELECT count(*) FROM sqlite_master"_s))
        return isDamage(query.lastError()) ? describe(query.lastError()) : QString();
    if (!thorough)
        return {};
    QStringList problems;
    while (query.next())
        problems << query.value(0).toString();
    if (problems == QStringList{u"ok"_s})
        return {};
    return problems.isEmpty() ? u"the check found nothing to read"_s : problems.join(u"; "_s);
}

bool ProgressStore::renew()
{
    Close();
    if (!moveDamagedAside() || !connect(m_mode) || !setUp()) {
        Close();
        return false;
    }
    return true;
}

bool ProgressStore::renewIfDamaged(const QSqlError &error)
{
    return m_mode == Mode::Record && isDamage(error) && renew();
}

bool ProgressStore::moveDamagedAside()
{
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    QString copy = m_path + u".damaged-"_s + stamp;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = m_path + u".damaged-"_s + stamp + u'-' + QString::number(n);
    if (!QFile::rename(m_path, copy)) {
        m_error = u"the damaged record cannot be moved aside to "_s + copy;
        return false;
    }
    // The journal belongs to the damaged file and goes with it; the shared
    // memory index is rebuilt from it by whoever opens the copy.
    if (QFileInfo::exists(m_path + u"-wal"_s))
        QFile::rename(m_path + u"-wal"_s, copy + u"-wal"_s);
    QFile::remove(m_path + u"-shm"_s);
    m_damagedCopy = copy;
    return true;
}

ProgressStore::OpenResult ProgressStore::Open(const QString &path, Mode mode)
{
    Close();
    m_path = path;
    m_mode = mode;
    m_damagedCopy.clear();
    m_error.clear();

    if (mode == Mode::Read && !QFileInfo(path).isFile())
        return fail(u"no record at "_s + path);
    if (mode != Mode::Read && !QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(u"the folder "_s + QFileInfo(path).absolutePath() + u" cannot be made"_s);
    if (QFileInfo(path).isDir())
        return fail(path + u" is a folder"_s);
    if (!connect(mode))
        return fail(m_error);

    bool renewed = false;
    const QString damaged = damage(mode == Mode::Read);
    if (!damaged.isEmpty()) {
        if (mode != Mode::Record)
            return fail(u"the record is damaged: "_s + damaged);
        Close();
        if (!moveDamagedAside() || !connect(mode))
            return fail(m_error);
        renewed = true;
    }

    bool ok = false;
    const int version = scalar(*m_db, u"PRAGMA user_version"_s, &ok);
    if (!ok)
        return fail(describe(m_db->lastError()));
    if (version > SchemaVersion)
        return fail(u"the record was written by a newer Lexomat (record version %1)"_s.arg(version));

    if (mode != Mode::Read) {
        if (!setUp())
            return fail(m_error);
    } else if (version != SchemaVersion && version != 0) {
        return fail(u"the record is of an older version; starting Lexomat brings it up to date"_s);
    }
    return renewed ? OpenResult::Renewed : OpenResult::Opened;
}

bool ProgressStore::setUp()
{
    QSqlQuery journal(*m_db);
    if (!journal.exec(u"PRAGMA journal_mode = WAL"_s) || !journal.next()
        || journal.value(0).toString().compare(u"wal"_s, Qt::CaseInsensitive) != 0) {
        m_error = u"the record cannot keep a write-ahead journal: "_s + describe(journal.lastError());
        return false;
    }
    // A statement still running would keep the migration from committing.
    journal.finish();
    // In a write-ahead journal every commit survives a crash of the program
    // without waiting for the disk; only a power cut could lose the last
    // answers, never the file.
    QSqlQuery(*m_db).exec(u"PRAGMA synchronous = NORMAL"_s);
    // Reading a long journal touches the same pages of the answers' indexes
    // again and again: the cache keeps them (only while the reading lasts).
    if (m_mode == Mode::Index)
        QSqlQuery(*m_db).exec(u"PRAGMA cache_size = -32768"_s);
    return migrate() && prepare();
}

bool ProgressStore::migrate()
{
    bool ok = false;
    const int current = scalar(*m_db, u"PRAGMA user_version"_s, &ok);
    if (!ok) {
        m_error = describe(m_db->lastError());
        return false;
    }
    for (const Migration &step : migrations()) {
        if (step.version <= current)
            continue;
        if (!begin()) {
            m_error = describe(m_db->lastError());
            return false;
        }
        // Another program may have brought the record up while this one waited.
        if (scalar(*m_db, u"PRAGMA user_version"_s, &ok) >= step.version) {
            m_db->commit();
            continue;
        }
        QSqlQuery query(*m_db);
        bool done = true;
        for (const QString &statement : step.statements)
            done = done && query.exec(statement);
        QSqlError error = query.lastError();
        // Only a record that had answers before has anything to fill.
        if (done && step.fill && current > 0)
            done = step.fill(*m_db, m_migrationProgress, error);
        done = done && query.exec(u"PRAGMA user_version = %1"_s.arg(step.version));
        if (!done) {
            m_error = describe(error.isValid() ? error : query.lastError());
            query.finish();
            m_db->rollback();
            return false;
        }
        if (!m_db->commit()) {
            m_error = describe(m_db->lastError());
            m_db->rollback();
            return false;
        }
    }
    return true;
}

bool ProgressStore::prepare()
{
    m_statements = std::make_unique<Statements>(*m_db);
    Statements &s = *m_statements;
    const bool ok =
        s.find.prepare(u"SELECT box, right, wrong, unanswered, hints, shown, last_time, "_s + ScheduleColumns
                       + u" FROM words WHERE word = ? AND meaning1 = ? AND meaning2 = ? AND meaning3 = ?"_s)
        && s.addAnswer.prepare(u"INSERT OR IGNORE INTO answers (time, dictionary, word, meaning1, meaning2, meaning3, "
                               "kind, journal, sequence) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s)
        && s.putWord.prepare(u"INSERT OR REPLACE INTO words (word, meaning1, meaning2, meaning3, box, right, wrong, "
                             "unanswered, hints, shown, last_time, "_s
                             + ScheduleColumns + u") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s)
        && s.addDay.prepare(u"INSERT INTO days (day, answers) VALUES (?, ?) "
                            "ON CONFLICT (day) DO UPDATE SET answers = answers + excluded.answers"_s)
        // The journal's mark moves with an answer of this program's own only
        // when nothing before that answer is left to read.
        && s.moveMark.prepare(u"UPDATE journals SET read_to = ?, last_line = ?, last_hash = ? "
                              "WHERE name = ? AND read_to = ?"_s)
        && s.firstMark.prepare(u"INSERT OR IGNORE INTO journals (name, computer, read_to, last_line, last_hash) "
                               "VALUES (?, ?, ?, ?, ?)"_s);
    if (!ok) {
        m_error = describe(m_db->lastError());
        m_statements.reset();
    }
    return ok;
}

bool ProgressStore::Record(const AnswerEvent &event, const QString &dictionary, qint64 time)
{
    if (!IsOpen() || !m_statements) {
        m_error = u"the record is not open for writing"_s;
        return false;
    }
    if (event.english.isEmpty())
        return true;
    // The journal first: what is in it is never lost, even when the index
    // cannot take it now.
    std::optional<AnswerJournal::Appended> appended;
    if (m_journal) {
        appended = m_journal->Append(event, dictionary, time);
        if (!appended) {
            m_error = u"the journal "_s + m_journal->Path() + u" cannot be written: "_s + m_journal->ErrorText();
            return false;
        }
    }
    QSqlError error;
    if (write(event, dictionary, time, appended, error))
        return true;
    m_error = describe(error);
    // Damage that the opening could not see shows when a write reaches it:
    // the damaged file is put aside and the answer goes into a fresh record.
    if (!renewIfDamaged(error))
        return false;
    if (write(event, dictionary, time, appended, error))
        return true;
    m_error = describe(error);
    return false;
}

bool ProgressStore::begin()
{
    return QSqlQuery(*m_db).exec(u"BEGIN IMMEDIATE"_s);
}

bool ProgressStore::write(const AnswerEvent &event, const QString &dictionary, qint64 time,
                          const std::optional<AnswerJournal::Appended> &appended, QSqlError &error)
{
    Statements &s = *m_statements;
    const WordKey key = WordKey::FromEvent(event);
    const auto failed = [this, &error](QSqlQuery *query) {
        error = query ? query->lastError() : m_db->lastError();
        if (query)
            query->finish();
        m_db->rollback();
        return false;
    };

    if (!begin())
        return failed(nullptr);

    s.addAnswer.bindValue(0, time);
    s.addAnswer.bindValue(1, text(dictionary));
    bindKey(s.addAnswer, 2, key);
    s.addAnswer.bindValue(6, KindName(event.kind));
    s.addAnswer.bindValue(7, appended ? QVariant(QFileInfo(m_journal->Path()).fileName()) : QVariant(QMetaType::fromType<QString>()));
    s.addAnswer.bindValue(8, appended ? QVariant(appended->sequence) : QVariant(QMetaType::fromType<qint64>()));
    if (!s.addAnswer.exec())
        return failed(&s.addAnswer);
    if (appended) {
        const QString name = QFileInfo(m_journal->Path()).fileName();
        s.moveMark.bindValue(0, appended->end);
        s.moveMark.bindValue(1, appended->start);
        s.moveMark.bindValue(2, appended->hash);
        s.moveMark.bindValue(3, name);
        s.moveMark.bindValue(4, appended->start);
        if (!s.moveMark.exec())
            return failed(&s.moveMark);
        if (appended->start == 0) {
            const QVariant values[] = {name, m_journal->Computer(), appended->end, appended->start, appended->hash};
            for (int i = 0; i < 5; ++i)
                s.firstMark.bindValue(i, values[i]);
            if (!s.firstMark.exec())
                return failed(&s.firstMark);
        }
    }
    // Indexed already from the journal, on another thread or by another program.
    if (s.addAnswer.numRowsAffected() == 0)
        return m_db->commit() || failed(nullptr);

    bindKey(s.find, 0, key);
    if (!s.find.exec())
        return failed(&s.find);
    WordProgress word;
    bool known = false;
    if (s.find.next()) {
        word.box = s.find.value(0).toInt();
        word.right = s.find.value(1).toInt();
        word.wrong = s.find.value(2).toInt();
        word.unanswered = s.find.value(3).toInt();
        word.hints = s.find.value(4).toInt();
        word.shown = s.find.value(5).toInt();
        word.lastTime = s.find.value(6).toLongLong();
        word.schedule = scheduleAt(s.find, 7);
        known = true;
    } else if (s.find.lastError().isValid()) {
        return failed(&s.find);
    }
    s.find.finish();
    // The schedule follows the answers in time order: one that comes after
    // the word's latest goes on from the schedule kept; one from before it
    // (another computer's, or the clock was put back) changes the past, and
    // the word is replayed once it is recorded. So is a word whose kept
    // schedule no program of ours could have made.
    const bool reviews = RatingOf(event.kind).has_value();
    const bool replayWord = known && ((reviews && time < word.lastTime) || !word.schedule.Sane());
    if (!replayWord)
        word.schedule = word.schedule.AfterAnswer(event.kind, m_days(time));
    word.Add(event.kind, time);

    if (replayWord && !replay(key, word.schedule, error)) {
        m_db->rollback();
        return false;
    }

    bindKey(s.putWord, 0, key);
    const int values[] = {word.box, word.right, word.wrong, word.unanswered, word.hints, word.shown};
    for (int i = 0; i < 6; ++i)
        s.putWord.bindValue(4 + i, values[i]);
    s.putWord.bindValue(10, word.lastTime);
    bindSchedule(s.putWord, 11, word.schedule);
    if (!s.putWord.exec())
        return failed(&s.putWord);

    s.addDay.bindValue(0, dayOf(time));
    s.addDay.bindValue(1, 1);
    if (!s.addDay.exec())
        return failed(&s.addDay);

    if (!m_db->commit())
        return failed(nullptr);
    return true;
}

bool ProgressStore::replay(const WordKey &key, WordSchedule &schedule, QSqlError &error)
{
    // Rare enough not to keep a statement ready for it.
    QSqlQuery query(*m_db);
    query.setForwardOnly(true);
    const bool prepared = query.prepare(u"SELECT time, kind FROM answers "
                                        "WHERE word = ? AND meaning1 = ? AND meaning2 = ? AND meaning3 = ? "
                                        "ORDER BY time, id"_s);
    bindKey(query, 0, key);
    if (!prepared || !query.exec()) {
        error = query.lastError();
        return false;
    }
    QList<TimedAnswer> timeline;
    while (query.next()) {
        if (const std::optional<AnswerKind> kind = KindFromName(query.value(1).toString()))
            timeline.append({query.value(0).toLongLong(), *kind});
    }
    if (query.lastError().isValid()) {
        error = query.lastError();
        query.finish();
        return false;
    }
    query.finish();
    schedule = ReplaySchedule(timeline, m_days);
    return true;
}

QHash<WordKey, WordProgress> ProgressStore::Words()
{
    QHash<WordKey, WordProgress> words;
    QList<WordKey> unsound;
    m_error.clear();
    if (!IsOpen())
        return words;
    QSqlQuery query(*m_db);
    query.setForwardOnly(true);
    bool ok = query.exec(u"SELECT word, meaning1, meaning2, meaning3, box, right, wrong, unanswered, hints, shown, "
                         "last_time, "_s
                         + ScheduleColumns + u" FROM words"_s);
    while (ok && query.next()) {
        WordProgress &word = words[keyAt(query, 0)];
        word.box = query.value(4).toInt();
        word.right = query.value(5).toInt();
        word.wrong = query.value(6).toInt();
        word.unanswered = query.value(7).toInt();
        word.hints = query.value(8).toInt();
        word.shown = query.value(9).toInt();
        word.lastTime = query.value(10).toLongLong();
        word.schedule = scheduleAt(query, 11);
        if (!word.schedule.Sane())
            unsound.append(keyAt(query, 0));
    }
    QSqlError error = query.lastError();
    query.finish();
    // A schedule no program of ours could have made (a record damaged or
    // edited by hand) is taken from the word's answers instead.
    for (qsizetype i = 0; !error.isValid() && i < unsound.size(); ++i) {
        if (!replay(unsound[i], words[unsound[i]].schedule, error))
            break;
    }
    // A read that stopped early is no answer: nothing, and why.
    if (error.isValid()) {
        m_error = describe(error);
        words.clear();
        renewIfDamaged(error);
    }
    return words;
}

QList<int> ProgressStore::AnswersPerDay(QDate last, int days)
{
    QList<int> counts(std::max(days, 0), 0);
    if (!IsOpen() || days <= 0)
        return counts;
    const QDate first = last.addDays(-(days - 1));
    QSqlQuery query(*m_db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT day, answers FROM days WHERE day BETWEEN ? AND ?"_s);
    query.bindValue(0, first.toString(Qt::ISODate));
    query.bindValue(1, last.toString(Qt::ISODate));
    bool ok = query.exec();
    while (ok && query.next()) {
        const qint64 index = first.daysTo(QDate::fromString(query.value(0).toString(), Qt::ISODate));
        if (index >= 0 && index < days)
            counts[index] = query.value(1).toInt();
    }
    if (query.lastError().isValid()) {
        const QSqlError error = query.lastError();
        m_error = describe(error);
        query.finish();
        counts.fill(0);
        renewIfDamaged(error);
    }
    return counts;
}

qint64 ProgressStore::AnswerCount() const
{
    if (!IsOpen())
        return 0;
    QSqlQuery query(*m_db);
    return query.exec(u"SELECT count(*) FROM answers"_s) && query.next() ? query.value(0).toLongLong() : 0;
}

QHash<QString, ProgressStore::JournalMark> ProgressStore::JournalMarks()
{
    QHash<QString, JournalMark> marks;
    m_error.clear();
    if (!IsOpen())
        return marks;
    QSqlQuery query(*m_db);
    query.setForwardOnly(true);
    bool ok = query.exec(u"SELECT name, computer, read_to, last_line, last_hash FROM journals"_s);
    while (ok && query.next()) {
        marks.insert(query.value(0).toString(), {query.value(1).toString(), query.value(2).toLongLong(),
                                                 query.value(3).toLongLong(), query.value(4).toByteArray()});
    }
    if (query.lastError().isValid())
        m_error = describe(query.lastError());
    return marks;
}

bool ProgressStore::AddFromJournal(const QString &name, const QList<JournalAnswer> &answers, const JournalMark &mark,
                                   bool restart, qint64 *added)
{
    if (added)
        *added = 0;
    if (!IsOpen() || m_mode == Mode::Read) {
        m_error = u"the record is not open for writing"_s;
        return false;
    }
    QSqlError error;
    const auto failed = [this, &error](QSqlQuery *query) {
        if (query) {
            error = query->lastError();
            query->finish();
        }
        m_error = describe(error.isValid() ? error : m_db->lastError());
        m_db->rollback();
        renewIfDamaged(error);
        return false;
    };
    if (!begin())
        return failed(nullptr);

    QSet<WordKey> changed;
    QHash<QString, int> days;
    if (restart) {
        QSqlQuery earlier(*m_db);
        earlier.setForwardOnly(true);
        earlier.prepare(u"SELECT word, meaning1, meaning2, meaning3, time FROM answers WHERE journal = ?"_s);
        earlier.bindValue(0, name);
        if (!earlier.exec())
            return failed(&earlier);
        while (earlier.next()) {
            changed.insert(keyAt(earlier, 0));
            --days[QDate::fromJulianDay(m_days(earlier.value(4).toLongLong())).toString(Qt::ISODate)];
        }
        earlier.finish();
        QSqlQuery forget(*m_db);
        forget.prepare(u"DELETE FROM answers WHERE journal = ?"_s);
        forget.bindValue(0, name);
        if (!forget.exec())
            return failed(&forget);
    }

    QSqlQuery insert(*m_db);
    insert.prepare(u"INSERT OR IGNORE INTO answers (time, dictionary, word, meaning1, meaning2, meaning3, kind, "
                   "journal, sequence) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    // In the order of the answers' index of words, which each insert goes
    // into: its pages are then met one after another, not at random.
    QList<const JournalAnswer *> ordered;
    ordered.reserve(answers.size());
    for (const JournalAnswer &answer : answers)
        ordered.append(&answer);
    std::stable_sort(ordered.begin(), ordered.end(), [](const JournalAnswer *a, const JournalAnswer *b) {
        return std::tie(a->word.english, a->word.meanings, a->time) < std::tie(b->word.english, b->word.meanings, b->time);
    });
    // A value stays bound from one insert to the next, and binding one costs
    // more than the insert's own work in the database: the journal is bound
    // once, a word and a dictionary only when they change.
    insert.bindValue(7, name);
    const JournalAnswer *previous = nullptr;
    for (const JournalAnswer *each : std::as_const(ordered)) {
        const JournalAnswer &answer = *each;
        insert.bindValue(0, answer.time);
        if (!previous || previous->dictionary != answer.dictionary)
            insert.bindValue(1, text(answer.dictionary));
        if (!previous || !(previous->word == answer.word))
            bindKey(insert, 2, answer.word);
        insert.bindValue(6, KindName(answer.kind));
        insert.bindValue(8, answer.sequence);
        previous = each;
        if (!insert.exec())
            return failed(&insert);
        if (insert.numRowsAffected() > 0) {
            changed.insert(answer.word);
            // The local day through the cache of offsets: a lookup of the
            // time zone for each of many answers costs more than the insert.
            ++days[QDate::fromJulianDay(m_days(answer.time)).toString(Qt::ISODate)];
            if (added)
                ++*added;
        }
    }

    Statements &s = *m_statements;
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        if (it.value() == 0)
            continue;
        s.addDay.bindValue(0, it.key());
        s.addDay.bindValue(1, it.value());
        if (!s.addDay.exec())
            return failed(&s.addDay);
    }
    QSqlQuery stale(*m_db);
    stale.prepare(u"INSERT OR IGNORE INTO stale_words (word, meaning1, meaning2, meaning3) VALUES (?, ?, ?, ?)"_s);
    for (const WordKey &key : std::as_const(changed)) {
        bindKey(stale, 0, key);
        if (!stale.exec())
            return failed(&stale);
    }

    QSqlQuery place(*m_db);
    place.prepare(u"INSERT OR REPLACE INTO journals (name, computer, read_to, last_line, last_hash) "
                  "VALUES (?, ?, ?, ?, ?)"_s);
    const QVariant values[] = {name, text(mark.computer), mark.readTo, mark.lastLine, mark.lastHash};
    for (int i = 0; i < 5; ++i)
        place.bindValue(i, values[i]);
    if (!place.exec())
        return failed(&place);
    if (!m_db->commit())
        return failed(nullptr);
    return true;
}

bool ProgressStore::RebuildStaleWords()
{
    if (!IsOpen() || m_mode == Mode::Read) {
        m_error = u"the record is not open for writing"_s;
        return false;
    }
    QSqlError error;
    const auto failed = [this, &error] {
        m_error = describe(error.isValid() ? error : m_db->lastError());
        m_db->rollback();
        renewIfDamaged(error);
        return false;
    };
    if (!begin())
        return failed();
    QList<WordKey> keys;
    {
        QSqlQuery query(*m_db);
        query.setForwardOnly(true);
        bool ok = query.exec(u"SELECT word, meaning1, meaning2, meaning3 FROM stale_words"_s);
        while (ok && query.next())
            keys.append(keyAt(query, 0));
        if (query.lastError().isValid()) {
            error = query.lastError();
            return failed();
        }
    }
    if (keys.isEmpty())
        return m_db->commit() || failed();
    QSqlQuery clear(*m_db);
    if (!rebuildWords(keys, error))
        return failed();
    if (!clear.exec(u"DELETE FROM stale_words"_s)) {
        error = clear.lastError();
        return failed();
    }
    return m_db->commit() || failed();
}

bool ProgressStore::rebuildWords(const QList<WordKey> &keys, QSqlError &error)
{
    QSqlQuery answers(*m_db);
    answers.setForwardOnly(true);
    QSqlQuery drop(*m_db);
    if (!answers.prepare(u"SELECT time, kind FROM answers "
                         "WHERE word = ? AND meaning1 = ? AND meaning2 = ? AND meaning3 = ? ORDER BY time, id"_s)
        || !drop.prepare(u"DELETE FROM words WHERE word = ? AND meaning1 = ? AND meaning2 = ? AND meaning3 = ?"_s)) {
        error = answers.lastError().isValid() ? answers.lastError() : drop.lastError();
        return false;
    }
    QSqlQuery &put = m_statements->putWord;
    for (const WordKey &key : keys) {
        bindKey(answers, 0, key);
        if (!answers.exec()) {
            error = answers.lastError();
            return false;
        }
        WordProgress word;
        QList<TimedAnswer> timeline;
        while (answers.next()) {
            if (const std::optional<AnswerKind> kind = KindFromName(answers.value(1).toString())) {
                const qint64 time = answers.value(0).toLongLong();
                word.Add(*kind, time);
                timeline.append({time, *kind});
            }
        }
        if (answers.lastError().isValid()) {
            error = answers.lastError();
            return false;
        }
        answers.finish();
        if (timeline.isEmpty()) {
            bindKey(drop, 0, key);
            if (!drop.exec()) {
                error = drop.lastError();
                return false;
            }
            continue;
        }
        word.schedule = ReplaySchedule(std::move(timeline), m_days);
        bindKey(put, 0, key);
        const int values[] = {word.box, word.right, word.wrong, word.unanswered, word.hints, word.shown};
        for (int i = 0; i < 6; ++i)
            put.bindValue(4 + i, values[i]);
        put.bindValue(10, word.lastTime);
        bindSchedule(put, 11, word.schedule);
        if (!put.exec()) {
            error = put.lastError();
            return false;
        }
    }
    return true;
}

QStringList ProgressStore::FirstTimeNotices(const QStringList &names)
{
    QStringList fresh;
    if (!IsOpen() || names.isEmpty() || m_mode == Mode::Read)
        return fresh;
    QSqlQuery query(*m_db);
    query.prepare(u"INSERT OR IGNORE INTO notices (notice) VALUES (?)"_s);
    for (const QString &name : names) {
        query.bindValue(0, name);
        if (query.exec() && query.numRowsAffected() > 0)
            fresh.append(name);
    }
    return fresh;
}

QList<JournalAnswer> ProgressStore::Answers()
{
    QList<JournalAnswer> answers;
    m_error.clear();
    if (!IsOpen())
        return answers;
    QSqlQuery query(*m_db);
    query.setForwardOnly(true);
    bool ok = query.exec(u"SELECT time, dictionary, word, meaning1, meaning2, meaning3, kind FROM answers ORDER BY id"_s);
    while (ok && query.next()) {
        JournalAnswer answer;
        answer.time = query.value(0).toLongLong();
        answer.dictionary = query.value(1).toString();
        answer.word = keyAt(query, 2);
        const std::optional<AnswerKind> kind = KindFromName(query.value(6).toString());
        if (!kind)
            continue;
        answer.kind = *kind;
        answers.append(std::move(answer));
    }
    if (query.lastError().isValid()) {
        m_error = describe(query.lastError());
        answers.clear();
    }
    return answers;
}
