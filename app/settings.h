#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct PRG_STAT;
class INIT;
class DictLibrary;

// Names of the root key's values.
namespace SettingNames {
extern const QString DictDir;      // DEFAULT_DICT_DIR
extern const QString Dict;         // DEFAULT_DICT
extern const QString FirstLaunch;  // FIRST_LANCH
extern const QString Mode;         // DEFAULT_MODE
extern const QString Speed;        // DEFAULT_SPEED
extern const QString BgColor;      // DEFAULT_BGCOLOR
extern const QString ActiveColor;  // DEFAULT_ACOLOR
extern const QString PassiveColor; // DEFAULT_PCOLOR
extern const QString Timer;        // TIMER
extern const QString FontName;     // FONT_NAME
extern const QString FontSize;     // FONT_SIZE
extern const QString WordColumn;   // START_FIELDS
extern const QString MeaningColumn;// START_FIELDS1
extern const QString SpeakWords;   // SPEAK_WORDS
extern const QString SuggestMeanings;  // SUGGEST_MEANINGS
} // namespace SettingNames

// Ranges a stored value must lie in; outside them its default applies.
inline constexpr int SpeedMinimum = 2000;
inline constexpr int SpeedMaximum = 11000;
inline constexpr int FontSizeMinimum = 4;
inline constexpr int FontSizeMaximum = 72;

// What the settings load hands to the main window besides the program state.
struct LoadedSettings
{
    std::unique_ptr<DictLibrary> library;
    // DEFAULT_SPEED, when stored: the speed track bar's position.
    std::optional<int> speed;
    // One message per value that could not be read; its default was kept.
    QStringList errors;
};

// Reads every setting into the state in the program's order, opening the
// dictionary library on the way. currentDir is the process's working folder,
// from which the default dictionary folder is derived.
LoadedSettings LoadSettings(PRG_STAT &state, INIT &registry, const QString &currentDir);

// Writes every value of the root key, then destroys the library (which saves an
// edited dictionary). Whether the settings file took them, the store tells
// (INIT::writeFailed).
void SaveSettings(const PRG_STAT &state, INIT &registry, int speedPosition,
                  std::unique_ptr<DictLibrary> &library);
