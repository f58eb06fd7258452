#pragma once

#include "app/program_state.h"

#include <QString>

// The two sets of settings the save-loop helper writes in turn. Every value
// differs between them, and the texts differ in length.
namespace SettingsVersions {

struct Version
{
    PRG_STAT state;
    int speed = 0;
};

inline Version version(int which, const QString &dictDir)
{
    Version v;
    v.state.dictDir = dictDir;
    if (which == 0) {
        v.speed = 6500;
        return v;
    }
    v.state.mode = ModeFlash;
    v.state.timerOn = 0;
    v.state.bgColor = 0x00123456;
    v.state.activeColor = 0x00654321;
    v.state.passiveColor = 0x00ABCDEF;
    v.state.fontName = QStringLiteral("Шрифт с длинным именем, 😀");
    v.state.fontSize = 14;
    v.state.wordColumnLeft = 91;
    v.state.meaningColumnLeft = 203;
    v.speed = 11000;
    return v;
}

} // namespace SettingsVersions
