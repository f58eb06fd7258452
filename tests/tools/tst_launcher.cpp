// The launcher always starts the program: a data folder it cannot prepare or
// a help file it cannot copy is said on standard error, and Lexomat starts
// all the same. Run as the learner's own (unprivileged) account.

#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Launch
{
    int code = -1;
    QString err;
};

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_launcher;
    QString m_log;
    QString m_dataHome;
    QString m_help;

    QString at(const QString &relative) const { return m_tmp->filePath(relative); }

    // The launcher, made from its template with a stand-in for the program
    // that records where it was started.
    void makeLauncher(const QString &helpFile)
    {
        QByteArray script = readBytes(QStringLiteral(LAUNCHER_TEMPLATE));
        QVERIFY(!script.isEmpty());
        script.replace("@LAUNCHER_PROGRAM@", QFile::encodeName(at(u"program"_s)));
        script.replace("@LAUNCHER_STARTER@", QFile::encodeName(at(u"starter"_s)));
        script.replace("@LAUNCHER_HELP@", QFile::encodeName(helpFile));
        script.replace("@LAUNCHER_HOME@", "$data_home/lexomat");
        script.replace("@LAUNCHER_ENVIRONMENT@", "");
        QVERIFY(writeBytes(m_launcher, script));
        QVERIFY(QFile::setPermissions(m_launcher, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    }

    Launch launch(const QString &dataHome)
    {
        Launch result;
        const QString answer = Unprivileged::run([&] {
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"HOME"_s, at(u"home"_s));
            env.insert(u"XDG_DATA_HOME"_s, dataHome);
            process.setProcessEnvironment(env);
            process.setWorkingDirectory(at(u"elsewhere"_s));
            process.start(m_launcher, {u"--from-test"_s});
            UNPRIV_CHECK(process.waitForFinished(30000));
            UNPRIV_CHECK(process.exitStatus() == QProcess::NormalExit);
            return QString(QString::number(process.exitCode()) + u'\n' + QString::fromUtf8(process.readAllStandardError()));
        });
        const qsizetype cut = answer.indexOf(u'\n');
        bool ok = false;
        result.code = answer.left(cut).toInt(&ok);
        if (!ok)
            result.code = -1;
        result.err = answer.mid(cut + 1);
        return result;
    }

    // Where the stand-in ran, and with which arguments; empty when it did not.
    QStringList started() const { return QString::fromUtf8(readBytes(m_log)).split(u'\n', Qt::SkipEmptyParts); }

private Q_SLOTS:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        for (const char *folder : {"starter", "home", "elsewhere", "data", "log"})
            QVERIFY(QDir().mkpath(at(QString::fromLatin1(folder))));
        QVERIFY(writeBytes(at(u"starter/tom_0.wrd"_s), "\xFF\xFE"));
        m_help = at(u"lexomat.hlp"_s);
        QVERIFY(writeBytes(m_help, "<html>help</html>"));
        m_log = at(u"log/started"_s);
        QVERIFY(writeBytes(at(u"program"_s), "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } >'" + QFile::encodeName(m_log) + "'\n"));
        QVERIFY(QFile::setPermissions(at(u"program"_s), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        m_launcher = at(u"lexomat"_s);
        m_dataHome = at(u"data"_s);
        Unprivileged::handOver(m_tmp->path());
    }

    void cleanup()
    {
        QFile::setPermissions(at(u"data"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(at(u"data/lexomat"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_tmp.reset();
    }

    void preparedFolderGetsTheStarterSetAndHelp()
    {
        makeLauncher(m_help);
        const Launch result = launch(m_dataHome);
        QCOMPARE(result.code, 0);
        QCOMPARE(result.err, QString());
        QCOMPARE(started(), (QStringList{at(u"data/lexomat"_s), u"--from-test"_s}));
        QVERIFY(QFile::exists(at(u"data/lexomat/dict/tom_0.wrd"_s)));
        QCOMPARE(readBytes(at(u"data/lexomat/lexomat.hlp"_s)), QByteArray("<html>help</html>"));
    }

    void readOnlyDataFolderStillStartsTheProgram()
    {
        QVERIFY(QDir().mkpath(at(u"data/lexomat"_s)));
        Unprivileged::handOver(at(u"data"_s));
        QVERIFY(QFile::setPermissions(at(u"data/lexomat"_s), QFile::ReadOwner | QFile::ExeOwner));
        makeLauncher(m_help);
        const Launch result = launch(m_dataHome);
        QCOMPARE(result.code, 0);
        QCOMPARE(started(), (QStringList{at(u"data/lexomat"_s), u"--from-test"_s}));
        QVERIFY2(result.err.contains(u"could not be made"_s), qPrintable(result.err));
        QVERIFY2(result.err.contains(u"help file could not be copied"_s), qPrintable(result.err));
    }

    void missingHelpFileStillStartsTheProgram()
    {
        makeLauncher(at(u"no-such-help.hlp"_s));
        const Launch result = launch(m_dataHome);
        QCOMPARE(result.code, 0);
        QCOMPARE(result.err, QString());
        QCOMPARE(started(), (QStringList{at(u"data/lexomat"_s), u"--from-test"_s}));
        QVERIFY(!QFile::exists(at(u"data/lexomat/lexomat.hlp"_s)));
    }

    // No data folder can be made at all: the program starts where the
    // launcher was started.
    void unusableDataHomeStillStartsTheProgram()
    {
        QVERIFY(writeBytes(at(u"data-is-a-file"_s), "x"));
        Unprivileged::handOver(m_tmp->path());
        makeLauncher(m_help);
        const Launch result = launch(at(u"data-is-a-file"_s));
        QCOMPARE(result.code, 0);
        QCOMPARE(started(), (QStringList{at(u"elsewhere"_s), u"--from-test"_s}));
        QVERIFY2(result.err.contains(u"starts in"_s), qPrintable(result.err));
    }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
