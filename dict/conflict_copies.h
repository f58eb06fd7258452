#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Copies of a dictionary that a file-sync engine made when two computers
// changed it before either had the other's version. The engines name them
// after the dictionary:
//   Syncthing  tom_3.sync-conflict-20261209-101112-ABCDEFG.wrd
//   Nextcloud  tom_3 (conflicted copy 2026-12-09 101112).wrd
//              tom_3_conflict-20261209-101112.wrd (older clients)
//   Dropbox    tom_3 (Anna's conflicted copy 2026-12-09).wrd
// Such a copy is no dictionary of the folder's numbering: its words belong
// to the dictionary it was made of, and merging brings them there.
namespace ConflictCopies {

enum class Engine { Syncthing, Nextcloud, Dropbox };

// The folder beside the dictionaries where merged copies are kept.
inline constexpr QStringView KeptFolder = u"conflicts";

struct Name
{
    QString original; // the dictionary's own file name
    Engine engine;
};

// What a file name is a conflict copy of; none when it is no conflict copy
// of a dictionary.
std::optional<Name> Recognise(QStringView fileName);

struct Copy
{
    QString path;
    QString originalPath;
    Engine engine;
    // A readable regular file that holds text: only such a copy is merged.
    bool dictionary = false;
};

// The conflict copies of dictionaries in a folder, by name.
QList<Copy> Find(const QString &folder);

struct Merged
{
    enum class Failure { None, NotDictionary, CopyUnreadable, DictionaryUnreadable, DictionaryNotWritten, NotMoved };

    Failure failure = Failure::None;
    int error = 0;   // the error number of a dictionary not written
    int added = 0;   // lines of the copy that the dictionary lacked
    QString keptAs;  // where the copy went

    bool ok() const { return failure == Failure::None; }
};

// Adds every line of the copy that its dictionary does not hold to the end
// of the dictionary (creating it when it is gone), then moves the copy into
// the folder KeptFolder beside it. A copy that is not a dictionary is left
// alone.
Merged Merge(const Copy &copy);

QString EngineName(Engine engine);

} // namespace ConflictCopies
