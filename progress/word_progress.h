#pragma once

#include "game/answer_event.h"
#include "progress/word_schedule.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// A word as the record knows it: the English word and its three meaning
// fields, exactly as the dictionary line gives them. Its dictionary plays no
// part, so a word keeps its progress when its file is moved or renamed.
struct WordKey
{
    QString english;
    std::array<QString, 3> meanings;

    // The fields of one dictionary line, as the game reads them.
    static WordKey FromLine(QStringView line);
    static WordKey FromEvent(const AnswerEvent &event);
    // A dictionary line that reads back as this word: the word and its
    // meanings up to the last one that is not empty, each followed by a comma.
    QString ToLine() const;
    // The meanings that are not empty, joined for display.
    QString MeaningsText() const;

    friend bool operator==(const WordKey &a, const WordKey &b) = default;
};

size_t qHash(const WordKey &key, size_t seed = 0) noexcept;

// Where a word stands.
enum class Stage {
    New,      // "новое": never answered
    Learning, // "учу"
    Learnt,   // "выучено": in box 4 or above
};

// What the record has gathered about one word.
struct WordProgress
{
    static constexpr int TopBox = 5;
    static constexpr int LearntBox = 4;

    int box = 0;
    int right = 0;
    int wrong = 0;
    int unanswered = 0;
    int hints = 0;
    int shown = 0;
    qint64 lastTime = 0; // milliseconds since the epoch, of the latest answer
    WordSchedule schedule;

    int answers() const { return right + wrong + unanswered + hints + shown; }
    // Turns in which the learner did not find the meaning alone.
    int misses() const { return wrong + unanswered; }
    Stage stage() const;
    // The word after one more outcome: its box moves and its count grows.
    void Add(AnswerKind kind, qint64 time);

    friend bool operator==(const WordProgress &, const WordProgress &) = default;
};

// The box after one outcome: a right answer moves it up one (to 5 at most);
// a wrong answer, no answer or a hint puts it back to 1; being shown in the
// learning mode lifts a new word to 1 and leaves any other where it is.
int NextBox(int box, AnswerKind kind);

// The stage of a word the record may not know (nullptr: new).
Stage StageOf(const WordProgress *progress);

// The record's name of an outcome: "right", "wrong", "unanswered", "hint", "shown".
QString KindName(AnswerKind kind);
// The outcome of a name KindName gives; nothing for any other text.
std::optional<AnswerKind> KindFromName(QStringView name);
