// The installed tree: cmake --install into a temporary prefix, what lands
// there, and the launcher's first and later starts with a stand-in for the
// program that records where and how it was started.

#include "platform/speech.h"
#include "platform/speech_backend.h"
#include "reading/zip_archive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString BinDir = QStringLiteral(INSTALL_BINDIR);
const QString LibexecDir = QStringLiteral(INSTALL_LIBEXECDIR);
const QString LibDir = QStringLiteral(INSTALL_LIBDIR);
const QString DataDir = QStringLiteral(INSTALL_DATADIR);

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QStringList starterNames()
{
    return QDir(QStringLiteral(STARTER_DIR)).entryList({u"tom_*.wrd"_s}, QDir::Files, QDir::Name);
}

QStringList sortedEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installsEveryFile_data();
    void installsEveryFile();
    void installsNothingElse();
    void programFindsItsSpeechModule();
    void programFindsItsBookReader();
    void desktopFilesAgree();
    void manualPagesReadCleanly_data();
    void manualPagesReadCleanly();
    void mimeDatabaseIsRefreshed();
    void desktopFilesValidate_data();
    void desktopFilesValidate();
    void helpFileOpensAsHtml();
    void iconShowsBothCards();
    void firstStartFillsTheUserFolder_data();
    void firstStartFillsTheUserFolder();
    void laterStartsKeepTheUsersFiles();
    void ownDictionaryStopsTheStarterSet();
    void helpIsRefreshedWhenTheInstalledOneIsNewer_data();
    void helpIsRefreshedWhenTheInstalledOneIsNewer();
    void buildTreeLauncherKeepsToTheBuildTree();

private:
    QString installed(const QString &relative) const { return m_prefix.path() + u'/' + relative; }
    QString starterDir() const { return installed(DataDir + u"/lexomat/dict"_s); }
    // Runs the installed launcher with HOME in the scratch folder; the
    // environment variable XDG_DATA_HOME is left out when data home is null.
    bool launch(const QString &dataHome, const QString &launcher = {});
    QStringList launchLog() const;

    QTemporaryDir m_prefix;
    QTemporaryDir m_scratch;
    QString m_home;
    QString m_log;
    QString m_stub;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    QVERIFY(m_scratch.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(CMAKE_COMMAND),
                  {u"--install"_s, QStringLiteral(BUILD_DIR), u"--prefix"_s, m_prefix.path()});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             install.readAll().constData());

    // A stand-in for the program that records where and how it was started.
    m_log = m_scratch.filePath(u"launch.log"_s);
    m_stub = m_scratch.filePath(u"stand-in"_s);
    QVERIFY(writeBytes(m_stub, "#!/bin/sh\n{ pwd; echo \"${XDG_CONFIG_HOME-unset}\"; printf '%s\\n' \"$@\"; } >\"$LAUNCH_LOG\"\n"));
    QVERIFY(QFile::setPermissions(m_stub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

bool TestInstall::launch(const QString &dataHome, const QString &launcher)
{
    // The installed program gives way to the stand-in once the checks of the
    // installed files are done.
    const QString program = installed(LibexecDir + u"/lexomat/lexomat"_s);
    if (readBytes(program) != readBytes(m_stub) && !(QFile::remove(program) && QFile::copy(m_stub, program)))
        return false;
    QFile::remove(m_log);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, m_home);
    environment.insert(u"LAUNCH_LOG"_s, m_log);
    environment.remove(u"XDG_CONFIG_HOME"_s);
    if (dataHome.isNull())
        environment.remove(u"XDG_DATA_HOME"_s);
    else
        environment.insert(u"XDG_DATA_HOME"_s, dataHome);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_scratch.path());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(launcher.isEmpty() ? installed(BinDir + u"/lexomat"_s) : launcher, {u"--from-test"_s});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList TestInstall::launchLog() const
{
    return QString::fromUtf8(readBytes(m_log)).split(u'\n', Qt::SkipEmptyParts);
}

void TestInstall::installsEveryFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<int>("iconSize"); // 0: not a bitmap

    QTest::newRow("launcher") << QString(BinDir + u"/lexomat"_s) << true << 0;
    QTest::newRow("companion") << QString(BinDir + u"/lexomat-wrd"_s) << true << 0;
    QTest::newRow("program") << QString(LibexecDir + u"/lexomat/lexomat"_s) << true << 0;
    QTest::newRow("pronunciation module") << QString(LibDir + u"/lexomat/modules/lexomat-speech.so"_s) << false << 0;
    QTest::newRow("book reader module") << QString(LibDir + u"/lexomat/modules/lexomat-zip.so"_s) << false << 0;
    QTest::newRow("help") << QString(DataDir + u"/lexomat/lexomat.hlp"_s) << false << 0;
    QTest::newRow("desktop entry") << QString(DataDir + u"/applications/lexomat.desktop"_s) << false << 0;
    QTest::newRow("metainfo") << QString(DataDir + u"/metainfo/org.example.lexomat.metainfo.xml"_s) << false << 0;
    QTest::newRow("mime") << QString(DataDir + u"/mime/packages/lexomat.xml"_s) << false << 0;
    QTest::newRow("lexomat(1)") << QString(DataDir + u"/man/man1/lexomat.1.gz"_s) << false << 0;
    QTest::newRow("lexomat-wrd(1)") << QString(DataDir + u"/man/man1/lexomat-wrd.1.gz"_s) << false << 0;
    QTest::newRow("copyright") << QString(DataDir + u"/doc/lexomat/copyright"_s) << false << 0;
    QTest::newRow("changelog") << QString(DataDir + u"/doc/lexomat/changelog.gz"_s) << false << 0;
    QTest::newRow("lintian overrides") << QString(DataDir + u"/lintian/overrides/lexomat"_s) << false << 0;
    QTest::newRow("scalable icon") << QString(DataDir + u"/icons/hicolor/scalable/apps/lexomat.svg"_s) << false << 0;
    for (const QString &size : QStringLiteral(ICON_SIZES).split(u',')) {
        QTest::newRow(qPrintable(u"icon "_s + size))
            << QString(DataDir + u"/icons/hicolor/"_s + size + u'x' + size + u"/apps/lexomat.png"_s) << false
            << size.toInt();
    }
    const QStringList starter = starterNames();
    QVERIFY(starter.size() >= 10);
    for (const QString &name : starter)
        QTest::newRow(qPrintable(name)) << QString(DataDir + u"/lexomat/dict/"_s + name) << false << 0;
}

void TestInstall::installsEveryFile()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    QFETCH(int, iconSize);

    const QFileInfo info(installed(path));
    QVERIFY2(info.isFile(), qPrintable(path));
    QVERIFY(info.size() > 0);
    QCOMPARE(info.isExecutable(), executable);
    if (iconSize > 0) {
        const QImage image(info.filePath());
        QCOMPARE(image.size(), QSize(iconSize, iconSize));
        QVERIFY(image.hasAlphaChannel());
    }
}

void TestInstall::installsNothingElse()
{
    QStringList files;
    QDirIterator it(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    const QString mimeDatabase = DataDir + u"/mime/"_s;
    while (it.hasNext()) {
        const QString file = QDir(m_prefix.path()).relativeFilePath(it.next());
        // What update-mime-database made of the rule is its own affair.
        if (!file.startsWith(mimeDatabase) || file.startsWith(mimeDatabase + u"packages/"_s))
            files.append(file);
    }
    // Fifteen fixed files, the bitmaps and the starter dictionaries.
    const qsizetype expected = 15 + QStringLiteral(ICON_SIZES).split(u',').size() + starterNames().size();
    QVERIFY2(files.size() == expected, qPrintable(files.join(u'\n')));
}

// The installed program looks for its pronunciation module where the
// install put it, and finds a plugin that offers the program's backends.
void TestInstall::programFindsItsSpeechModule()
{
    const QStringList candidates = Speech::moduleCandidates(installed(LibexecDir + u"/lexomat"_s));
    QVERIFY(!QFileInfo::exists(candidates.first()));
    QCOMPARE(candidates.last(), QDir::cleanPath(installed(LibDir + u"/lexomat/modules/lexomat-speech.so"_s)));
    QPluginLoader loader(candidates.last());
    QCOMPARE(loader.metaData().value(u"IID"_s).toString(), QStringLiteral(LexomatSpeechBackendFactory_iid));
    QVERIFY2(qobject_cast<SpeechBackendFactory *>(loader.instance()), qPrintable(loader.errorString()));
}

// The installed program finds the reader of books where the install put it,
// and the module makes archives.
void TestInstall::programFindsItsBookReader()
{
    const QStringList candidates = ZipArchives::ModuleCandidates(installed(LibexecDir + u"/lexomat"_s));
    QVERIFY(!QFileInfo::exists(candidates.first()));
    QCOMPARE(candidates.last(), QDir::cleanPath(installed(LibDir + u"/lexomat/modules/lexomat-zip.so"_s)));
    ZipArchives::UseModule(candidates);
    QString problem;
    const std::unique_ptr<ZipArchive> archive = ZipArchives::Make(&problem);
    QVERIFY2(archive, qPrintable(problem));
}

void TestInstall::desktopFilesAgree()
{
    const QString desktop = QString::fromUtf8(readBytes(installed(DataDir + u"/applications/lexomat.desktop"_s)));
    QVERIFY(desktop.contains(u"\nExec=lexomat\n"_s));
    QVERIFY(desktop.contains(u"\nIcon=lexomat\n"_s));

    const QString metainfo =
        QString::fromUtf8(readBytes(installed(DataDir + u"/metainfo/org.example.lexomat.metainfo.xml"_s)));
    QVERIFY(metainfo.contains(u"<launchable type=\"desktop-id\">lexomat.desktop</launchable>"_s));
    QVERIFY(metainfo.contains(u"<id>org.example.lexomat</id>"_s));
    QVERIFY(metainfo.contains(u"<project_license>GPL-3.0-or-later</project_license>"_s));

    // The licence the copyright file states for every part is the one the
    // checkout's LICENSE holds.
    const QString copyright = QString::fromUtf8(readBytes(installed(DataDir + u"/doc/lexomat/copyright"_s)));
    QVERIFY(copyright.startsWith(u"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"_s));
    const QStringList licences = copyright.split(u'\n').filter(QRegularExpression(u"^License: "_s));
    QVERIFY(licences.size() >= 2);
    for (const QString &licence : licences)
        QCOMPARE(licence, u"License: GPL-3+"_s);
    const QByteArray licence = readBytes(QStringLiteral(LICENSE_FILE));
    QVERIFY(licence.contains("GNU GENERAL PUBLIC LICENSE\n                       Version 3, 29 June 2007"));
    QVERIFY(licence.contains("END OF TERMS AND CONDITIONS"));
}

void TestInstall::manualPagesReadCleanly_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::newRow("lexomat") << u"lexomat.1.gz"_s << u"lexomat"_s;
    QTest::newRow("lexomat-wrd") << u"lexomat-wrd.1.gz"_s << u"lexomat-wrd"_s;
}

void TestInstall::manualPagesReadCleanly()
{
    QFETCH(QString, page);
    QFETCH(QString, name);
    const QString man = QStandardPaths::findExecutable(u"man"_s);
    QVERIFY2(!man.isEmpty(), "man is not installed (package man-db)");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    environment.insert(u"MANWIDTH"_s, u"80"_s);
    process.setProcessEnvironment(environment);
    process.start(man, {u"--warnings"_s, u"-E"_s, u"UTF-8"_s, u"-l"_s, installed(DataDir + u"/man/man1/"_s + page)});
    QVERIFY(process.waitForFinished(30000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    const QString warnings = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(process.exitCode() == 0 && warnings.isEmpty(), qPrintable(warnings));
    // Rendered as a manual page of that name, with the sections a reader
    // looks for, and Russian letters intact.
    QVERIFY2(text.contains(u"\nNAME\n       "_s + name + u" - "_s), qPrintable(text.left(300)));
    for (const QString &section : {u"SYNOPSIS"_s, u"DESCRIPTION"_s, u"EXIT STATUS"_s, u"SEE ALSO"_s})
        QVERIFY2(text.contains(u'\n' + section + u'\n'), qPrintable(section));
    QVERIFY(text.contains(QRegularExpression(u"[\\x{0400}-\\x{04FF}]{4,}"_s)));
}

void TestInstall::mimeDatabaseIsRefreshed()
{
    // What the desktop's file openers read: the installed rule compiled into
    // the prefix's database, so that "?" opens lexomat.hlp in a browser.
    QVERIFY2(!QStandardPaths::findExecutable(u"update-mime-database"_s).isEmpty(),
             "update-mime-database is not installed (package shared-mime-info)");
    const QString globs = QString::fromUtf8(readBytes(installed(DataDir + u"/mime/globs2"_s)));
    QVERIFY2(globs.contains(QRegularExpression(u"^\\d+:text/html:lexomat\\.hlp$"_s, QRegularExpression::MultilineOption)),
             qPrintable(globs.left(400)));
    QVERIFY(QFileInfo(installed(DataDir + u"/mime/mime.cache"_s)).size() > 0);
}

void TestInstall::desktopFilesValidate_data()
{
    QTest::addColumn<QString>("validator");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("metainfo") << u"appstreamcli"_s
                              << QStringList{u"validate"_s, u"--no-net"_s,
                                             installed(DataDir + u"/metainfo/org.example.lexomat.metainfo.xml"_s)};
    QTest::newRow("desktop entry") << u"desktop-file-validate"_s
                                   << QStringList{installed(DataDir + u"/applications/lexomat.desktop"_s)};
}

void TestInstall::desktopFilesValidate()
{
    QFETCH(QString, validator);
    QFETCH(QStringList, arguments);
    const QString program = QStandardPaths::findExecutable(validator);
    if (program.isEmpty())
        QSKIP("the validator is not installed (tools/dev.sh test installs it)");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, process.readAll().constData());
}

void TestInstall::helpFileOpensAsHtml()
{
    // The installed rule joins the system's MIME data the way the desktop
    // reads it; the user's own MIME data is kept out.
    const QString share = installed(DataDir);
    qputenv("XDG_DATA_HOME", m_scratch.filePath(u"no-user-data"_s).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", QString(share + u":/usr/local/share:/usr/share"_s).toLocal8Bit());
    const QMimeDatabase mime;
    QCOMPARE(mime.mimeTypeForFile(u"/somewhere/lexomat.hlp"_s, QMimeDatabase::MatchExtension).name(), u"text/html"_s);
    QVERIFY(mime.mimeTypeForFile(u"/somewhere/other.hlp"_s, QMimeDatabase::MatchExtension).name() != u"text/html"_s);
}

void TestInstall::iconShowsBothCards()
{
    const QImage icon(installed(DataDir + u"/icons/hicolor/48x48/apps/lexomat.png"_s));
    QVERIFY(!icon.isNull());
    // In the icon's own units of 1/24: a point of each card clear of the
    // letters, a point on a stroke of each letter, and a corner outside.
    const auto at = [&](double x, double y) { return icon.pixelColor(int(x * 2), int(y * 2)); };
    const QColor blue = at(3.5, 13);
    QVERIFY2(blue.blue() > 200 && blue.red() < 80, qPrintable(blue.name()));
    const QColor yellow = at(20.5, 10);
    QVERIFY2(yellow.red() > 200 && yellow.green() > 180 && yellow.blue() < 100, qPrintable(yellow.name()));
    const QColor letterA = at(4.55, 5.8);
    QVERIFY2(letterA.red() > 220 && letterA.green() > 220 && letterA.blue() > 220, qPrintable(letterA.name()));
    const QColor letterYa = at(18.4, 18);
    QVERIFY2(letterYa.red() < 80 && letterYa.green() < 80, qPrintable(letterYa.name()));
    QCOMPARE(at(0.5, 23.5).alpha(), 0);
}

void TestInstall::firstStartFillsTheUserFolder_data()
{
    QTest::addColumn<QString>("dataHome"); // relative to the scratch folder; null: unset
    QTest::addColumn<QString>("folder");   // where the user's folder must be, the same way

    QTest::newRow("XDG_DATA_HOME") << u"data"_s << u"data/lexomat"_s;
    QTest::newRow("no XDG_DATA_HOME") << QString() << u"home/.local/share/lexomat"_s;
    QTest::newRow("relative XDG_DATA_HOME is ignored") << u"relative"_s << u"home/.local/share/lexomat"_s;
}

void TestInstall::firstStartFillsTheUserFolder()
{
    QFETCH(QString, dataHome);
    QFETCH(QString, folder);

    QTemporaryDir scratch(m_scratch.filePath(u"first-XXXXXX"_s));
    QVERIFY(scratch.isValid());
    m_home = scratch.filePath(u"home"_s);
    QVERIFY(QDir().mkpath(m_home));
    const QString absoluteHome = dataHome.isNull() || dataHome == u"relative"_s ? dataHome : scratch.filePath(dataHome);
    const QString userFolder = scratch.filePath(folder);

    QVERIFY(launch(absoluteHome));
    QCOMPARE(launchLog(), (QStringList{QFileInfo(userFolder).canonicalFilePath(), u"unset"_s, u"--from-test"_s}));
    QCOMPARE(sortedEntries(userFolder), (QStringList{u"dict"_s, u"lexomat.hlp"_s}));
    const QString help = installed(DataDir + u"/lexomat/lexomat.hlp"_s);
    QCOMPARE(readBytes(userFolder + u"/lexomat.hlp"_s), readBytes(help));
    // The copy keeps the installed file's time: a help file installed by a
    // later update is newer than it, however long ago the copy was made.
    QCOMPARE(QFileInfo(userFolder + u"/lexomat.hlp"_s).lastModified(), QFileInfo(help).lastModified());
    QStringList names = sortedEntries(userFolder + u"/dict"_s);
    QCOMPARE(names, sortedEntries(starterDir()));
    for (const QString &name : names) {
        const QFileInfo copy(userFolder + u"/dict/"_s + name);
        QVERIFY(!copy.isSymLink());
        QVERIFY(copy.isWritable());
        QCOMPARE(readBytes(copy.filePath()), readBytes(starterDir() + u'/' + name));
    }
}

void TestInstall::laterStartsKeepTheUsersFiles()
{
    QTemporaryDir scratch(m_scratch.filePath(u"later-XXXXXX"_s));
    m_home = scratch.path();
    const QString dict = scratch.filePath(u"lexomat/dict/"_s);
    QVERIFY(launch(scratch.path()));
    const QStringList installedBefore = sortedEntries(starterDir());
    const QByteArray installedFirst = readBytes(starterDir() + u"/tom_0.wrd"_s);

    // The user edits one dictionary, deletes another and makes a new one.
    QVERIFY(writeBytes(dict + u"tom_0.wrd"_s, "\xFF\xFE"));
    QVERIFY(QFile::remove(dict + u"tom_5.wrd"_s));
    QVERIFY(writeBytes(dict + u"tom_20.wrd"_s, "\xFF\xFE"));
    const QStringList userNames = sortedEntries(dict);

    QVERIFY(launch(scratch.path()));
    QCOMPARE(sortedEntries(dict), userNames);
    QCOMPARE(readBytes(dict + u"tom_0.wrd"_s), QByteArray("\xFF\xFE"));
    QCOMPARE(sortedEntries(starterDir()), installedBefore);
    QCOMPARE(readBytes(starterDir() + u"/tom_0.wrd"_s), installedFirst);
}

void TestInstall::ownDictionaryStopsTheStarterSet()
{
    QTemporaryDir scratch(m_scratch.filePath(u"own-XXXXXX"_s));
    m_home = scratch.path();
    const QString dict = scratch.filePath(u"lexomat/dict/"_s);
    QVERIFY(QDir().mkpath(dict));
    // Any name that Lexomat counts as a dictionary, hidden or not.
    QVERIFY(writeBytes(dict + u".lesson.WRD"_s, "\xFF\xFE"));
    QVERIFY(launch(scratch.path()));
    QCOMPARE(sortedEntries(dict), QStringList{u".lesson.WRD"_s});
}

void TestInstall::helpIsRefreshedWhenTheInstalledOneIsNewer_data()
{
    QTest::addColumn<int>("userCopyAge"); // seconds older than the installed help
    QTest::addColumn<bool>("refreshed");

    QTest::newRow("older copy") << 3600 << true;
    QTest::newRow("same time") << 0 << false;
    QTest::newRow("newer copy") << -3600 << false;
}

void TestInstall::helpIsRefreshedWhenTheInstalledOneIsNewer()
{
    QFETCH(int, userCopyAge);
    QFETCH(bool, refreshed);

    QTemporaryDir scratch(m_scratch.filePath(u"help-XXXXXX"_s));
    m_home = scratch.path();
    QVERIFY(launch(scratch.path()));

    const QString installedHelp = installed(DataDir + u"/lexomat/lexomat.hlp"_s);
    const QString copy = scratch.filePath(u"lexomat/lexomat.hlp"_s);
    QVERIFY(writeBytes(copy, "the user's own notes"));
    QFile file(copy);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime installedTime = QFileInfo(installedHelp).lastModified();
    QVERIFY(file.setFileTime(installedTime.addSecs(-userCopyAge), QFileDevice::FileModificationTime));
    file.close();

    QVERIFY(launch(scratch.path()));
    QCOMPARE(readBytes(copy) == readBytes(installedHelp), refreshed);
    QCOMPARE(sortedEntries(scratch.filePath(u"lexomat"_s)), (QStringList{u"dict"_s, u"lexomat.hlp"_s}));
}

void TestInstall::buildTreeLauncherKeepsToTheBuildTree()
{
    // The build tree's launcher with its program and its folder moved into
    // the scratch folder; everything else as tools/dev.sh runs it.
    QString script = QString::fromUtf8(readBytes(QStringLiteral(DEV_LAUNCHER)));
    QVERIFY(script.contains(u"\nstarter=\""_s + QStringLiteral(STARTER_DIR) + u"\"\n"_s));
    QVERIFY(script.contains(u"\nhome=\""_s + QStringLiteral(BUILD_DIR) + u"/run\"\n"_s));
    QTemporaryDir scratch(m_scratch.filePath(u"dev-XXXXXX"_s));
    m_home = scratch.filePath(u"home"_s);
    const QString run = scratch.filePath(u"run"_s);
    script.replace(QRegularExpression(u"\nprogram=\"[^\"]*\"\n"_s), u"\nprogram=\""_s + m_stub + u"\"\n"_s);
    script.replace(QRegularExpression(u"\nhome=\"[^\"]*\"\n"_s), u"\nhome=\""_s + run + u"\"\n"_s);
    const QString launcher = scratch.filePath(u"lexomat-dev"_s);
    QVERIFY(writeBytes(launcher, script.toUtf8()));
    QVERIFY(QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QVERIFY(launch(QString(), launcher));
    // Settings of its own in the run folder, not the developer's.
    QCOMPARE(launchLog().mid(0, 2), (QStringList{QFileInfo(run).canonicalFilePath(), run + u"/config"_s}));
    QCOMPARE(sortedEntries(run + u"/dict"_s), starterNames());
    QCOMPARE(readBytes(run + u"/lexomat.hlp"_s), readBytes(QStringLiteral(HELP_FILE)));
    QVERIFY(!QFileInfo::exists(m_home + u"/.local"_s));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
