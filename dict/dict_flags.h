#pragma once

#include <QString>

class INIT;

// The two per-dictionary flags, kept in the settings store by the
// dictionary's full path.
namespace DictFlags {

extern const QString ExcludeKey; // "SOFTWARE\Tolv\LX\ACTIVE"
extern const QString RepeatKey;  // "SOFTWARE\Tolv\LX\CYCLE"

// The flag of path under key; a missing value is written as false first.
bool ReadOrCreate(INIT &registry, const QString &key, const QString &path);
void Write(INIT &registry, const QString &key, const QString &path, bool value);

} // namespace DictFlags
