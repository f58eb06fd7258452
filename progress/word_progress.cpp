#include "progress/word_progress.h"

#include "dict/word_store.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

WordKey WordKey::FromLine(QStringView line)
{
    BWORDW fields(4);
    fields.ParseLine(u',', line);
    WordKey key;
    key.english = fields.FieldText(0);
    for (int i = 0; i < 3; ++i)
        key.meanings[static_cast<std::size_t>(i)] = fields.FieldText(i + 1);
    return key;
}

WordKey WordKey::FromEvent(const AnswerEvent &event)
{
    return {event.english, event.meanings};
}

QString WordKey::ToLine() const
{
    std::size_t used = meanings.size();
    while (used > 0 && meanings[used - 1].isEmpty())
        --used;
    QString line = english + u',';
    for (std::size_t i = 0; i < used; ++i)
        line += meanings[i] + u',';
    return line;
}

QString WordKey::MeaningsText() const
{
    QStringList parts;
    for (const QString &meaning : meanings) {
        if (!meaning.isEmpty())
            parts << meaning;
    }
    return parts.join(u", "_s);
}

size_t qHash(const WordKey &key, size_t seed) noexcept
{
    return qHashMulti(seed, key.english, key.meanings[0], key.meanings[1], key.meanings[2]);
}

int NextBox(int box, AnswerKind kind)
{
    switch (kind) {
    case AnswerKind::Right:
        return std::min(box + 1, WordProgress::TopBox);
    case AnswerKind::Shown:
        return std::max(box, 1);
    case AnswerKind::Wrong:
    case AnswerKind::Unanswered:
    case AnswerKind::Hint:
        break;
    }
    return 1;
}

Stage WordProgress::stage() const
{
    if (answers() == 0)
        return Stage::New;
    return box >= LearntBox ? Stage::Learnt : Stage::Learning;
}

void WordProgress::Add(AnswerKind kind, qint64 time)
{
    box = NextBox(box, kind);
    switch (kind) {
    case AnswerKind::Right: ++right; break;
    case AnswerKind::Wrong: ++wrong; break;
    case AnswerKind::Unanswered: ++unanswered; break;
    case AnswerKind::Hint: ++hints; break;
    case AnswerKind::Shown: ++shown; break;
    }
    lastTime = std::max(lastTime, time);
}

Stage StageOf(const WordProgress *progress)
{
    return progress ? progress->stage() : Stage::New;
}

namespace {

const std::array<QString, 5> KindNames{u"right"_s, u"wrong"_s, u"unanswered"_s, u"hint"_s, u"shown"_s};

} // namespace

QString KindName(AnswerKind kind)
{
    return KindNames[static_cast<std::size_t>(kind)];
}

std::optional<AnswerKind> KindFromName(QStringView name)
{
    for (std::size_t i = 0; i < KindNames.size(); ++i) {
        if (name == KindNames[i])
            return static_cast<AnswerKind>(i);
    }
    return std::nullopt;
}
