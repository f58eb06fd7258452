// The settings, and the settings with the current dictionary as the main
// window's close saves them, killed with SIGKILL at random moments: what is
// on disk afterwards is always a complete old or new version of each file,
// and the next start reads it without an error. (The dictionary alone is
// covered by the word file test.)
#include "app/registry.h"
#include "app/settings.h"
#include "dict/dict_library.h"
#include "dict/save_loop_versions.h"
#include "kill_loop.h"
#include "settings_versions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

int versionOf(const QByteArray &bytes, const QByteArray (&versions)[2])
{
    return bytes == versions[0] ? 0 : bytes == versions[1] ? 1 : -1;
}

} // namespace

class TestCrashSaves : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_folder;
    QString m_settings;
    QString m_dictionary;

    // The settings file's bytes as SaveSettings writes each version, with
    // or without the library of the dictionary folder.
    void settingsVersions(bool withDictionary, QByteArray (&out)[2])
    {
        for (int v = 0; v < 2; ++v) {
            const QString path = m_tmp->filePath(u"reference%1.ini"_s.arg(v));
            INIT registry(path);
            const SettingsVersions::Version version = SettingsVersions::version(v, m_folder);
            // Unedited: it names the dictionary without writing it.
            std::unique_ptr<DictLibrary> library;
            if (withDictionary)
                library = std::make_unique<DictLibrary>(m_folder, m_folder, m_dictionary);
            SaveSettings(version.state, registry, version.speed, library);
            out[v] = readBytes(path);
        }
    }

    void dictionaryVersions(QByteArray (&out)[2])
    {
        for (int v = 0; v < 2; ++v) {
            const QString path = m_tmp->filePath(u"reference%1.wrd"_s.arg(v));
            WordFile file(path);
            file.lines = SaveLoop::version(v);
            QCOMPARE(file.Save(), 1);
            out[v] = readBytes(path);
        }
    }

    // The next start: the settings load finds no error and one version.
    void startsCleanly(int expectedVersion, bool withDictionary)
    {
        PRG_STAT state;
        INIT registry(m_settings);
        LoadedSettings loaded = LoadSettings(state, registry, m_tmp->path());
        QCOMPARE(loaded.errors, QStringList());
        const SettingsVersions::Version version = SettingsVersions::version(expectedVersion, m_folder);
        QCOMPARE(state.mode, version.state.mode);
        QCOMPARE(state.fontName, version.state.fontName);
        QCOMPARE(loaded.speed, std::optional<int>(version.speed));
        QVERIFY(loaded.library);
        if (withDictionary) {
            const QStringList lines = loaded.library->file->lines;
            QVERIFY(lines == SaveLoop::version(0) || lines == SaveLoop::version(1));
        }
    }

    // One save as the next run makes it: it must not wait for a writer that
    // was killed.
    void saveQuickly(int version, bool withDictionary)
    {
        INIT registry(m_settings);
        const SettingsVersions::Version v = SettingsVersions::version(version, m_folder);
        std::unique_ptr<DictLibrary> library;
        if (withDictionary)
            library = std::make_unique<DictLibrary>(m_folder, m_folder, m_dictionary);
        QElapsedTimer clock;
        clock.start();
        SaveSettings(v.state, registry, v.speed, library);
        QVERIFY2(clock.elapsed() < 5000, qPrintable(u"the save took %1 ms"_s.arg(clock.elapsed())));
    }

    // The kills fall anywhere within a few saves: how long one save of the
    // settings and an edited dictionary takes here (much longer in a
    // sanitizer build) sets the longest delay.
    KillLoop loopFor(const char *mode)
    {
        const QString folder = m_tmp->filePath(u"calibration"_s) + u'/';
        QDir().mkpath(folder);
        INIT registry(m_tmp->filePath(u"calibration.ini"_s));
        const SettingsVersions::Version version = SettingsVersions::version(1, folder);
        auto library = std::make_unique<DictLibrary>(folder, folder);
        library->file->lines = SaveLoop::version(0);
        library->file->modified = 1;
        QElapsedTimer clock;
        clock.start();
        SaveSettings(version.state, registry, version.speed, library);
        const auto saveMicroseconds = static_cast<int>(clock.nsecsElapsed() / 1000);

        KillLoop loop;
        loop.program = QStringLiteral(SAVE_LOOP_BINARY);
        loop.arguments = {QLatin1String(mode), m_settings, m_folder};
        loop.maxDelayMicroseconds = std::max(loop.maxDelayMicroseconds, 4 * saveMicroseconds);
        return loop;
    }

private Q_SLOTS:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_folder = m_tmp->filePath(u"dict"_s) + u'/';
        m_settings = m_tmp->filePath(u"config/LX.ini"_s);
        m_dictionary = m_folder + u"tom_0.wrd"_s;
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(QDir().mkpath(m_tmp->filePath(u"config"_s)));
    }

    void killedSettingsSave()
    {
        QByteArray expected[2];
        settingsVersions(false, expected);
        QVERIFY(expected[0] != expected[1]);
        QVERIFY(QFile::copy(m_tmp->filePath(u"reference0.ini"_s), m_settings));

        KillLoop loop = loopFor("settings");
        const bool ok = loop.run([&](QString &why) -> QString {
            const QByteArray now = readBytes(m_settings);
            const int which = versionOf(now, expected);
            if (which < 0)
                why = u"a settings file of %1 bytes is neither version"_s.arg(now.size());
            return which < 0 ? QString() : u"settings %1"_s.arg(which);
        });
        QVERIFY2(ok, qPrintable(loop.failure));
        qInfo("%s", qPrintable(loop.summary()));
        QVERIFY(loop.runs >= 100);
        QVERIFY2(loop.seen[u"settings 1"_s] > 0, "the helper never finished a save before it was killed");
        const int last = versionOf(readBytes(m_settings), expected);
        startsCleanly(last, false);
        saveQuickly(1 - last, false);
        QCOMPARE(versionOf(readBytes(m_settings), expected), 1 - last);
    }

    // What a writer killed while locking the settings file leaves behind:
    // the lock made but its owner not yet written into it, or the removal
    // of a dead writer's lock begun but not finished.
    void lockOfAKilledWriter_data()
    {
        QTest::addColumn<QByteArray>("lock");
        QTest::addColumn<bool>("removalLock");
        QTest::newRow("empty lock") << QByteArray() << false;
        QTest::newRow("removal of a dead writer's lock")
            << QByteArray("999999\nsave_loop\nvm\n") << true;
    }

    void lockOfAKilledWriter()
    {
        QFETCH(QByteArray, lock);
        QFETCH(bool, removalLock);
        QByteArray expected[2];
        settingsVersions(false, expected);
        QVERIFY(QFile::copy(m_tmp->filePath(u"reference0.ini"_s), m_settings));
        QFile lockFile(m_settings + u".lock"_s);
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        lockFile.write(lock);
        lockFile.close();
        if (removalLock)
            QVERIFY(QFile(m_settings + u".lock.rmlock"_s).open(QIODevice::WriteOnly));
        saveQuickly(1, false);
        QCOMPARE(versionOf(readBytes(m_settings), expected), 1);
    }

    void killedCloseSavesSettingsAndDictionary()
    {
        QByteArray dictionaries[2];
        dictionaryVersions(dictionaries);
        QByteArray settings[2];
        settingsVersions(true, settings);
        QFile out(m_dictionary);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(dictionaries[0]);
        out.close();
        QVERIFY(QFile::copy(m_tmp->filePath(u"reference0.ini"_s), m_settings));

        KillLoop loop = loopFor("both");
        const bool ok = loop.run([&](QString &why) -> QString {
            const int settingsVersion = versionOf(readBytes(m_settings), settings);
            const int dictionaryVersion = versionOf(readBytes(m_dictionary), dictionaries);
            // An interrupted save may leave its hidden temporary file behind,
            // but nothing that the folder scan would list as one more
            // dictionary (a name holding ".wrd").
            QStringList entries;
            for (const QString &entry :
                 QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                if (entry.contains(u".wrd"_s) || entry.contains(u".WRD"_s))
                    entries.append(entry);
            }
            if (settingsVersion < 0)
                why = u"the settings file is neither version"_s;
            else if (dictionaryVersion < 0)
                why = u"the dictionary is neither version"_s;
            else if (entries != QStringList{u"tom_0.wrd"_s})
                why = u"the dictionary folder holds %1"_s.arg(entries.join(u", "_s));
            else
                return u"settings %1 with dictionary %2"_s.arg(settingsVersion).arg(dictionaryVersion);
            return {};
        });
        QVERIFY2(ok, qPrintable(loop.failure));
        qInfo("%s", qPrintable(loop.summary()));
        QVERIFY(loop.runs >= 100);
        QVERIFY2(loop.seen[u"settings 1 with dictionary 1"_s] + loop.seen[u"settings 0 with dictionary 0"_s] > 0,
                 "the helper never finished a save before it was killed");
        startsCleanly(versionOf(readBytes(m_settings), settings), true);
        saveQuickly(0, true);
        QCOMPARE(versionOf(readBytes(m_settings), settings), 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSaves)
#include "tst_crash_saves.moc"
