#include "platform/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    void prepare(QProcess &process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_home.path());
        process.setProgram(QStringLiteral(LEXOMAT_BINARY));
    }

    QString lockPath() const
    {
        QDir dir(m_home.path());
        const QStringList locks = dir.entryList({QStringLiteral("LxMutex*")}, QDir::Files);
        return locks.isEmpty() ? QString() : dir.filePath(locks.first());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QVERIFY(QDir().mkpath(m_home.filePath(QStringLiteral("config"))));
        QFile::setPermissions(m_home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void secondStartEndsAtOnceAndAKilledFirstLeavesNoLock()
    {
        QProcess first;
        prepare(first);
        first.start();
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!lockPath().isEmpty(), 10000);
        // Let the first instance settle into its event loop.
        QVERIFY(!first.waitForFinished(500));

        QProcess second;
        prepare(second);
        QElapsedTimer clock;
        clock.start();
        second.start();
        QVERIFY(second.waitForFinished(5000));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill(); // SIGKILL: no chance to clean up
        QVERIFY(first.waitForFinished(5000));

        QProcess third;
        prepare(third);
        third.start();
        QVERIFY(third.waitForStarted());
        QVERIFY2(!third.waitForFinished(1500), "a start after a killed instance must run");
        third.kill();
        third.waitForFinished(5000);
    }

    void lockIsExclusiveWithinTheUser()
    {
        QTemporaryDir dir;
        SingleInstanceLock one(QStringLiteral("TestLock"), QStringList{dir.path()});
        QCOMPARE(one.state(), SingleInstanceLock::State::Acquired);
        {
            SingleInstanceLock two(QStringLiteral("TestLock"), QStringList{dir.path()});
            QCOMPARE(two.state(), SingleInstanceLock::State::AlreadyRunning);
        }
        SingleInstanceLock other(QStringLiteral("OtherLock"), QStringList{dir.path()});
        QCOMPARE(other.state(), SingleInstanceLock::State::Acquired);
    }

    // A place that takes no lock file says nothing about another instance:
    // the next place is tried, and one that holds the lock ends the search.
    void lockFallsBackToTheNextPlace()
    {
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath(QStringLiteral("file"));
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString second = dir.filePath(QStringLiteral("second"));
        QVERIFY(QDir().mkpath(second));
        const QStringList places{notAFolder, second};

        SingleInstanceLock one(QStringLiteral("TestLock"), places);
        QCOMPARE(one.state(), SingleInstanceLock::State::Acquired);
        QVERIFY(one.filePath().startsWith(second + QLatin1Char('/')));
        SingleInstanceLock two(QStringLiteral("TestLock"), places);
        QCOMPARE(two.state(), SingleInstanceLock::State::AlreadyRunning);

        // Held in the first place: the second is never tried.
        const QString third = dir.filePath(QStringLiteral("third"));
        QVERIFY(QDir().mkpath(third));
        SingleInstanceLock held(QStringLiteral("Held"), QStringList{second});
        SingleInstanceLock other(QStringLiteral("Held"), QStringList{second, third});
        QCOMPARE(other.state(), SingleInstanceLock::State::AlreadyRunning);
        QCOMPARE(QDir(third).entryList(QDir::Files), QStringList());
    }

    // With no place for the lock the program runs, and says so.
    void programRunsUnlockedWhenNoPlaceTakesTheLock()
    {
        const QString blocker = m_home.filePath(QStringLiteral("blocker"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QProcess program;
        prepare(program);
        QProcessEnvironment env = program.processEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), blocker + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("TMPDIR"), blocker + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), blocker + QStringLiteral("/config"));
        program.setProcessEnvironment(env);
        program.start();
        QVERIFY(program.waitForStarted());
        QVERIFY2(!program.waitForFinished(1500), "the program must run without its lock");
        program.kill();
        program.waitForFinished(5000);
        QVERIFY(program.readAllStandardError().contains("running without"));
    }

    void lockThatCannotBeCreatedIsNotAnotherInstance()
    {
        SingleInstanceLock missing(QStringLiteral("TestLock"), QStringList{QStringLiteral("/nonexistent/folder")});
        QCOMPARE(missing.state(), SingleInstanceLock::State::Unavailable);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
