#pragma once

#include "dict/word_file.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// The dictionary folder: its sorted list of "tom_<n>.wrd" names and the
// current dictionary with its WordFile.
class DictLibrary
{
public:
    static constexpr int MaxNames = 100;

    // The folder is dictDir when that folder exists, else defaultDictDir.
    // Opens the folder's first dictionary, creating folder and "tom_0.wrd"
    // when there is none.
    DictLibrary(const QString &dictDir, const QString &defaultDictDir);
    // Opens path when the folder lists it, else the first dictionary with room,
    // else path itself.
    DictLibrary(const QString &dictDir, const QString &defaultDictDir, const QString &path);
    // Destroys the current WordFile, which saves itself when edited.
    ~DictLibrary();
    DictLibrary(const DictLibrary &) = delete;
    DictLibrary &operator=(const DictLibrary &) = delete;

    // Lists the folder into names; the count, or -1 when it cannot be listed.
    int Scan();
    // 1-based position of path in the list; 0 when it is not listed.
    int IndexOf(const QString &path) const;
    void Next();
    void Previous();
    void SwitchTo(const QString &path);
    // Full path of the first listed dictionary that loads with fewer than 70
    // lines and is not the review dictionary, or "0" when there is none.
    QString FindNotFull();
    // Full path of the first canonical name not yet listed.
    QString NewFileName();
    // The number formed by the ASCII digits of a file name, 0 without digits;
    // -1 when the digits exceed the range of a signed 32-bit integer.
    static qint64 NumberInName(QStringView name);
    // "tom_<number>.wrd".
    static QString CanonicalName(qint64 number);
    // Whether a folder entry counts as a dictionary: its name holds ".wrd"
    // or ".WRD" and it is no conflict copy that file sync made of one.
    static bool IsDictionaryEntry(QStringView name);
    // The sorted numbers of every dictionary entry of folder, as a scan
    // lists them (also beyond the first MaxNames); none when the folder
    // cannot be listed. Nothing is opened or created.
    static std::optional<std::vector<qint64>> ListNumbers(const QString &folder);

    std::array<QString, MaxNames> names;
    QString folder;
    QString currentPath;
    std::int32_t fileCount = 0;
    std::unique_ptr<WordFile> file;

private:
    void openFolder(const QString &dictDir, const QString &defaultDictDir);
    void openOrFindRoom(const QString &path);
    void open(const QString &path);

    // Every number of the last scan, sorted, also those beyond the first
    // MaxNames, so that a new name never hits a file that is not listed.
    std::vector<qint64> m_numbers;
};
