#pragma once

#include "progress/word_progress.h"

#include <QList>
#include <QString>

class DictLibrary;

// A new dictionary of the words to drill, at most a full dictionary's worth:
// written under the library's next free name, line by line as the game reads
// them back. Returns its path; empty when it could not be written, and then
// no file is left behind.
QString WriteDrillDictionary(DictLibrary &library, const QList<WordKey> &words);
