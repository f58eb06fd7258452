#include "app/registry.h"

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

    void unwritableFileIsReportedAtClose()
    {
        const QString blocked = m_dir.filePath(QStringLiteral("not-a-dir"));
        QFile file(blocked);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        INIT reg(blocked + QStringLiteral("/LX.ini"));
        reg.OpenKey(INIT::RootKey, true);
        reg.WriteInteger(QStringLiteral("DEFAULT_MODE"), 1);
        QVERIFY_THROWS_EXCEPTION(RegistryError, reg.CloseKey());
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
