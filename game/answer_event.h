#pragma once

#include <QString>

#include <array>

// How one turn of the game ended for its active word.
enum class AnswerKind {
    Right,      // the word's own meaning was clicked
    Wrong,      // a meaning of another word was clicked
    Unanswered, // the timer or "Дальше" ended the turn
    Hint,       // "Подсказка" showed the meaning
    Shown,      // "Обучение" showed the word with its meaning
};

// One turn's outcome as the game reports it: the active word's English word
// and meanings, field by field as the dictionary line holds them.
struct AnswerEvent
{
    QString english;
    std::array<QString, 3> meanings;
    AnswerKind kind = AnswerKind::Right;
};
