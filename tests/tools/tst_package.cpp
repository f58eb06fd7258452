// The Debian package as cpack makes it from this build: what lintian says
// about it, what it depends on, and the documents a packager looks for.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, int timeout = 120000)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    result.finished = process.waitForFinished(timeout) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lintianFindsNothingToReport();
    void dependsOnWhatQtLoadsAtRunTime();
    void carriesTheDocumentsOfAPackage_data();
    void carriesTheDocumentsOfAPackage();
    void leavesTheMimeDatabaseToTheTriggers();

private:
    QString field(const QString &name) const;

    QTemporaryDir m_out;
    QString m_deb;
    QStringList m_contents;
};

void TestPackage::initTestCase()
{
    QVERIFY(m_out.isValid());
    // Into a folder of its own, so that a package made by hand in the build
    // folder is not touched.
    const Run cpack = run(QStringLiteral(CPACK_COMMAND),
                          {u"-G"_s, u"DEB"_s, u"--config"_s, QStringLiteral(CPACK_CONFIG), u"-B"_s, m_out.path()});
    QVERIFY2(cpack.finished && cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
    const QStringList debs = QDir(m_out.path()).entryList({u"lexomat_*.deb"_s}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = m_out.filePath(debs.first());

    const Run contents = run(u"dpkg-deb"_s, {u"--contents"_s, m_deb});
    QVERIFY2(contents.finished && contents.exitCode == 0, qPrintable(contents.err));
    for (const QString &line : contents.out.split(u'\n', Qt::SkipEmptyParts))
        m_contents.append(line.section(u' ', -1).remove(QRegularExpression(u"^\\./"_s)));
}

QString TestPackage::field(const QString &name) const
{
    return run(u"dpkg-deb"_s, {u"--field"_s, m_deb, name}).out.trimmed();
}

void TestPackage::lintianFindsNothingToReport()
{
    const QString lintian = QStandardPaths::findExecutable(u"lintian"_s);
    QVERIFY2(!lintian.isEmpty(), "lintian is not installed (tools/dev.sh test installs it)");
    const Run result = run(lintian, {u"--tag-display-limit"_s, u"0"_s, m_deb}, 300000);
    QVERIFY2(result.finished, "lintian did not finish");
    // Errors and warnings fail the package; information and overridden tags
    // (each override with its reason in the package) do not.
    QStringList reported;
    for (const QString &line : result.out.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u"E: "_s) || line.startsWith(u"W: "_s))
            reported.append(line);
    }
    QVERIFY2(reported.isEmpty(), qPrintable(reported.join(u'\n')));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
}

void TestPackage::dependsOnWhatQtLoadsAtRunTime()
{
    const QStringList depends = field(u"Depends"_s).split(QRegularExpression(u",\\s*"_s));
    // Libraries the program links come from dpkg-shlibdeps; plugins and
    // translations that Qt loads by name have to be named.
    for (const QString &package : {u"qt6-qpa-plugins"_s, u"qt6-translations-l10n"_s, u"libqt6widgets6"_s}) {
        const bool found = std::any_of(depends.begin(), depends.end(),
                                       [&](const QString &entry) { return entry.section(u' ', 0, 0) == package; });
        QVERIFY2(found, qPrintable(package + u" missing from Depends: "_s + depends.join(u", "_s)));
    }
    const QString recommends = field(u"Recommends"_s);
    QVERIFY2(recommends.contains(u"xdg-utils"_s), qPrintable(recommends));
    QVERIFY2(recommends.contains(u"qt6-wayland"_s), qPrintable(recommends));
    // Pronunciation: the module links Qt TextToSpeech; the voice comes
    // through the speech service's plugin.
    const bool linksSpeech = std::any_of(depends.begin(), depends.end(), [](const QString &entry) {
        return entry.section(u' ', 0, 0) == u"libqt6texttospeech6"_s;
    });
    QVERIFY2(linksSpeech, qPrintable(depends.join(u", "_s)));
    QVERIFY(std::any_of(m_contents.begin(), m_contents.end(),
                        [](const QString &path) { return path.endsWith(u"/lexomat/modules/lexomat-speech.so"_s); }));
    for (const QString &package : {u"qt6-speech-speechd-plugin"_s, u"speech-dispatcher-espeak-ng"_s})
        QVERIFY2(recommends.contains(package), qPrintable(recommends));
    // The dictionary is read in place from its own packages.
    for (const QString &package : {u"mueller7-dict"_s, u"wordnet-base"_s})
        QVERIFY2(recommends.contains(package), qPrintable(recommends));
}

void TestPackage::carriesTheDocumentsOfAPackage_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("copyright") << u"usr/share/doc/lexomat/copyright"_s;
    QTest::newRow("changelog") << u"usr/share/doc/lexomat/changelog.gz"_s;
    QTest::newRow("lexomat(1)") << u"usr/share/man/man1/lexomat.1.gz"_s;
    QTest::newRow("lexomat-wrd(1)") << u"usr/share/man/man1/lexomat-wrd.1.gz"_s;
}

void TestPackage::carriesTheDocumentsOfAPackage()
{
    QFETCH(QString, path);
    QVERIFY2(m_contents.contains(path), qPrintable(m_contents.join(u'\n')));
}

void TestPackage::leavesTheMimeDatabaseToTheTriggers()
{
    // Only the rule itself: a cache built into the package would stand in
    // the way of the system's own.
    QStringList mime;
    for (const QString &path : std::as_const(m_contents)) {
        if (path.startsWith(u"usr/share/mime/"_s) && !path.endsWith(u'/'))
            mime.append(path);
    }
    QCOMPARE(mime, QStringList{u"usr/share/mime/packages/lexomat.xml"_s});
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
