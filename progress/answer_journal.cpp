#include "progress/answer_journal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <limits>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A crash can only leave the last line unfinished, and a line is a few
// hundred bytes: the end of the file is enough to find the last answer.
constexpr qint64 TailBytes = 64 * 1024;
constexpr qint64 BlockBytes = 1024 * 1024;

const QString VersionKey = u"v"_s;
const QString ComputerKey = u"computer"_s;
const QString SequenceKey = u"seq"_s;
const QString TimeKey = u"time"_s;
const QString DictionaryKey = u"dictionary"_s;
const QString WordKey_ = u"word"_s;
const QString MeaningsKey = u"meanings"_s;
const QString AnswerKey = u"answer"_s;

enum class Parsed { Answer, Unknown, Damaged };

// One whole line (without its newline) into answer.
Parsed parse(QByteArrayView line, JournalAnswer &answer, qint64 &unknown)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Parsed::Damaged;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        if (key != VersionKey && key != ComputerKey && key != SequenceKey && key != TimeKey && key != DictionaryKey
            && key != WordKey_ && key != MeaningsKey && key != AnswerKey)
            ++unknown;
    }
    const QJsonValue computer = object.value(ComputerKey);
    const QJsonValue sequence = object.value(SequenceKey);
    const QJsonValue time = object.value(TimeKey);
    const QJsonValue word = object.value(WordKey_);
    const QJsonValue kind = object.value(AnswerKey);
    if (!computer.isString() || computer.toString().isEmpty() || !sequence.isDouble() || sequence.toInteger() < 1
        || !time.isDouble() || !word.isString() || word.toString().isEmpty() || !kind.isString())
        return Parsed::Damaged;
    const std::optional<AnswerKind> known = KindFromName(kind.toString());
    // An outcome a newer Lexomat knows and this one does not.
    if (!known) {
        ++unknown;
        return Parsed::Unknown;
    }
    answer.computer = computer.toString();
    answer.sequence = sequence.toInteger();
    answer.time = time.toInteger();
    answer.dictionary = object.value(DictionaryKey).toString();
    answer.word.english = word.toString();
    const QJsonArray meanings = object.value(MeaningsKey).toArray();
    for (qsizetype i = 0; i < 3; ++i)
        answer.word.meanings[static_cast<std::size_t>(i)] = i < meanings.size() ? meanings[i].toString() : QString();
    answer.kind = *known;
    return Parsed::Answer;
}

} // namespace

QString AnswerJournal::FileName(const QString &computer)
{
    return computer + u".jsonl"_s;
}

QByteArray AnswerJournal::Line(const JournalAnswer &answer)
{
    QJsonArray meanings;
    for (const QString &meaning : answer.word.meanings)
        meanings.append(meaning);
    const QJsonObject object{
        {VersionKey, Version},
        {ComputerKey, answer.computer},
        {SequenceKey, answer.sequence},
        {TimeKey, answer.time},
        {DictionaryKey, answer.dictionary},
        {WordKey_, answer.word.english},
        {MeaningsKey, meanings},
        {AnswerKey, KindName(answer.kind)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray AnswerJournal::Hash(QByteArrayView line)
{
    return QCryptographicHash::hash(line, QCryptographicHash::Sha1);
}

AnswerJournal::Reading AnswerJournal::Read(const QString &path, qint64 from, qint64 maxLines)
{
    Reading reading;
    reading.end = from;
    reading.lastLine = from;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || (from > 0 && !file.seek(from))) {
        reading.error = file.errorString();
        return reading;
    }
    // Block by block, so that a long journal read a chunk of lines at a
    // time is not read whole for every chunk.
    QByteArray data;
    qint64 base = from; // the file offset of data[0]
    qint64 lines = 0;
    while (true) {
        const QByteArray block = file.read(BlockBytes);
        if (block.isEmpty())
            break;
        data += block;
        qsizetype at = 0;
        while (true) {
            const qsizetype newline = data.indexOf('\n', at);
            if (newline < 0)
                break; // not whole yet, or in the next block
            if (lines == maxLines) {
                reading.more = true;
                return reading;
            }
            ++lines;
            const QByteArrayView line(data.constData() + at, newline - at);
            reading.lastLine = base + at;
            reading.lastHash = Hash(QByteArrayView(data.constData() + at, newline + 1 - at));
            JournalAnswer answer;
            // An empty line is no damage: nothing was meant by it.
            if (!line.trimmed().isEmpty()) {
                switch (parse(line, answer, reading.unknown)) {
                case Parsed::Answer: reading.answers.append(std::move(answer)); break;
                case Parsed::Unknown: break;
                case Parsed::Damaged: reading.damaged.append(base + at); break;
                }
            }
            at = newline + 1;
            reading.end = base + at;
        }
        data.remove(0, at);
        base += at;
    }
    return reading;
}

AnswerJournal::AnswerJournal(QString path, QString computer)
    : m_file(std::move(path))
    , m_computer(std::move(computer))
{
}

bool AnswerJournal::Open()
{
    const QString path = m_file.fileName();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        m_error = u"the folder "_s + QFileInfo(path).absolutePath() + u" cannot be made"_s;
        return false;
    }
    m_file.close();
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
    const qint64 size = m_file.size();
    qint64 whole = 0;
    m_next = 1;
    if (size > 0) {
        qint64 start = std::max<qint64>(0, size - TailBytes);
        m_file.seek(start);
        QByteArray tail = m_file.read(size - start);
        qsizetype last = tail.lastIndexOf('\n');
        if (last < 0 && start > 0) {
            // A last line longer than the tail: no program of ours wrote it.
            m_file.seek(0);
            tail = m_file.readAll();
            start = 0;
            last = tail.lastIndexOf('\n');
        }
        whole = last < 0 ? 0 : start + last + 1;
        // The half-written line a crash left: never an answer, and the next
        // line must not be glued to it.
        if (whole < size && !m_file.resize(whole)) {
            m_error = m_file.errorString();
            return false;
        }
        qint64 unknown = 0;
        bool found = false;
        for (const QByteArray &line : tail.left(last < 0 ? 0 : last).split('\n')) {
            JournalAnswer answer;
            if (parse(line, answer, unknown) == Parsed::Answer && answer.computer == m_computer) {
                m_next = std::max(m_next, answer.sequence + 1);
                found = true;
            }
        }
        if (!found && start > 0) {
            for (const JournalAnswer &answer : Read(path, 0, std::numeric_limits<qint64>::max()).answers) {
                if (answer.computer == m_computer)
                    m_next = std::max(m_next, answer.sequence + 1);
            }
        }
    }
    m_file.close();
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
    m_size = whole;
    return true;
}

std::optional<AnswerJournal::Appended> AnswerJournal::Append(const AnswerEvent &event, const QString &dictionary,
                                                              qint64 time)
{
    if (!m_file.isOpen()) {
        m_error = u"the journal is not open"_s;
        return std::nullopt;
    }
    const QByteArray line = Line({m_computer, m_next, time, dictionary, WordKey::FromEvent(event), event.kind});
    // One write: a process killed around it leaves the line whole or not
    // there at all. What a failing disk left of it is cut off again.
    const int fd = m_file.handle();
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.constData() + written, static_cast<size_t>(line.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            if (written > 0)
                (void)::ftruncate(fd, m_size);
            return std::nullopt;
        }
        written += n;
    }
    const int syncError = ::fdatasync(fd) == 0 ? 0 : errno;
    const Appended appended{m_next, m_size, m_size + line.size(), Hash(line)};
    m_size = appended.end;
    ++m_next;
    if (syncError != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(syncError));
        return std::nullopt;
    }
    return appended;
}
