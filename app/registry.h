#pragma once

#include <QString>

#include <memory>
#include <stdexcept>

class QSettings;

// Raised by the settings store when a value cannot be read as asked.
class RegistryError : public std::runtime_error
{
public:
    explicit RegistryError(const QString &message);
    QString message() const;
};

// The program's settings store: a key tree rooted at "SOFTWARE\Tolv\LX",
// kept in a per-user INI file. The root key's values live in the file's
// general section and each subkey ("CYCLE", "ACTIVE", "WIN") is a group of
// its own. One key is open at a time; every user opens, works and closes.
//
// Value names may be full file paths, so they are escaped before they reach
// QSettings, which would otherwise split them at '/' and fold slashes.
// Values carry their type ("sz:" text, "dword:" hex number) so that reading
// a value as the wrong type fails the way the program expects.
//
// A settings file that cannot be read, or holds lines the format does not
// know, never stops the program: what could be read is kept, the file itself
// is moved aside as "<file>.damaged-<date>", and a fresh one takes its place
// with the next write. A failed write is remembered, not thrown, so that the
// program can say so once, at its close.
class INIT
{
public:
    static const QString RootKey; // "SOFTWARE\Tolv\LX"

    // The user's own settings file.
    INIT();
    // A settings file at the given path (tests, tools).
    explicit INIT(const QString &filePath);
    ~INIT();
    INIT(const INIT &) = delete;
    INIT &operator=(const INIT &) = delete;

    QString fileName() const;

    // Opens a key path below the root (backslash separated, for example
    // "SOFTWARE\Tolv\LX\ACTIVE"), closing any key that was open. Keys exist
    // as soon as they are opened, so this always succeeds when create is true.
    bool OpenKey(const QString &keyPath, bool create);
    // Closes the open key and writes pending changes to the file, unless
    // writes are held.
    void CloseKey();
    // While held, closing a key keeps its changes in memory: they are read
    // back as written and reach the file at the release (or the next close
    // after it, or the store's end). The program holds them while its first
    // window is built, so that a first start does not wait for the disk.
    void holdWrites();
    void releaseWrites();
    // Whether a write to the file has failed in this run (its changes stay
    // pending and go with the next write that succeeds).
    bool writeFailed() const { return m_writeFailed; }
    // Whether the file was found damaged or unreadable, and where the
    // damaged file was kept (empty when it could not be moved aside).
    bool damaged() const { return m_damaged; }
    QString damagedCopy() const { return m_damagedCopy; }

    bool ValueExists(const QString &name) const;
    // Missing value: empty text. A number stored under the name throws.
    QString ReadString(const QString &name) const;
    // Missing value or text stored under the name throws.
    int ReadInteger(const QString &name) const;
    bool ReadBool(const QString &name) const;
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, int value);
    void WriteBool(const QString &name, bool value);

    // The escaped form in which a value name is handed to QSettings.
    static QString encodedName(const QString &name);

private:
    void takeOverDamagedFile();
    QString keyOf(const QString &name) const;
    QString rawValue(const QString &name) const;
    void requireOpenKey() const;
    void writeToFile();

    std::unique_ptr<QSettings> m_settings;
    QString m_group;
    bool m_open = false;
    bool m_held = false;
    bool m_writeFailed = false;
    bool m_damaged = false;
    QString m_damagedCopy;
};
