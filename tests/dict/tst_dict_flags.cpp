#include "app/registry.h"
#include "dict/dict_flags.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDictFlags : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString settingsFile() const { return m_dir.filePath(u"LX.ini"_s); }

    // The stored value as the settings file holds it, read by the key's own name.
    std::optional<bool> stored(const QString &key, const QString &path) const
    {
        INIT registry(settingsFile());
        registry.OpenKey(key, true);
        std::optional<bool> value;
        if (registry.ValueExists(path))
            value = registry.ReadBool(path);
        registry.CloseKey();
        return value;
    }

private Q_SLOTS:
    void init() { QFile::remove(settingsFile()); }

    void newPathIsWrittenAsFalse()
    {
        const QString path = u"/home/user/dict/tom_0.wrd"_s;
        {
            INIT registry(settingsFile());
            QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::ExcludeKey, path), false);
        }
        QCOMPARE(stored(u"SOFTWARE\\Tolv\\LX\\ACTIVE"_s, path), std::optional<bool>(false));
        QCOMPARE(stored(u"SOFTWARE\\Tolv\\LX\\CYCLE"_s, path), std::nullopt);
    }

    void writtenFlagsReadBack_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << u"/home/user/dict/tom_0.wrd"_s;
        QTest::newRow("spaces") << u"/home/user/My Words/tom 1.wrd"_s;
        QTest::newRow("cyrillic") << u"/home/юзер/словари/том_2.wrd"_s;
        QTest::newRow("ini syntax") << u"/tmp/a=b;c[d]/%2F/tom_3.wrd"_s;
    }

    void writtenFlagsReadBack()
    {
        QFETCH(QString, path);
        const QString sibling = path + u".bak"_s;
        {
            INIT registry(settingsFile());
            DictFlags::Write(registry, DictFlags::ExcludeKey, path, true);
            DictFlags::Write(registry, DictFlags::RepeatKey, path, false);
            DictFlags::Write(registry, DictFlags::RepeatKey, sibling, true);
        }
        INIT registry(settingsFile());
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::ExcludeKey, path), true);
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::RepeatKey, path), false);
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::RepeatKey, sibling), true);
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::ExcludeKey, sibling), false);

        DictFlags::Write(registry, DictFlags::ExcludeKey, path, false);
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::ExcludeKey, path), false);
        QCOMPARE(stored(u"SOFTWARE\\Tolv\\LX\\ACTIVE"_s, path), std::optional<bool>(false));
    }

    void flagsLeaveTheKeyClosed()
    {
        INIT registry(settingsFile());
        DictFlags::Write(registry, DictFlags::ExcludeKey, u"/d/tom_0.wrd"_s, true);
        DictFlags::ReadOrCreate(registry, DictFlags::RepeatKey, u"/d/tom_0.wrd"_s);
        QVERIFY_THROWS_EXCEPTION(RegistryError, registry.ValueExists(u"/d/tom_0.wrd"_s));
    }

    void wrongTypeReadsFalse()
    {
        const QString path = u"/d/tom_0.wrd"_s;
        {
            INIT registry(settingsFile());
            registry.OpenKey(DictFlags::ExcludeKey, true);
            registry.WriteString(path, u"yes"_s);
            registry.CloseKey();
        }
        INIT registry(settingsFile());
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::ExcludeKey, path), false);
    }

    void unwritableSettingsFileIsSilent()
    {
        const QString blocker = m_dir.filePath(u"not-a-dir"_s);
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        INIT registry(blocker + u"/LX.ini"_s);
        DictFlags::Write(registry, DictFlags::ExcludeKey, u"/d/tom_0.wrd"_s, true);
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::RepeatKey, u"/d/tom_1.wrd"_s), false);
    }
};

QTEST_GUILESS_MAIN(TestDictFlags)
#include "tst_dict_flags.moc"
