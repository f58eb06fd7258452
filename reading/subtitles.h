#pragma once

#include <QString>
#include <QStringView>

// The spoken text of subtitles: cue numbers, timings, styling tags (<i>,
// <font …>, {\an8}), speaker voices and the blocks of WebVTT that are no
// cues (NOTE, STYLE, REGION) taken out. Each cue becomes one line, its lines
// joined by blanks; a dialogue dash opening a line goes.
namespace Subtitles {

QString SrtText(QStringView text);
QString VttText(QStringView text);

// Whether text starts as a SubRip file does: a cue number line, then a
// timing line.
bool LooksLikeSrt(QStringView text);

} // namespace Subtitles
