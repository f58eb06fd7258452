#include "dict/dict_flags.h"

#include "app/registry.h"

using namespace Qt::StringLiterals;

namespace DictFlags {

const QString ExcludeKey = u"SOFTWARE\\Tolv\\LX\\ACTIVE"_s;
const QString RepeatKey = u"SOFTWARE\\Tolv\\LX\\CYCLE"_s;

// The flags fail silently like the rest of the dictionaries: a value of the
// wrong type reads as false, and a settings file that cannot be written
// leaves the flag in memory only (the check boxes still show it).
bool ReadOrCreate(INIT &registry, const QString &key, const QString &path)
{
    bool value = false;
    try {
        registry.OpenKey(key, true);
        if (registry.ValueExists(path))
            value = registry.ReadBool(path);
        else
            registry.WriteBool(path, false);
    } catch (const RegistryError &) {
        value = false;
    }
    try {
        registry.CloseKey();
    } catch (const RegistryError &) {
    }
    return value;
}

void Write(INIT &registry, const QString &key, const QString &path, bool value)
{
    try {
        registry.OpenKey(key, true);
        registry.WriteBool(path, value);
        registry.CloseKey();
    } catch (const RegistryError &) {
    }
}

} // namespace DictFlags
