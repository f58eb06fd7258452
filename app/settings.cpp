#include "app/settings.h"

#include "app/program_state.h"
#include "app/registry.h"
#include "dict/dict_library.h"

#include <QDir>

#include <exception>

namespace SettingNames {
const QString DictDir = QStringLiteral("DEFAULT_DICT_DIR");
const QString Dict = QStringLiteral("DEFAULT_DICT");
const QString FirstLaunch = QStringLiteral("FIRST_LANCH");
const QString Mode = QStringLiteral("DEFAULT_MODE");
const QString Speed = QStringLiteral("DEFAULT_SPEED");
const QString BgColor = QStringLiteral("DEFAULT_BGCOLOR");
const QString ActiveColor = QStringLiteral("DEFAULT_ACOLOR");
const QString PassiveColor = QStringLiteral("DEFAULT_PCOLOR");
const QString Timer = QStringLiteral("TIMER");
const QString FontName = QStringLiteral("FONT_NAME");
const QString FontSize = QStringLiteral("FONT_SIZE");
const QString WordColumn = QStringLiteral("START_FIELDS");
const QString MeaningColumn = QStringLiteral("START_FIELDS1");
const QString SpeakWords = QStringLiteral("SPEAK_WORDS");
const QString SuggestMeanings = QStringLiteral("SUGGEST_MEANINGS");
} // namespace SettingNames

namespace {

// Reads one value into target when it exists; a value of the wrong type
// leaves target at its default and is reported.
template <typename T, typename Read>
void readInto(INIT &registry, const QString &name, T &target, QStringList &errors, Read read)
{
    if (!registry.ValueExists(name))
        return;
    try {
        target = static_cast<T>(read(name));
    } catch (const RegistryError &error) {
        errors.append(error.message());
    }
}

// Values outside what the program can show take their defaults: a mode
// that no radio button stands for would ignore every answer, and a column
// beyond the board could never be moved back by its arrows.
constexpr int BoardWidth = 369;              // the game board fills its page
constexpr int LastColumnLeft = BoardWidth - 6 * (BoardWidth / 100);
constexpr Colour LargestColour = 0xFFFFFF;

void keepInRange(PRG_STAT &state, std::optional<int> &speed)
{
    const PRG_STAT defaults;
    if (state.mode < ModeStandard || state.mode > ModeFlash)
        state.mode = defaults.mode;
    if (speed && (*speed < SpeedMinimum || *speed > SpeedMaximum))
        speed.reset();
    for (auto [colour, fallback] : {std::pair{&state.bgColor, defaults.bgColor},
                                    std::pair{&state.activeColor, defaults.activeColor},
                                    std::pair{&state.passiveColor, defaults.passiveColor}}) {
        if (*colour > LargestColour)
            *colour = fallback;
    }
    if (state.timerOn != 0 && state.timerOn != 1)
        state.timerOn = defaults.timerOn;
    if (state.speakWords != 0 && state.speakWords != 1)
        state.speakWords = defaults.speakWords;
    if (state.suggestMeanings != 0 && state.suggestMeanings != 1)
        state.suggestMeanings = defaults.suggestMeanings;
    if (state.fontName.trimmed().isEmpty())
        state.fontName = defaults.fontName;
    if (state.fontSize < FontSizeMinimum || state.fontSize > FontSizeMaximum)
        state.fontSize = defaults.fontSize;
    if (state.wordColumnBase < 0 || state.wordColumnBase > LastColumnLeft)
        state.wordColumnBase = defaults.wordColumnBase;
    if (state.meaningColumnBase < 0 || state.meaningColumnBase > LastColumnLeft)
        state.meaningColumnBase = defaults.meaningColumnBase;
}

} // namespace

LoadedSettings LoadSettings(PRG_STAT &state, INIT &registry, const QString &currentDir)
{
    using namespace SettingNames;
    LoadedSettings result;
    const auto readString = [&registry](const QString &name) { return registry.ReadString(name); };
    const auto readInteger = [&registry](const QString &name) { return registry.ReadInteger(name); };

    registry.OpenKey(INIT::RootKey, true);

    QString dir = currentDir;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    state.defaultDictDir = dir + QStringLiteral("dict/");

    state.dictDir = state.defaultDictDir;
    readInto(registry, DictDir, state.dictDir, result.errors, readString);

    std::optional<QString> storedDict;
    if (registry.ValueExists(Dict)) {
        try {
            storedDict = registry.ReadString(Dict);
        } catch (const RegistryError &error) {
            result.errors.append(error.message());
        }
    }
    // The library may use the settings store itself, so the key is closed
    // around its construction.
    registry.CloseKey();
    if (storedDict)
        result.library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, *storedDict);
    else
        result.library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir);
    registry.OpenKey(INIT::RootKey, true);

    readInto(registry, Mode, state.mode, result.errors, readInteger);
    if (registry.ValueExists(Speed)) {
        try {
            result.speed = registry.ReadInteger(Speed);
        } catch (const RegistryError &error) {
            result.errors.append(error.message());
        }
    }
    readInto(registry, BgColor, state.bgColor, result.errors, readInteger);
    readInto(registry, ActiveColor, state.activeColor, result.errors, readInteger);
    readInto(registry, PassiveColor, state.passiveColor, result.errors, readInteger);
    readInto(registry, Timer, state.timerOn, result.errors, readInteger);
    readInto(registry, FontName, state.fontName, result.errors, readString);
    readInto(registry, FontSize, state.fontSize, result.errors, readInteger);
    readInto(registry, WordColumn, state.wordColumnBase, result.errors, readInteger);
    readInto(registry, MeaningColumn, state.meaningColumnBase, result.errors, readInteger);
    readInto(registry, SpeakWords, state.speakWords, result.errors, readInteger);
    readInto(registry, SuggestMeanings, state.suggestMeanings, result.errors, readInteger);
    keepInRange(state, result.speed);
    state.wordColumnLeft = state.wordColumnBase;
    state.meaningColumnLeft = state.meaningColumnBase;
    registry.CloseKey();
    return result;
}

void SaveSettings(const PRG_STAT &state, INIT &registry, int speedPosition,
                  std::unique_ptr<DictLibrary> &library)
{
    using namespace SettingNames;
    std::exception_ptr failure;
    try {
        registry.OpenKey(INIT::RootKey, true);
        registry.WriteString(DictDir, state.dictDir);
        registry.WriteString(Dict, library && library->file ? library->file->path : QString());
        registry.WriteString(FirstLaunch, QStringLiteral("NO"));
        registry.WriteInteger(Mode, state.mode);
        registry.WriteInteger(Speed, speedPosition);
        registry.WriteInteger(BgColor, static_cast<int>(state.bgColor));
        registry.WriteInteger(ActiveColor, static_cast<int>(state.activeColor));
        registry.WriteInteger(PassiveColor, static_cast<int>(state.passiveColor));
        registry.WriteInteger(Timer, state.timerOn);
        registry.WriteString(FontName, state.fontName);
        registry.WriteInteger(FontSize, state.fontSize);
        registry.WriteInteger(WordColumn, state.wordColumnLeft);
        registry.WriteInteger(MeaningColumn, state.meaningColumnLeft);
        registry.WriteInteger(SpeakWords, state.speakWords);
        registry.WriteInteger(SuggestMeanings, state.suggestMeanings);
        registry.CloseKey();
    } catch (...) {
        failure = std::current_exception();
    }
    // The dictionary matters more than the settings: it is saved either way.
    library.reset();
    if (failure)
        std::rethrow_exception(failure);
}
