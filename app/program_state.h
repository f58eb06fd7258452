#pragma once

#include <QString>

#include <array>
#include <cstdint>

// Colours are kept as 0x00BBGGRR, the form the settings file stores.
using Colour = std::uint32_t;

// Font style bits; the game labels' style lives only for one run.
enum FontStyleBit : std::uint8_t {
    FontBold = 1,
    FontItalic = 2,
    FontUnderline = 4,
    FontStrikeOut = 8,
};

// One board row: which word's meanings its meaning label shows, and whether
// its word has already been the active one in the current deal.
struct BoardSlot
{
    std::int32_t meaningOf = 0;
    std::int32_t wasActive = 0;
};

// All settings and all run-wide state of the program, in one record.
struct PRG_STAT
{
    QString editLine;
    std::int32_t editIndex = 0;
    std::int32_t editMode = 0;
    bool trayMenuPosUnset = true;
    std::int16_t trayMenuX = 0;
    std::int16_t trayMenuY = 0;
    std::int32_t gameState = 0;
    std::array<BoardSlot, 10> slots{};
    std::int32_t activeSlot = 0;
    std::int32_t turns = 0;
    std::int32_t guessedCount = 0;
    std::int32_t mode = 0;
    std::int32_t timerOn = 1;
    QString dictDir;
    QString defaultDictDir;
    Colour bgColor = 0xFF80FF;
    Colour activeColor = 0x00FFFF;
    Colour passiveColor = 0x000000;
    QString fontName = QStringLiteral("MS Sans Serif");
    std::int32_t fontSize = 10;
    std::uint8_t fontStyle = 0;
    std::int32_t wordColumnBase = 67;
    std::int32_t wordColumnLeft = 67;
    std::int32_t meaningColumnBase = 169;
    std::int32_t meaningColumnLeft = 169;
    std::int32_t dragLeft = 0;
    std::int32_t dragTop = 0;
    std::int32_t dragMouseX = 0;
    std::int32_t dragMouseY = 0;
    std::int32_t dragging = 0;
    std::int32_t speedArrow = 0;
    bool mainWindowInCharge = true;
    std::int32_t flashLeft = -1;
    std::int32_t flashTop = -1;
    // 1: the English word of every turn is spoken (SPEAK_WORDS); off by default.
    std::int32_t speakWords = 0;
    // 1: the word editor suggests meanings from the English-Russian
    // dictionary when one is installed (SUGGEST_MEANINGS); on by default.
    std::int32_t suggestMeanings = 1;
};

// Game modes, as stored in DEFAULT_MODE.
enum GameMode : std::int32_t {
    ModeStandard = 0,
    ModeLearning = 1,
    ModeFlash = 2,
};
