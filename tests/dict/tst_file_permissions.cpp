// Dictionary saves keep what the learner set up: a file that may not be
// written stays as it is to the byte, with its mode, owner and inode; a
// failed save leaves every edited line in a recovered copy. The cases run as
// an unprivileged account, also when the suite runs as root.

#include "dict/file_replace.h"
#include "dict/save_rescue.h"
#include "dict/word_file.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray utf16le(QStringView text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar ch : text)
        bytes.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
    return bytes;
}

const QByteArray OldContent = utf16le(u"old,\r\nwords,\r\n");
const QStringList NewLines{u"new,новое,"_s, u"cat,кот,"_s};

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// What the learner set up for a file, and what is in it.
struct FileState
{
    QByteArray bytes;
    mode_t mode = 0;
    uid_t owner = 0;
    ino_t inode = 0;
    nlink_t links = 0;

    static FileState of(const QString &path)
    {
        FileState state;
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            return state;
        state.bytes = readBytes(path);
        state.mode = info.st_mode & 07777;
        state.owner = info.st_uid;
        state.inode = info.st_ino;
        state.links = info.st_nlink;
        return state;
    }
    bool operator==(const FileState &) const = default;
};

QString entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).join(u' ');
}

} // namespace

class TestFilePermissions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_words;

    QString path(const QString &name = u"tom_1.wrd"_s) const { return m_words + u'/' + name; }

    void chmod(const QString &path, mode_t mode) { QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0); }

private Q_SLOTS:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_words = m_tmp->filePath(u"dict"_s);
        QVERIFY(QDir().mkpath(m_words));
        QVERIFY(writeBytes(path(), OldContent));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_tmp->filePath(u"data"_s)));
        QVERIFY(QDir().mkpath(m_tmp->filePath(u"data"_s)));
        Unprivileged::handOver(m_tmp->path());
        SaveRescue::setHandler({});
        FileReplaceTesting::failWritesWith(0);
    }

    void cleanup()
    {
        // Root cleans up whatever the cases left locked.
        for (const QString &folder : {m_words, m_tmp->filePath(u"data"_s)})
            ::chmod(QFile::encodeName(folder).constData(), 0755);
        FileReplaceTesting::failWritesWith(0);
        m_tmp.reset();
    }

    void readOnlyDictionaryIsNotReplaced()
    {
        chmod(path(), 0444);
        const FileState before = FileState::of(path());
        const QString answer = Unprivileged::run([this] {
            WordFile file(path());
            UNPRIV_CHECK(file.status == WordFile::TooFew);
            file.lines = NewLines;
            UNPRIV_CHECK(file.Save() == -1);
            UNPRIV_CHECK(file.saveError == EACCES);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        QCOMPARE(FileState::of(path()), before);
        QCOMPARE(entriesOf(m_words), u"tom_1.wrd"_s);
    }

    void unreadableDictionaryIsNeverWritten()
    {
        chmod(path(), 0000);
        const FileState before = FileState::of(path());
        const QString answer = Unprivileged::run([this] {
            QList<SaveFailure> reported;
            SaveRescue::setHandler([&reported](const SaveFailure &failure) { reported.append(failure); });
            {
                WordFile file(path());
                UNPRIV_CHECK(file.status == WordFile::Unreadable);
                UNPRIV_CHECK(file.loadError == EACCES);
                UNPRIV_CHECK(file.Save() == -1);
                UNPRIV_CHECK(file.saveError == WordFile::NotLoaded);
                // Nothing was read, nothing edited: nothing to keep or tell.
                file.modified = 1;
            }
            UNPRIV_CHECK(reported.isEmpty());
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        QCOMPARE(FileState::of(path()), before);
    }

    // The folder takes no new file: the content goes in place, and the
    // file keeps its inode.
    void readOnlyFolderIsWrittenInPlace()
    {
        chmod(m_words, 0555);
        const FileState before = FileState::of(path());
        const QString answer = Unprivileged::run([this] {
            WordFile file(path());
            file.lines = NewLines;
            UNPRIV_CHECK(file.Save() == 1);
            UNPRIV_CHECK(WordFile(path()).lines == NewLines);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        const FileState after = FileState::of(path());
        QCOMPARE(after.inode, before.inode);
        QCOMPARE(after.mode, before.mode);
        QCOMPARE(entriesOf(m_words), u"tom_1.wrd"_s);
    }

    void hardLinkedDictionaryStaysLinked()
    {
        const QString other = m_tmp->filePath(u"lesson-copy.wrd"_s);
        QCOMPARE(::link(QFile::encodeName(path()).constData(), QFile::encodeName(other).constData()), 0);
        const FileState before = FileState::of(path());
        QCOMPARE(before.links, nlink_t(2));
        const QString answer = Unprivileged::run([this] {
            WordFile file(path());
            file.lines = NewLines;
            UNPRIV_CHECK(file.Save() == 1);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        QCOMPARE(FileState::of(path()).inode, before.inode);
        QCOMPARE(WordFile(other).lines, NewLines);
        QCOMPARE(FileState::of(other).links, nlink_t(2));
    }

    // Replacing another user's file would make it the learner's own.
    void anotherOwnersFileKeepsItsOwner()
    {
        if (!Unprivileged::needed())
            QSKIP("only the superuser can give a file to another owner; the suite runs as root in CI");
        QCOMPARE(::chown(QFile::encodeName(path()).constData(), 0, 0), 0);
        chmod(path(), 0666);
        const FileState before = FileState::of(path());
        const QString answer = Unprivileged::run([this] {
            WordFile file(path());
            file.lines = NewLines;
            UNPRIV_CHECK(file.Save() == 1);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        const FileState after = FileState::of(path());
        QCOMPARE(after.owner, uid_t(0));
        QCOMPARE(after.inode, before.inode);
        QCOMPARE(after.mode, mode_t(0666));
        QCOMPARE(WordFile(path()).lines, NewLines);
    }

    void replacedFileKeepsItsMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("owner only") << 0600;
        QTest::newRow("group may read") << 0640;
        QTest::newRow("everyone may write") << 0666;
    }

    void replacedFileKeepsItsMode()
    {
        QFETCH(int, mode);
        chmod(path(), static_cast<mode_t>(mode));
        const QString answer = Unprivileged::run([this] {
            WordFile file(path());
            file.lines = NewLines;
            UNPRIV_CHECK(file.Save() == 1);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        QCOMPARE(FileState::of(path()).mode, static_cast<mode_t>(mode));
        QCOMPARE(WordFile(path()).lines, NewLines);
    }

    // A full disk, for real on a small file system where the machine lets
    // the suite mount one, else through a write that fails as a full disk
    // does. Both ways of writing leave the old content whole.
    void fullDiskLeavesTheOldContent_data()
    {
        QTest::addColumn<bool>("folderWritable");
        QTest::newRow("replaced by rename") << true;
        QTest::newRow("written in place") << false;
    }

    void fullDiskLeavesTheOldContent()
    {
        QFETCH(bool, folderWritable);
        const QString small = m_tmp->filePath(u"small"_s);
        QVERIFY(QDir().mkpath(small));
        const bool mounted = Unprivileged::needed()
                             && ::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=64k,mode=0777") == 0;
        const QString dictionary = small + u"/tom_0.wrd"_s;
        QVERIFY(writeBytes(dictionary, OldContent));
        if (mounted) {
            // Fill what is left of the file system.
            QFile filler(small + u"/filler"_s);
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(1024, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        Unprivileged::handOver(small);
        if (!folderWritable)
            chmod(small, 0555);
        const FileState before = FileState::of(dictionary);

        QStringList lines;
        for (int i = 0; i < 70; ++i)
            lines << u"word%1,слово номер %1,значение,смысл,"_s.arg(i);
        const QString answer = Unprivileged::run([&] {
            if (!mounted)
                FileReplaceTesting::failWritesWith(ENOSPC);
            WordFile file(dictionary);
            file.lines = lines;
            const int saved = file.Save();
            FileReplaceTesting::failWritesWith(0);
            UNPRIV_CHECK(saved == -1);
            UNPRIV_CHECK(file.saveError == ENOSPC);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        QCOMPARE(FileState::of(dictionary), before);
        const QString left = entriesOf(small);
        ::chmod(QFile::encodeName(small).constData(), 0755);
        if (mounted)
            QCOMPARE(::umount(QFile::encodeName(small).constData()), 0);
        QCOMPARE(left, mounted ? u"filler tom_0.wrd"_s : u"tom_0.wrd"_s);
    }

    // The edited lines are never lost: a failed save leaves them in a
    // recovered copy, told once however often the same lines fail.
    void failedSaveLeavesARecoveredCopy()
    {
        chmod(path(), 0444);
        const FileState before = FileState::of(path());
        const QString answer = Unprivileged::run([this] {
            QList<SaveFailure> reported;
            SaveRescue::setHandler([&reported](const SaveFailure &failure) { reported.append(failure); });
            {
                WordFile file(path());
                file.lines << u"added,добавлено,"_s;
                file.modified = 1;
                UNPRIV_CHECK(file.SaveOrRescue() == -1);
            } // the destructor fails with the same lines again
            UNPRIV_CHECK(reported.size() == 1);
            const SaveFailure &failure = reported.first();
            UNPRIV_CHECK(failure.path == path());
            UNPRIV_CHECK(failure.error == EACCES);
            UNPRIV_CHECK(failure.rescuedTo.startsWith(SaveRescue::folder() + u"/tom_1-"_s));
            UNPRIV_CHECK(failure.rescuedTo.endsWith(u".wrd"_s));
            const QStringList expected{u"old,"_s, u"words,"_s, u"added,добавлено,"_s};
            UNPRIV_CHECK(WordFile(failure.rescuedTo).lines == expected);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
        QCOMPARE(FileState::of(path()), before);
        QVERIFY(SaveRescue::folder().startsWith(m_tmp->filePath(u"data"_s)));
    }

    void rescueGoesElsewhereWhenTheDataFolderIsLocked()
    {
        chmod(path(), 0444);
        chmod(m_tmp->filePath(u"data"_s), 0555);
        const QString answer = Unprivileged::run([this] {
            QString rescuedTo;
            SaveRescue::setHandler([&rescuedTo](const SaveFailure &failure) { rescuedTo = failure.rescuedTo; });
            {
                WordFile file(path());
                file.lines << u"added,добавлено,"_s;
                file.modified = 1;
            }
            UNPRIV_CHECK(!rescuedTo.isEmpty());
            UNPRIV_CHECK(rescuedTo.startsWith(QDir::tempPath()));
            UNPRIV_CHECK(WordFile(rescuedTo).lines.size() == 3);
            QFile::remove(rescuedTo);
            return QString();
        });
        QVERIFY2(answer.isEmpty(), qPrintable(answer));
    }
};

QTEST_GUILESS_MAIN(TestFilePermissions)
#include "tst_file_permissions.moc"
