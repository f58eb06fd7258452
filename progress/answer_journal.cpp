#include "progress/answer_journal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
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

// The fields of one line that an answer is made of.
struct Fields
{
    std::optional<QString> computer;
    std::optional<qint64> sequence;
    std::optional<qint64> time;
    QString dictionary;
    std::optional<QString> word;
    QStringList meanings;
    std::optional<QString> answer;
    qint64 unknown = 0;
};

bool isKnownKey(QStringView key)
{
    return key == VersionKey || key == ComputerKey || key == SequenceKey || key == TimeKey || key == DictionaryKey
        || key == WordKey_ || key == MeaningsKey || key == AnswerKey;
}

// A line as this program writes it, read without building a document: a
// flat object of strings without escapes, whole numbers and lists of such
// strings. Nothing for any other line, which QJsonDocument then reads: a
// document for each of a hundred thousand lines takes most of the reading.
std::optional<Fields> readFlat(QByteArrayView line)
{
    const char *at = line.data();
    const char *const end = at + line.size();
    const auto space = [&] {
        while (at < end && (*at == ' ' || *at == '\t' || *at == '\r'))
            ++at;
    };
    const auto text = [&]() -> std::optional<QString> {
        if (at == end || *at != '"')
            return std::nullopt;
        const char *const first = ++at;
        while (at < end && *at != '"' && *at != '\\' && static_cast<unsigned char>(*at) >= 0x20)
            ++at;
        if (at == end || *at != '"')
            return std::nullopt;
        return QString::fromUtf8(first, at++ - first);
    };
    const auto number = [&]() -> std::optional<qint64> {
        const bool negative = at < end && *at == '-';
        if (negative)
            ++at;
        qint64 value = 0;
        int digits = 0;
        while (at < end && *at >= '0' && *at <= '9' && digits < 18) {
            value = value * 10 + (*at++ - '0');
            ++digits;
        }
        if (digits == 0 || (at < end && ((*at >= '0' && *at <= '9') || *at == '.' || *at == 'e' || *at == 'E')))
            return std::nullopt;
        return negative ? -value : value;
    };

    Fields fields;
    space();
    if (at == end || *at++ != '{')
        return std::nullopt;
    space();
    bool first = true;
    while (at < end && *at != '}') {
        if (!first) {
            if (*at++ != ',')
                return std::nullopt;
            space();
        }
        first = false;
        const std::optional<QString> key = text();
        space();
        if (!key || at == end || *at++ != ':')
            return std::nullopt;
        space();
        if (at == end)
            return std::nullopt;
        if (*at == '"') {
            std::optional<QString> value = text();
            if (!value)
                return std::nullopt;
            if (*key == ComputerKey)
                fields.computer = std::move(value);
            else if (*key == DictionaryKey)
                fields.dictionary = *value;
            else if (*key == WordKey_)
                fields.word = std::move(value);
            else if (*key == AnswerKey)
                fields.answer = std::move(value);
            else if (!isKnownKey(*key))
                ++fields.unknown;
            else
                return std::nullopt;
        } else if (*at == '-' || (*at >= '0' && *at <= '9')) {
            const std::optional<qint64> value = number();
            if (!value)
                return std::nullopt;
            if (*key == SequenceKey)
                fields.sequence = value;
            else if (*key == TimeKey)
                fields.time = value;
            else if (!isKnownKey(*key))
                ++fields.unknown;
            else if (*key != VersionKey)
                return std::nullopt;
        } else if (*at == '[' && *key == MeaningsKey) {
            ++at;
            space();
            while (at < end && *at != ']') {
                if (!fields.meanings.isEmpty()) {
                    if (*at++ != ',')
                        return std::nullopt;
                    space();
                }
                const std::optional<QString> meaning = text();
                if (!meaning)
                    return std::nullopt;
                fields.meanings.append(*meaning);
                space();
            }
            if (at == end)
                return std::nullopt;
            ++at;
        } else {
            return std::nullopt;
        }
        space();
    }
    if (at == end)
        return std::nullopt;
    ++at;
    space();
    if (at != end)
        return std::nullopt;
    return fields;
}

// Any other line, through a document; nothing when it is no JSON object.
std::optional<Fields> readDocument(QByteArrayView line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    Fields fields;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!isKnownKey(it.key()))
            ++fields.unknown;
    }
    const auto string = [&object](const QString &key) -> std::optional<QString> {
        const QJsonValue value = object.value(key);
        return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
    };
    const auto whole = [&object](const QString &key) -> std::optional<qint64> {
        const QJsonValue value = object.value(key);
        return value.isDouble() ? std::optional<qint64>(value.toInteger()) : std::nullopt;
    };
    fields.computer = string(ComputerKey);
    fields.sequence = whole(SequenceKey);
    fields.time = whole(TimeKey);
    fields.dictionary = object.value(DictionaryKey).toString();
    fields.word = string(WordKey_);
    fields.answer = string(AnswerKey);
    for (const QJsonValue meaning : object.value(MeaningsKey).toArray())
        fields.meanings.append(meaning.toString());
    return fields;
}

// One whole line (without its newline) into answer.
Parsed parse(QByteArrayView line, JournalAnswer &answer, qint64 &unknown)
{
    std::optional<Fields> fields = readFlat(line);
    if (!fields)
        fields = readDocument(line);
    if (!fields)
        return Parsed::Damaged;
    unknown += fields->unknown;
    if (!fields->computer || fields->computer->isEmpty() || !fields->sequence || *fields->sequence < 1
        || !fields->time || !fields->word || fields->word->isEmpty() || !fields->answer)
        return Parsed::Damaged;
    const std::optional<AnswerKind> known = KindFromName(*fields->answer);
    // An outcome a newer Lexomat knows and this one does not.
    if (!known) {
        ++unknown;
        return Parsed::Unknown;
    }
    answer.computer = std::move(*fields->computer);
    answer.sequence = *fields->sequence;
    answer.time = *fields->time;
    answer.dictionary = std::move(fields->dictionary);
    answer.word.english = std::move(*fields->word);
    for (qsizetype i = 0; i < 3; ++i)
        answer.word.meanings[static_cast<std::size_t>(i)] = i < fields->meanings.size() ? fields->meanings[i] : QString();
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
