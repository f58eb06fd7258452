#include "app/computer_id.h"
#include "app/registry.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestComputerId : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What is stored before, and on which machine the id is asked for.
    void keptUnlessCopiedElsewhere_data()
    {
        QTest::addColumn<QString>("storedId");
        QTest::addColumn<QString>("storedMachine");
        QTest::addColumn<QString>("machine");
        QTest::addColumn<bool>("kept");
        QTest::newRow("the same machine") << u"0123456789abcdef"_s << u"m1"_s << u"m1"_s << true;
        QTest::newRow("no machine id here") << u"0123456789abcdef"_s << u"m1"_s << QString() << true;
        QTest::newRow("settings from before the machine was kept") << u"0123456789abcdef"_s << QString() << u"m1"_s << true;
        QTest::newRow("settings copied to another machine") << u"0123456789abcdef"_s << u"m1"_s << u"m2"_s << false;
        QTest::newRow("an id edited by hand") << u"../../etc"_s << u"m1"_s << u"m1"_s << false;
    }

    void keptUnlessCopiedElsewhere()
    {
        QFETCH(QString, storedId);
        QFETCH(QString, storedMachine);
        QFETCH(QString, machine);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(u"LX.ini"_s);
        {
            INIT registry(file);
            registry.OpenKey(INIT::RootKey, true);
            registry.WriteString(u"COMPUTER_ID"_s, storedId);
            if (!storedMachine.isEmpty())
                registry.WriteString(u"COMPUTER_MACHINE"_s, storedMachine);
            registry.CloseKey();
        }
        QString id;
        {
            INIT registry(file);
            id = ComputerId::Get(registry, machine);
        }
        QVERIFY(ComputerId::IsValid(id));
        QCOMPARE(id == storedId, kept);
        // Stable from then on, also for the next run.
        INIT registry(file);
        QCOMPARE(ComputerId::Get(registry, machine), id);
    }

    void twoSettingsFilesTwoIds()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        INIT first(dir.filePath(u"a.ini"_s));
        INIT second(dir.filePath(u"b.ini"_s));
        QVERIFY(ComputerId::Get(first, u"m"_s) != ComputerId::Get(second, u"m"_s));
    }
};

QTEST_GUILESS_MAIN(TestComputerId)
#include "tst_computer_id.moc"
