#include "app/registry.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

namespace {

const QString TextTag = QStringLiteral("sz:");
const QString NumberTag = QStringLiteral("dword:");

QString invalidType(const QString &name)
{
    return QStringLiteral("Invalid data type for '%1'").arg(name);
}

// QSettings writes under a lock file beside the settings file. A writer
// killed right after making that file leaves it empty, and QSettings then
// waits 30 seconds before it takes the lock as stale, with the window frozen;
// the same holds for the second lock file that guards the removal of a stale
// one. Only this program writes its settings, one instance per user, and it
// writes them from one thread: a removal lock found here is always left over,
// and a lock that is older than a second belongs to no one.
void clearStaleLock(const QString &settingsFile)
{
    const QString lockPath = settingsFile + QStringLiteral(".lock");
    const QString removalLockPath = lockPath + QStringLiteral(".rmlock");
    if (QFileInfo::exists(removalLockPath))
        QFile::remove(removalLockPath);
    if (!QFileInfo::exists(lockPath))
        return;
    QLockFile lock(lockPath);
    lock.setStaleLockTime(1000);
    if (lock.tryLock(1500))
        lock.unlock();
}

} // namespace

RegistryError::RegistryError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

QString RegistryError::message() const
{
    return QString::fromStdString(what());
}

const QString INIT::RootKey = QStringLiteral("SOFTWARE\\Tolv\\LX");

INIT::INIT()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Tolv"), QStringLiteral("LX")))
{
    takeOverDamagedFile();
}

INIT::INIT(const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
    takeOverDamagedFile();
}

// QSettings reads what it can of a damaged file but then refuses nothing and
// reports the damage with every write; the file is moved aside once, here,
// and what was read goes into a fresh store at the same place.
void INIT::takeOverDamagedFile()
{
    const QString path = fileName();
    if (!QFileInfo::exists(path))
        return;
    clearStaleLock(path);
    // Sections are parsed when their keys are first listed; only then does a
    // line of the wrong form show.
    const QStringList keys = m_settings->allKeys();
    if (m_settings->status() == QSettings::NoError)
        return;
    m_damaged = true;
    QList<std::pair<QString, QVariant>> readable;
    for (const QString &key : keys)
        readable.append({key, m_settings->value(key)});

    const QString stem = path + QStringLiteral(".damaged-") + QDate::currentDate().toString(Qt::ISODate);
    QString copy = stem;
    for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n)
        copy = stem + QLatin1Char('-') + QString::number(n);
    if (QFile::rename(path, copy))
        m_damagedCopy = copy;

    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    for (const auto &[key, value] : readable)
        m_settings->setValue(key, value);
}

INIT::~INIT()
{
    if (m_open)
        CloseKey();
    releaseWrites();
}

QString INIT::fileName() const
{
    return m_settings->fileName();
}

QString INIT::encodedName(const QString &name)
{
    // '%' first, so that the escape character itself round-trips.
    QString encoded = name;
    encoded.replace(QLatin1Char('%'), QLatin1String("%25"));
    encoded.replace(QLatin1Char('/'), QLatin1String("%2F"));
    return encoded;
}

bool INIT::OpenKey(const QString &keyPath, bool create)
{
    if (m_open)
        CloseKey();
    QString path = keyPath;
    while (path.startsWith(QLatin1Char('\\')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    QString group;
    if (path.compare(RootKey, Qt::CaseInsensitive) == 0) {
        group.clear();
    } else if (path.startsWith(RootKey + QLatin1Char('\\'), Qt::CaseInsensitive)) {
        group = path.mid(RootKey.size() + 1);
    } else {
        // A key outside the program's root has a group named by its whole path.
        group = QLatin1String("..\\") + path;
    }
    if (!create && !group.isEmpty() && !m_settings->childGroups().contains(encodedName(group)))
        return false;
    m_group = encodedName(group);
    m_open = true;
    return true;
}

void INIT::CloseKey()
{
    if (!m_open)
        return;
    m_open = false;
    m_group.clear();
    if (!m_held)
        writeToFile();
}

void INIT::holdWrites()
{
    m_held = true;
}

void INIT::releaseWrites()
{
    if (!m_held)
        return;
    m_held = false;
    if (!m_open)
        writeToFile();
}

void INIT::writeToFile()
{
    clearStaleLock(fileName());
    m_settings->sync();
    // QSettings keeps the first error it met. A format error here comes from
    // reading the file back (someone edited it meanwhile); the write itself
    // went through.
    m_writeFailed = m_writeFailed || m_settings->status() == QSettings::AccessError;
}

void INIT::requireOpenKey() const
{
    if (!m_open)
        throw RegistryError(QStringLiteral("No settings key is open"));
}

QString INIT::keyOf(const QString &name) const
{
    const QString value = encodedName(name);
    return m_group.isEmpty() ? value : m_group + QLatin1Char('/') + value;
}

QString INIT::rawValue(const QString &name) const
{
    return m_settings->value(keyOf(name)).toString();
}

bool INIT::ValueExists(const QString &name) const
{
    requireOpenKey();
    return m_settings->contains(keyOf(name));
}

QString INIT::ReadString(const QString &name) const
{
    requireOpenKey();
    if (!m_settings->contains(keyOf(name)))
        return {};
    const QString raw = rawValue(name);
    if (raw.startsWith(TextTag))
        return raw.mid(TextTag.size());
    if (raw.startsWith(NumberTag))
        throw RegistryError(invalidType(name));
    return raw; // written by hand, without a type: take it as text
}

int INIT::ReadInteger(const QString &name) const
{
    requireOpenKey();
    const QString raw = rawValue(name);
    if (m_settings->contains(keyOf(name)) && raw.startsWith(NumberTag)) {
        bool ok = false;
        const uint value = QStringView(raw).mid(NumberTag.size()).toUInt(&ok, 16);
        if (ok)
            return static_cast<int>(value);
    }
    throw RegistryError(invalidType(name));
}

bool INIT::ReadBool(const QString &name) const
{
    return ReadInteger(name) != 0;
}

void INIT::WriteString(const QString &name, const QString &value)
{
    requireOpenKey();
    m_settings->setValue(keyOf(name), QString(TextTag + value));
}

void INIT::WriteInteger(const QString &name, int value)
{
    requireOpenKey();
    m_settings->setValue(keyOf(name),
                         QString(NumberTag + QStringLiteral("%1").arg(static_cast<uint>(value), 8, 16, QLatin1Char('0'))));
}

void INIT::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}
