// Dictionary folders that no user should have but some will. Over each, the
// dictionary library, the word store and the game engine load what they can,
// return in bounded time, and leave every file as it was: only a listed name
// that does not exist yet may appear, as an empty file.
#include "library_game_host.h"

#include "app/process_objects.h"
#include "dict/dict_library.h"
#include "dict/random.h"
#include "game/game_engine.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "support/unprivileged.h"
#include <QTest>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList numberedLines(int count, int first = 0)
{
    QStringList lines;
    for (int i = first; i < first + count; ++i)
        lines << u"word%1,слово %1,значение,"_s.arg(i);
    return lines;
}

// A dictionary's bytes as the program writes them, made once per content.
QByteArray dictionaryBytes(const QStringList &lines)
{
    static QTemporaryDir scratch;
    const QString path = scratch.filePath(u"scratch.wrd"_s);
    QFile::remove(path);
    {
        WordFile file(path);
        file.lines = lines;
        if (file.Save() != 1)
            qFatal("cannot write a dictionary");
    }
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    return in.readAll();
}

void writeDictionary(const QString &path, int lineCount, int first = 0)
{
    writeBytes(path, dictionaryBytes(numberedLines(lineCount, first)));
}

QByteArray junk(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// Junk without a zero byte, which would end the text early: all of it is read.
QByteArray junkText(qsizetype size, quint32 seed)
{
    QByteArray bytes = junk(size, seed);
    bytes.replace('\0', '\1');
    return bytes;
}

void link(const QString &target, const QString &path)
{
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) != 0)
        qFatal("cannot link %s", qPrintable(path));
}

// What a folder entry is, without following links or reading a pipe.
struct EntryState
{
    mode_t mode = 0;
    off_t size = 0;
    qint64 mtimeNs = 0;
    QByteArray content; // hash of a readable file, or a link's target

    bool operator==(const EntryState &) const = default;
};

using Snapshot = std::map<QByteArray, EntryState>;

void snapshotInto(const QByteArray &root, const QByteArray &relative, Snapshot &out)
{
    DIR *dir = ::opendir(QByteArray(root + relative).constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray rel = relative + name;
        const QByteArray full = root + rel;
        struct stat info {};
        if (::lstat(full.constData(), &info) != 0)
            continue;
        EntryState state;
        state.mode = info.st_mode;
        state.size = info.st_size;
        state.mtimeNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        if (S_ISLNK(info.st_mode)) {
            char target[4096];
            const ssize_t length = ::readlink(full.constData(), target, sizeof target);
            state.content = QByteArray(target, length > 0 ? length : 0);
        } else if (S_ISREG(info.st_mode)) {
            QFile file(QFile::decodeName(full));
            if (file.open(QIODevice::ReadOnly))
                state.content = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
        }
        out[rel] = state;
        if (S_ISDIR(info.st_mode))
            snapshotInto(root, rel + '/', out);
    }
    ::closedir(dir);
}

Snapshot snapshot(const QString &folder)
{
    Snapshot out;
    snapshotInto(QFile::encodeName(folder), QByteArray(), out);
    return out;
}

// One hostile folder: how to make it, and the dictionary the named
// constructor is asked for (relative to the folder).
struct HostileCase
{
    const char *name;
    void (*make)(const QString &folder);
    const char *named = "tom_3.wrd";
    // The case is about permissions, which do not bind the superuser.
    bool needsPermissions = false;
};

const HostileCase Cases[] = {
    {"binary junk",
     [](const QString &f) {
         writeBytes(f + u"tom_0.wrd"_s, junk(64 * 1024, 1));
         writeBytes(f + u"tom_1.wrd"_s, QByteArray("\xFF\xFE", 2) + junk(4096, 2));
         writeBytes(f + u"tom_2.wrd"_s, QByteArray("\xEF\xBB\xBF", 3) + junk(4096, 3));
         writeDictionary(f + u"tom_3.wrd"_s, 10);
     }},
    {"a 20 MB file",
     [](const QString &f) {
         writeBytes(f + u"tom_0.wrd"_s, junkText(20 * 1024 * 1024, 4));
         writeDictionary(f + u"tom_1.wrd"_s, 8);
     }},
    {"10 000 lines",
     [](const QString &f) {
         writeBytes(f + u"tom_0.wrd"_s, dictionaryBytes(numberedLines(10000)));
         writeDictionary(f + u"tom_1.wrd"_s, 8);
     }},
    {"a line of 10 000 characters",
     [](const QString &f) {
         QStringList lines = numberedLines(6);
         lines.insert(3, QString(QString(5000, u'x') + u',' + QString(4998, u'я') + u','));
         writeBytes(f + u"tom_0.wrd"_s, dictionaryBytes(lines));
         writeBytes(f + u"tom_1.wrd"_s, QByteArray(10000, 'y') + "\r\n");
     }},
    {"500 dictionaries",
     [](const QString &f) {
         const QByteArray full = dictionaryBytes(numberedLines(70));
         const QByteArray playable = dictionaryBytes(numberedLines(8));
         for (int n = 0; n < 500; ++n)
             writeBytes(f + u"tom_%1.wrd"_s.arg(n), n < 150 || n % 7 != 0 ? full : playable);
     },
     "tom_480.wrd"},
    {"a folder named tom_3.wrd",
     [](const QString &f) {
         QDir().mkpath(f + u"tom_3.wrd"_s);
         writeDictionary(f + u"tom_3.wrd/tom_0.wrd"_s, 8);
         QDir().mkpath(f + u"tom_0.wrd"_s);
         writeDictionary(f + u"tom_1.wrd"_s, 7);
     }},
    {"names with 30 digits",
     [](const QString &f) {
         writeDictionary(f + u"tom_123456789012345678901234567890.wrd"_s, 8);
         writeDictionary(f + u"tom_000000000000000000000000000002.wrd"_s, 8);
         writeDictionary(f + u"tom_99999999999999999999.wrd"_s, 9);
     },
     "tom_123456789012345678901234567890.wrd"},
    {"an unreadable file",
     [](const QString &f) {
         writeDictionary(f + u"tom_0.wrd"_s, 8);
         writeDictionary(f + u"tom_1.wrd"_s, 8);
         QFile::setPermissions(f + u"tom_0.wrd"_s, QFileDevice::Permissions());
     },
     "tom_0.wrd", true},
    {"a named dictionary below a file",
     [](const QString &f) {
         writeBytes(f + u"notes.txt"_s, "not a folder\n");
         writeDictionary(f + u"tom_0.wrd"_s, 70);
     },
     "notes.txt/tom_0.wrd"},
    {"a dangling link",
     [](const QString &f) {
         link(u"missing/tom_9.wrd"_s, f + u"tom_4.wrd"_s);
         link(u"/nonexistent-lexomat-folder/tom_0.wrd"_s, f + u"tom_0.wrd"_s);
         writeDictionary(f + u"tom_1.wrd"_s, 8);
     },
     "tom_4.wrd"},
    {"a link loop",
     [](const QString &f) {
         link(u"tom_6.wrd"_s, f + u"tom_5.wrd"_s);
         link(u"tom_5.wrd"_s, f + u"tom_6.wrd"_s);
         link(u"tom_7.wrd"_s, f + u"tom_7.wrd"_s);
         link(u"."_s, f + u"tom_8.wrd"_s);
         writeDictionary(f + u"tom_1.wrd"_s, 8);
     },
     "tom_5.wrd"},
    {"a read-only folder",
     [](const QString &f) {
         writeDictionary(f + u"tom_0.wrd"_s, 5);
         writeDictionary(f + u"tom_1.wrd"_s, 8);
         writeDictionary(f + u"tom_2.wrd"_s, 70);
         QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
     },
     "tom_9.wrd"},
    {"a named pipe",
     [](const QString &f) {
         if (::mkfifo(QFile::encodeName(f + u"tom_2.wrd"_s).constData(), 0644) != 0)
             qFatal("cannot make a pipe");
         writeDictionary(f + u"tom_1.wrd"_s, 8);
     },
     "tom_2.wrd"},
    {"a link to an endless device",
     [](const QString &f) {
         link(u"/dev/zero"_s, f + u"tom_0.wrd"_s);
         writeDictionary(f + u"tom_1.wrd"_s, 8);
     },
     "tom_0.wrd"},
    {"a backup copy beside a dictionary",
     [](const QString &f) {
         writeDictionary(f + u"tom_5.wrd"_s, 8);
         writeDictionary(f + u"tom_5.wrd.bak"_s, 8);
         writeDictionary(f + u"tom_05.wrd"_s, 8, 100);
         writeDictionary(f + u"tom_7.wrd"_s, 8, 200);
     },
     "tom_5.wrd"},
    {"a name that is not valid text",
     [](const QString &f) {
         const QByteArray path = QFile::encodeName(f) + "\xFF\xFE_3.wrd";
         writeDictionary(f + u"tom_1.wrd"_s, 8);
         QFile::copy(f + u"tom_1.wrd"_s, f + u"copy"_s);
         if (::rename(QFile::encodeName(f + u"copy"_s).constData(), path.constData()) != 0)
             qFatal("cannot rename");
     }},
};

QSet<QString> distinctListed(const DictLibrary &library)
{
    QSet<QString> names;
    for (int i = 0; i < library.fileCount; ++i)
        names.insert(library.folder + library.names[static_cast<std::size_t>(i)]);
    return names;
}

// Draws words the way the flash window does, a few cycles long.
void flashTicks(GWORDW &words, int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        if (!words.DrawWord()) {
            words.MarkAllAvailable();
            words.DrawWord();
        }
    }
}

} // namespace

class TestHostileFolders : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_folder;
    QString m_fallback;
    qint64 m_now = 1700000000;

    // Every step of the library: both constructors, the walk both ways,
    // the searches; every dictionary it opens goes into a word store.
    void exerciseLibrary(const QString &named)
    {
        {
            DictLibrary library(m_folder, m_fallback);
            QVERIFY(library.file);
            QCOMPARE(library.folder, m_folder);
            // Opening a listed name that does not exist makes it, so the
            // scan is taken again before the list is compared.
            const int count = library.Scan();
            QCOMPARE(library.fileCount, count);
            QVERIFY(count <= DictLibrary::MaxNames);

            // ">>" from a listed dictionary visits every listed name.
            const QSet<QString> listed = distinctListed(library);
            QSet<QString> visited{library.currentPath};
            for (int step = 0; step <= library.fileCount; ++step) {
                library.Next();
                visited.insert(library.currentPath);
                GWORDW words(WordStoreCapacity);
                words.LoadLines(library.file->lines);
                QVERIFY(words.WordCount() <= words.Limit());
                flashTicks(words, 80);
            }
            if (library.IndexOf(library.currentPath) != 0)
                QCOMPARE(visited, listed);
            for (int step = 0; step <= library.fileCount; ++step)
                library.Previous();

            const QString roomy = library.FindNotFull();
            if (roomy != u"0"_s) {
                const WordFile probe(roomy);
                QVERIFY2(probe.status == WordFile::TooFew || probe.status == WordFile::Playable, qPrintable(roomy));
            }
            const QString fresh = library.NewFileName();
            QVERIFY(fresh.startsWith(m_folder));
            QVERIFY2(!QFileInfo(fresh).exists() && !QFileInfo(fresh).isSymLink(), qPrintable(fresh));
        }
        {
            DictLibrary library(m_folder, m_fallback, QString(m_folder + named));
            QVERIFY(library.file);
            QCOMPARE(library.file->path, library.currentPath);
        }
    }

    // The game over a real library: each mode played until the game ends or
    // a few hundred answers have been given.
    void playEveryMode()
    {
        ProcessObjects objects;
        objects.state = std::make_unique<PRG_STAT>();
        DictLibrary library(m_folder, m_fallback);
        LibraryGameHost host(objects, library);
        GameEngine engine(objects, host);
        host.attach(&engine);
        host.refresh();
        engine.TBGameSpeedChange();
        PRG_STAT &state = *objects.state;

        for (const int mode : {ModeStandard, ModeLearning}) {
            state.mode = mode;
            engine.BStartClick();
            for (int turn = 0; turn < 300 && state.gameState != 0; ++turn) {
                ++m_now; // a new second: new draws
                if (turn % 5 == 4) {
                    engine.GameTimerTimer();
                    continue;
                }
                int right = 0;
                for (int row = 0; row < 6; ++row) {
                    if (state.slots[static_cast<std::size_t>(row)].meaningOf == state.activeSlot)
                        right = row;
                }
                engine.OnLabelClick(right);
            }
            if (state.gameState != 0)
                engine.BStartClick();
            QCOMPARE(state.gameState, 0);
        }

        state.mode = ModeFlash;
        engine.BStartClick();
        QVERIFY(host.events.contains(u"flash"_s));
        flashTicks(*objects.words, 200);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        Clock::setSource([this] { return m_now; });
    }

    void cleanupTestCase() { Clock::setSource({}); }

    void init()
    {
        m_folder = m_root.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_')) + u'/';
        m_fallback = m_root.filePath(u"fallback"_s) + u'/';
        QVERIFY(QDir().mkpath(m_folder));
    }

    void cleanup()
    {
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir(m_folder).removeRecursively();
    }

    void hostileFolder_data()
    {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < std::size(Cases); ++i)
            QTest::newRow(Cases[i].name) << static_cast<int>(i);
    }

    void hostileFolder()
    {
        QFETCH(int, index);
        const HostileCase &hostile = Cases[index];
        hostile.make(m_folder);
        const Snapshot before = snapshot(m_folder);

        // Permissions bind only an ordinary account: such a folder is played
        // by one, also when the suite runs as root.
        const auto play = [this, &hostile] {
            QElapsedTimer clock;
            clock.start();
            exerciseLibrary(QLatin1String(hostile.named));
            if (!QTest::currentTestFailed())
                playEveryMode();
            if (QTest::currentTestFailed())
                return u"failed, as reported above"_s;
            qInfo("%s: %lld ms", hostile.name, clock.elapsed());
            return clock.elapsed() < 60000 ? QString() : u"the folder took more than a minute"_s;
        };
        if (hostile.needsPermissions) {
            Unprivileged::handOver(m_root.path());
            const QString answer = Unprivileged::run(play, 120000);
            QVERIFY2(answer.isEmpty(), qPrintable(answer));
        } else {
            const QString answer = play();
            QVERIFY2(answer.isEmpty(), qPrintable(answer));
        }

        // Nothing changed; what is new is an empty file of a listed name.
        const Snapshot after = snapshot(m_folder);
        static const QRegularExpression canonicalName(u"^tom_(0|[1-9][0-9]*)\\.wrd$"_s);
        for (const auto &[name, state] : before) {
            const auto now = after.find(name);
            QVERIFY2(now != after.end(), name.constData());
            QVERIFY2(now->second == state, qPrintable(u"%1 was changed"_s.arg(QFile::decodeName(name))));
        }
        for (const auto &[name, state] : after) {
            if (before.count(name))
                continue;
            QVERIFY2(canonicalName.match(QFile::decodeName(name)).hasMatch() && S_ISREG(state.mode) && state.size == 0,
                     qPrintable(u"%1 appeared"_s.arg(QFile::decodeName(name))));
        }
        QVERIFY2(!QFileInfo::exists(m_fallback), "the fallback folder was made");
    }
};

QTEST_GUILESS_MAIN(TestHostileFolders)
#include "tst_hostile_folders.moc"
