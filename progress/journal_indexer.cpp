#include "progress/journal_indexer.h"

#include "dict/shared_folder.h"
#include "progress/answer_journal.h"
#include "progress/progress_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QTimer>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Lines indexed in one transaction: the window's own answers wait for at
// most one of them (a few tenths of a second), and each commit writes the
// pages of the answers' indexes that it changed, which are nearly all of
// them: fewer, larger parts cost less.
constexpr qint64 ChunkLines = 25000;
// Changes come in bursts (a sync engine writes a temporary file, renames
// it, sets its time): one update after they settle.
constexpr int SettleMs = 300;

const QString JournalPattern = u"*.jsonl"_s;

// Whether the journal still holds, where the index read it last, the line
// it read there.
bool sameJournal(const QString &path, qint64 size, const ProgressStore::JournalMark &mark)
{
    if (size < mark.readTo)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(mark.lastLine))
        return false;
    return AnswerJournal::Hash(file.read(mark.readTo - mark.lastLine)) == mark.lastHash;
}

bool writeWhole(const QString &path, const QByteArray &data, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() || !file.flush()
        || ::fdatasync(file.handle()) != 0) {
        *error = path + u": "_s + file.errorString();
        file.remove();
        return false;
    }
    return true;
}

// Renames within a file system, copies across.
bool moveFile(const QString &from, const QString &to)
{
    if (QFile::rename(from, to))
        return true;
    return QFile::copy(from, to) && QFile::remove(from);
}

} // namespace

QString JournalIndexer::DefaultFolder()
{
    return SharedFolder::Path() + u"/journal"_s;
}

JournalIndexer::Places JournalIndexer::DefaultPlaces(const QString &computer)
{
    return {ProgressStore::DefaultPath(), DefaultFolder(), computer, ProgressStore::FormerPath()};
}

bool JournalIndexer::MigrateFormer(const Places &places, QString *error)
{
    // The window's first answer and the first update may both come here.
    static QMutex running;
    const QMutexLocker lock(&running);
    if (places.former.isEmpty() || places.computer.isEmpty() || !QFileInfo::exists(places.former))
        return true;
    const QString journal = QDir(places.folder).filePath(AnswerJournal::FileName(places.computer));
    // A journal of this computer's is there when a migration was cut short
    // after writing it: its answers are in it already.
    if (!QFileInfo::exists(journal)) {
        ProgressStore former;
        if (former.Open(places.former) == ProgressStore::OpenResult::Failed) {
            *error = places.former + u": "_s + former.ErrorText();
            return false;
        }
        QList<JournalAnswer> answers = former.Answers();
        if (!former.ErrorText().isEmpty()) {
            *error = places.former + u": "_s + former.ErrorText();
            return false;
        }
        former.Close();
        QByteArray lines;
        qint64 sequence = 0;
        for (JournalAnswer &answer : answers) {
            answer.computer = places.computer;
            answer.sequence = ++sequence;
            lines += AnswerJournal::Line(answer);
        }
        if (!QDir().mkpath(places.folder)) {
            *error = u"the folder "_s + places.folder + u" cannot be made"_s;
            return false;
        }
        // Whole or not at all: written beside it under a name no indexer
        // reads, then renamed, which fails rather than replace a journal
        // another program made meanwhile.
        const QString part = journal + u".migrating"_s;
        if (!writeWhole(part, lines, error))
            return false;
        if (!QFile::rename(part, journal)) {
            QFile::remove(part);
            if (!QFileInfo::exists(journal)) {
                *error = journal + u" cannot be made"_s;
                return false;
            }
        }
    }
    // The record stays, out of the shared folder, beside the index.
    const QString folder = QFileInfo(places.index).absolutePath();
    QDir().mkpath(folder);
    QString kept = folder + u"/progress-before-journals.sqlite"_s;
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = folder + u"/progress-before-journals-%1.sqlite"_s.arg(n);
    if (!moveFile(places.former, kept)) {
        *error = places.former + u" cannot be moved to "_s + kept;
        return false;
    }
    QFile::remove(places.former + u"-wal"_s);
    QFile::remove(places.former + u"-shm"_s);
    return true;
}

JournalIndexer::Result JournalIndexer::Update(ProgressStore &index, const QString &folder)
{
    Result result;
    QHash<QString, ProgressStore::JournalMark> marks = index.JournalMarks();
    if (!index.ErrorText().isEmpty()) {
        result.error = index.ErrorText();
        return result;
    }
    QStringList noticeNames;
    QHash<QString, QString> noticeTexts;
    const QFileInfoList journals = QDir(folder).entryInfoList({JournalPattern}, QDir::Files, QDir::Name);
    for (const QFileInfo &info : journals) {
        const QString name = info.fileName();
        ProgressStore::JournalMark mark = marks.value(name);
        bool restart = mark.readTo > 0 && !sameJournal(info.filePath(), info.size(), mark);
        if (restart)
            mark = {};
        qint64 from = mark.readTo;
        while (restart || from < info.size()) {
            const AnswerJournal::Reading reading = AnswerJournal::Read(info.filePath(), from, ChunkLines);
            if (!reading.error.isEmpty()) {
                result.error = name + u": "_s + reading.error;
                break;
            }
            if (reading.end == from && !restart)
                break; // only a line not yet whole
            if (mark.computer.isEmpty() && !reading.answers.isEmpty())
                mark.computer = reading.answers.first().computer;
            mark.readTo = reading.end;
            mark.lastLine = reading.lastLine;
            mark.lastHash = reading.lastHash;
            qint64 added = 0;
            if (!index.AddFromJournal(name, reading.answers, mark, restart, &added)) {
                result.error = index.ErrorText();
                index.RebuildStaleWords();
                return result;
            }
            restart = false;
            result.added += added;
            result.unknown += reading.unknown;
            for (const qint64 offset : reading.damaged) {
                const QString notice = u"damaged %1 %2"_s.arg(name).arg(offset);
                noticeNames.append(notice);
                noticeTexts.insert(notice, u"В журнале ответов %1 повреждена строка (с байта %2): она пропущена, "
                                           "остальные ответы учтены."_s
                                               .arg(name)
                                               .arg(offset));
            }
            from = reading.end;
            if (!reading.more)
                break;
        }
        marks.insert(name, mark);
    }
    // Two journals in one computer's name: a journal copied by hand, or a
    // conflict copy of the engine. Both are counted; the learner is told.
    QHash<QString, QStringList> claims;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
        if (!it.value().computer.isEmpty())
            claims[it.value().computer].append(it.key());
    }
    for (auto it = claims.begin(); it != claims.end(); ++it) {
        if (it.value().size() < 2)
            continue;
        it.value().sort();
        const QString notice = u"computer "_s + it.key();
        noticeNames.append(notice);
        noticeTexts.insert(notice, u"Журналы ответов %1 записаны от имени одного компьютера: учтены ответы из каждого."_s
                                       .arg(it.value().join(u", "_s)));
    }
    // Also after an update cut short: what it added is summed up.
    if (!index.RebuildStaleWords() && result.error.isEmpty())
        result.error = index.ErrorText();
    for (const QString &fresh : index.FirstTimeNotices(noticeNames))
        result.notices.append(noticeTexts.value(fresh));
    return result;
}

QString JournalIndexer::RecordToRead(QStringList *messages)
{
    const QString former = ProgressStore::FormerPath();
    if (QFileInfo::exists(former))
        return former;
    const QString path = ProgressStore::DefaultPath();
    if (!QFileInfo(DefaultFolder()).isDir())
        return path;
    ProgressStore index;
    if (index.Open(path, ProgressStore::Mode::Index) != ProgressStore::OpenResult::Opened) {
        messages->append(path + u": "_s + index.ErrorText());
        return path;
    }
    const Result result = Update(index, DefaultFolder());
    *messages += result.notices;
    if (!result.error.isEmpty())
        messages->append(result.error);
    if (result.unknown > 0)
        messages->append(u"%1 fields written by a newer Lexomat were skipped"_s.arg(result.unknown));
    return path;
}

JournalIndexer::JournalIndexer(Places places, QObject *parent)
    : QObject(parent)
    , m_places(std::move(places))
{
}

JournalIndexer::~JournalIndexer()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void JournalIndexer::Start()
{
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_settle, &QTimer::timeout, this, &JournalIndexer::Refresh);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    watch();
    Refresh();
}

// The folder tells of journals that appear or are renamed into place (as a
// sync engine delivers them), and the folder above it of the journal folder
// itself appearing; each journal, of lines appended to it. This computer's
// own journal grows with its own answers, indexed as they come.
void JournalIndexer::watch()
{
    if (!m_watcher)
        return;
    QStringList wanted{QFileInfo(m_places.folder).absolutePath(), m_places.folder};
    const QString own = m_places.computer.isEmpty() ? QString() : AnswerJournal::FileName(m_places.computer);
    for (const QFileInfo &info : QDir(m_places.folder).entryInfoList({JournalPattern}, QDir::Files)) {
        if (info.fileName() != own)
            wanted.append(info.filePath());
    }
    QStringList watched = m_watcher->files() + m_watcher->directories();
    for (const QString &path : std::as_const(watched)) {
        if (!wanted.contains(path))
            m_watcher->removePath(path);
    }
    for (const QString &path : std::as_const(wanted)) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            m_watcher->addPath(path);
    }
}

void JournalIndexer::Refresh()
{
    if (m_thread) {
        m_again = true;
        return;
    }
    const Places places = m_places;
    Result *result = &m_result;
    m_thread = QThread::create([places, result] {
        *result = {};
        if (!MigrateFormer(places, &result->error))
            return;
        // Without a journal there is nothing to index: the database is not
        // even loaded.
        if (QDir(places.folder).entryList({JournalPattern}, QDir::Files).isEmpty())
            return;
        ProgressStore index;
        if (index.Open(places.index, ProgressStore::Mode::Index) != ProgressStore::OpenResult::Opened) {
            result->error = index.ErrorText();
            return;
        }
        *result = Update(index, places.folder);
    });
    connect(m_thread, &QThread::finished, this, &JournalIndexer::finished);
    m_thread->start(QThread::LowPriority);
}

void JournalIndexer::finished()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    watch();
    const Result result = std::move(m_result);
    Q_EMIT Updated(result);
    if (m_again) {
        m_again = false;
        Refresh();
    }
}
