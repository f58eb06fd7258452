#include "app/registry.h"
#include "support/unprivileged.h"

#include <QDir>

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestRegistry : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("LX.ini")); }

private Q_SLOTS:
    void init() { QFile::remove(path()); }

    void valuesRoundTripThroughTheFile()
    {
        {
            INIT reg(path());
            QVERIFY(reg.OpenKey(INIT::RootKey, true));
            reg.WriteString(QStringLiteral("FONT_NAME"), QStringLiteral("MS Sans Serif"));
            reg.WriteInteger(QStringLiteral("DEFAULT_SPEED"), 6500);
            reg.WriteInteger(QStringLiteral("DEFAULT_BGCOLOR"), 0xFF80FF);
            reg.WriteInteger(QStringLiteral("NEGATIVE"), -7);
            reg.WriteBool(QStringLiteral("FLAG"), true);
            reg.WriteString(QStringLiteral("COMMAS"), QStringLiteral("a, b, \"c\" = d; e"));
            reg.WriteString(QStringLiteral("LOOKS_LIKE_A_NUMBER"), QStringLiteral("dword:00000005"));
            reg.CloseKey();
        }
        INIT reg(path());
        QVERIFY(reg.OpenKey(INIT::RootKey, true));
        QCOMPARE(reg.ReadString(QStringLiteral("FONT_NAME")), QStringLiteral("MS Sans Serif"));
        QCOMPARE(reg.ReadInteger(QStringLiteral("DEFAULT_SPEED")), 6500);
        QCOMPARE(reg.ReadInteger(QStringLiteral("DEFAULT_BGCOLOR")), 0xFF80FF);
        QCOMPARE(reg.ReadInteger(QStringLiteral("NEGATIVE")), -7);
        QCOMPARE(reg.ReadBool(QStringLiteral("FLAG")), true);
        QCOMPARE(reg.ReadString(QStringLiteral("COMMAS")), QStringLiteral("a, b, \"c\" = d; e"));
        QCOMPARE(reg.ReadString(QStringLiteral("LOOKS_LIKE_A_NUMBER")), QStringLiteral("dword:00000005"));
        QVERIFY(!reg.ValueExists(QStringLiteral("MISSING")));
        QCOMPARE(reg.ReadString(QStringLiteral("MISSING")), QString());
        reg.CloseKey();
    }

    // A first start writes the new dictionary's marks while its window is
    // built; they reach the file only after, and never get lost.
    void heldWritesReachTheFileWhenReleased_data()
    {
        QTest::addColumn<bool>("byDestruction");
        QTest::newRow("release") << false;
        QTest::newRow("end of the store") << true;
    }
    void heldWritesReachTheFileWhenReleased()
    {
        QFETCH(bool, byDestruction);
        const auto onDisk = [this] {
            QSettings file(path(), QSettings::IniFormat);
            return file.value(QStringLiteral("ACTIVE/tom_0")).toString();
        };
        {
            INIT reg(path());
            reg.holdWrites();
            reg.OpenKey(QStringLiteral("SOFTWARE\\Tolv\\LX\\ACTIVE"), true);
            reg.WriteBool(QStringLiteral("tom_0"), true);
            reg.CloseKey();
            QVERIFY(!QFile::exists(path()));
            reg.OpenKey(QStringLiteral("SOFTWARE\\Tolv\\LX\\ACTIVE"), false);
            QVERIFY(reg.ReadBool(QStringLiteral("tom_0")));
            reg.CloseKey();
            QVERIFY(!QFile::exists(path()));
            if (!byDestruction) {
                reg.releaseWrites();
                QCOMPARE(onDisk(), QStringLiteral("dword:00000001"));
            }
        }
        QCOMPARE(onDisk(), QStringLiteral("dword:00000001"));
    }

    void wrongTypeIsReportedByName()
    {
        INIT reg(path());
        reg.OpenKey(INIT::RootKey, true);
        reg.WriteString(QStringLiteral("TIMER"), QStringLiteral("yes"));
        reg.WriteInteger(QStringLiteral("FONT_NAME"), 3);
        try {
            reg.ReadInteger(QStringLiteral("TIMER"));
            QFAIL("a text read as a number must fail");
        } catch (const RegistryError &error) {
            QCOMPARE(error.message(), QStringLiteral("Invalid data type for 'TIMER'"));
        }
        QVERIFY_THROWS_EXCEPTION(RegistryError, reg.ReadString(QStringLiteral("FONT_NAME")));
        QVERIFY_THROWS_EXCEPTION(RegistryError, reg.ReadBool(QStringLiteral("TIMER")));
        QVERIFY_THROWS_EXCEPTION(RegistryError, reg.ReadInteger(QStringLiteral("MISSING")));
    }

    void handWrittenValuesReadAsText()
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nFONT_NAME=Arial\nFONT_SIZE=12\n");
        file.close();
        INIT reg(path());
        reg.OpenKey(INIT::RootKey, true);
        QCOMPARE(reg.ReadString(QStringLiteral("FONT_NAME")), QStringLiteral("Arial"));
        // A number without its type is text: reading it as a number fails,
        // so the caller keeps its default instead of guessing.
        QVERIFY_THROWS_EXCEPTION(RegistryError, reg.ReadInteger(QStringLiteral("FONT_SIZE")));
    }

    void pathsAsValueNamesRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("absolute") << QStringLiteral("/home/user/dict/tom_0.wrd");
        QTest::newRow("double slash") << QStringLiteral("/home//user///dict/tom_1.wrd");
        QTest::newRow("trailing slash") << QStringLiteral("/tmp/dict/");
        QTest::newRow("spaces") << QStringLiteral("/home/user/My Words/tom 2.wrd");
        QTest::newRow("cyrillic") << QStringLiteral("/home/юзер/словари/tom_3.wrd");
        QTest::newRow("percent") << QStringLiteral("/tmp/100%2F/a%25b.wrd");
        QTest::newRow("backslash") << QStringLiteral("C:\\dict\\tom_0.wrd");
        QTest::newRow("ini syntax") << QStringLiteral("/tmp/[x]=y;z#w,v.wrd");
    }

    void pathsAsValueNamesRoundTrip()
    {
        QFETCH(QString, name);
        const QString key = QStringLiteral("SOFTWARE\\Tolv\\LX\\ACTIVE");
        {
            INIT reg(path());
            reg.OpenKey(key, true);
            reg.WriteBool(name, true);
            reg.WriteBool(name + QStringLiteral("x"), false);
            reg.CloseKey();
        }
        INIT reg(path());
        reg.OpenKey(key, true);
        QVERIFY(reg.ValueExists(name));
        QCOMPARE(reg.ReadBool(name), true);
        QCOMPARE(reg.ReadBool(name + QStringLiteral("x")), false);
        reg.CloseKey();
        // The same name under another key is another value.
        reg.OpenKey(QStringLiteral("SOFTWARE\\Tolv\\LX\\CYCLE"), true);
        QVERIFY(!reg.ValueExists(name));
        reg.CloseKey();
        reg.OpenKey(INIT::RootKey, true);
        QVERIFY(!reg.ValueExists(name));
    }

    void subkeysAreSeparateGroups()
    {
        INIT reg(path());
        reg.OpenKey(QStringLiteral("SOFTWARE\\Tolv\\LX\\WIN"), true);
        reg.WriteInteger(QStringLiteral("W25TH_TOP"), 10);
        reg.OpenKey(INIT::RootKey, true); // opening closes the previous key
        QVERIFY(!reg.ValueExists(QStringLiteral("W25TH_TOP")));
        reg.CloseKey();
        QSettings raw(path(), QSettings::IniFormat);
        QVERIFY(raw.childGroups().contains(QStringLiteral("WIN")));
    }

    // A write that fails is remembered, not thrown; the values wait for the
    // next write that succeeds.
    void unwritableFileIsRememberedAtClose()
    {
        const QString blocked = m_dir.filePath(QStringLiteral("not-a-dir"));
        QFile file(blocked);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        INIT reg(blocked + QStringLiteral("/LX.ini"));
        reg.OpenKey(INIT::RootKey, true);
        reg.WriteInteger(QStringLiteral("DEFAULT_MODE"), 1);
        reg.CloseKey();
        QVERIFY(reg.writeFailed());
        QVERIFY(!reg.damaged());

        QVERIFY(QFile::remove(blocked));
        QVERIFY(QDir().mkdir(blocked));
        reg.OpenKey(INIT::RootKey, true);
        reg.CloseKey();
        QVERIFY(reg.writeFailed()); // told once, at the close of the program
        QSettings raw(blocked + QStringLiteral("/LX.ini"), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("DEFAULT_MODE")).toString(), QStringLiteral("dword:00000001"));
    }

    void damagedFileIsKeptAndReplaced_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray values = "DEFAULT_MODE=dword:00000001\nFONT_NAME=sz:Arial\n";
        QTest::newRow("comment line") << QByteArray("# note\n" + values);
        QTest::newRow("line without =") << QByteArray("just words\n" + values);
        QTest::newRow("unclosed [") << QByteArray("[General\n" + values);
        QTest::newRow("binary junk") << QByteArray(values + QByteArray("\x01\xff\xfe\x00\x9c junk\n", 11) + "TIMER=dword:00000000\n");
    }

    void damagedFileIsKeptAndReplaced()
    {
        QFETCH(QByteArray, content);
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        INIT reg(path());
        QVERIFY(reg.damaged());
        QVERIFY(reg.damagedCopy().startsWith(path() + QStringLiteral(".damaged-")));
        QFile kept(reg.damagedCopy());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);

        // What could be read is still there, and the next write gives a
        // clean file.
        reg.OpenKey(INIT::RootKey, true);
        QCOMPARE(reg.ReadInteger(QStringLiteral("DEFAULT_MODE")), 1);
        reg.WriteInteger(QStringLiteral("FONT_SIZE"), 12);
        reg.CloseKey();
        QVERIFY(!reg.writeFailed());
        INIT again(path());
        QVERIFY(!again.damaged());
        again.OpenKey(INIT::RootKey, true);
        QCOMPARE(again.ReadInteger(QStringLiteral("DEFAULT_MODE")), 1);
        QCOMPARE(again.ReadInteger(QStringLiteral("FONT_SIZE")), 12);
        QFile::remove(reg.damagedCopy());
    }

    void secondDamageOnTheSameDayGetsItsOwnCopy()
    {
        QStringList copies;
        for (int i = 0; i < 2; ++i) {
            QFile file(path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[broken\n");
            file.close();
            copies << INIT(path()).damagedCopy();
        }
        QVERIFY(!copies.at(0).isEmpty());
        QVERIFY(copies.at(0) != copies.at(1));
        QVERIFY(QFile::exists(copies.at(0)) && QFile::exists(copies.at(1)));
        for (const QString &copy : copies)
            QFile::remove(copy);
    }

    void unreadableFileIsMovedAside()
    {
        QTemporaryDir folder;
        const QString settings = folder.filePath(QStringLiteral("LX.ini"));
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("DEFAULT_MODE=dword:00000002\n");
        file.close();
        QVERIFY(QFile::setPermissions(settings, QFileDevice::Permissions()));
        Unprivileged::handOver(folder.path());
        const QString answer = Unprivileged::run([&settings] {
            INIT reg(settings);
            UNPRIV_CHECK(reg.damaged());
            UNPRIV_CHECK(!reg.damagedCopy().isEmpty());
            reg.OpenKey(INIT::RootKey, true);
            reg.WriteInteger(QStringLiteral("DEFAULT_MODE"), 1);
            reg.CloseKey();
            UNPRIV_CHECK(!reg.writeFailed());
            INIT again(settings);
            again.OpenKey(INIT::RootKey, true);
            UNPRIV_CHECK(again.ReadInteger(QStringLiteral("DEFAULT_MODE")) == 1);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        const QStringList kept = QDir(folder.path()).entryList({QStringLiteral("LX.ini.damaged-*")});
        QCOMPARE(kept.size(), 1);
        QFile copy(folder.filePath(kept.first()));
        QVERIFY(copy.open(QIODevice::ReadOnly)); // root reads it
        QCOMPARE(copy.readAll(), QByteArray("DEFAULT_MODE=dword:00000002\n"));
    }

    // A settings file the user made read-only is read and never reported as
    // a failed write as long as nothing is written; once something is, the
    // failure is remembered.
    void readOnlyFileIsOnlyReportedWhenWritten()
    {
        QTemporaryDir folder;
        const QString settings = folder.filePath(QStringLiteral("LX.ini"));
        {
            INIT reg(settings);
            reg.OpenKey(INIT::RootKey, true);
            reg.WriteInteger(QStringLiteral("DEFAULT_MODE"), 1);
            reg.CloseKey();
        }
        Unprivileged::handOver(folder.path());
        QVERIFY(QFile::setPermissions(settings, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QString answer = Unprivileged::run([&settings] {
            INIT reg(settings);
            UNPRIV_CHECK(!reg.damaged());
            reg.OpenKey(INIT::RootKey, true);
            UNPRIV_CHECK(reg.ReadInteger(QStringLiteral("DEFAULT_MODE")) == 1);
            reg.CloseKey();
            UNPRIV_CHECK(!reg.writeFailed());
            reg.OpenKey(INIT::RootKey, true);
            reg.WriteInteger(QStringLiteral("DEFAULT_MODE"), 2);
            reg.CloseKey();
            UNPRIV_CHECK(reg.writeFailed());
            return QString();
        });
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
