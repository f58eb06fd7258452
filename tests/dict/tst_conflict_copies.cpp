#include "dict/conflict_copies.h"
#include "dict/dict_library.h"
#include "dict/word_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ConflictCopies::Engine)

namespace {

void writeLines(const QString &path, const QStringList &lines)
{
    WordFile file(path);
    file.lines = lines;
    QCOMPARE(file.Save(), 1);
}

} // namespace

class TestConflictCopies : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString at(const QString &name) const { return m_dir->filePath(name); }

    ConflictCopies::Copy onlyCopy() const
    {
        const QList<ConflictCopies::Copy> copies = ConflictCopies::Find(m_dir->path());
        if (copies.size() != 1)
            qFatal("expected one conflict copy, found %d", int(copies.size()));
        return copies.first();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void recognise_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("original"); // empty: no conflict copy
        QTest::addColumn<ConflictCopies::Engine>("engine");
        using E = ConflictCopies::Engine;
        QTest::newRow("Syncthing") << u"tom_3.sync-conflict-20261209-101112-ABCDEFG.wrd"_s << u"tom_3.wrd"_s << E::Syncthing;
        QTest::newRow("Syncthing, a copy of a copy")
            << u"tom_3.sync-conflict-20261209-101112-ABCDEFG.sync-conflict-20261210-090000-XYZ2345.wrd"_s
            << u"tom_3.wrd"_s << E::Syncthing;
        QTest::newRow("Syncthing, upper-case extension")
            << u"Tom_4.sync-conflict-20261209-101112-ABCDEFG.WRD"_s << u"Tom_4.WRD"_s << E::Syncthing;
        QTest::newRow("Nextcloud") << u"tom_3 (conflicted copy 2026-12-09 101112).wrd"_s << u"tom_3.wrd"_s << E::Nextcloud;
        QTest::newRow("Nextcloud, older clients") << u"tom_3_conflict-20261209-101112.wrd"_s << u"tom_3.wrd"_s << E::Nextcloud;
        QTest::newRow("Dropbox") << u"tom_3 (Anna's conflicted copy 2026-12-09).wrd"_s << u"tom_3.wrd"_s << E::Dropbox;
        QTest::newRow("Dropbox, second copy of a day")
            << u"tom_3 (Anna's conflicted copy 2026-12-09 (1)).wrd"_s << u"tom_3.wrd"_s << E::Dropbox;
        QTest::newRow("Dropbox, typographic apostrophe")
            << u"tom_12 (Ноутбук Анны\u2019s conflicted copy 2026-12-09).wrd"_s << u"tom_12.wrd"_s << E::Dropbox;
        QTest::newRow("a dictionary") << u"tom_3.wrd"_s << QString() << E::Syncthing;
        QTest::newRow("a copy the learner made") << u"tom_1 (2).wrd"_s << QString() << E::Syncthing;
        QTest::newRow("a conflict copy of no dictionary")
            << u"notes.sync-conflict-20261209-101112-ABCDEFG.txt"_s << QString() << E::Syncthing;
        QTest::newRow("Syncthing mark without time") << u"tom_3.sync-conflict-ABCDEFG.wrd"_s << QString() << E::Syncthing;
        QTest::newRow("Syncthing mark with a lower-case device")
            << u"tom_3.sync-conflict-20261209-101112-abcdefg.wrd"_s << QString() << E::Syncthing;
    }

    void recognise()
    {
        QFETCH(QString, name);
        QFETCH(QString, original);
        QFETCH(ConflictCopies::Engine, engine);
        const std::optional<ConflictCopies::Name> found = ConflictCopies::Recognise(name);
        QCOMPARE(found.has_value(), !original.isEmpty());
        if (found) {
            QCOMPARE(found->original, original);
            QCOMPARE(found->engine, engine);
        }
        // The folder's numbering never lists a conflict copy under the
        // number its date makes.
        QCOMPARE(DictLibrary::IsDictionaryEntry(name), original.isEmpty() && name.contains(u".wrd"_s));
    }

    void libraryListsTheDictionaryOnly()
    {
        writeLines(at(u"tom_3.wrd"_s), {u"cat,кошка,"_s});
        for (const QString &copy : {u"tom_3.sync-conflict-20261209-101112-ABCDEFG.wrd"_s,
                                    u"tom_3 (conflicted copy 2026-12-09 101112).wrd"_s,
                                    u"tom_3 (Anna's conflicted copy 2026-12-09).wrd"_s})
            writeLines(at(copy), {u"dog,собака,"_s});
        const DictLibrary library(m_dir->path(), m_dir->path());
        QCOMPARE(library.fileCount, 1);
        QCOMPARE(library.names[0], u"tom_3.wrd"_s);
        QCOMPARE(ConflictCopies::Find(m_dir->path()).size(), 3);
    }

    void mergeAddsWhatIsMissingAndKeepsTheCopy_data()
    {
        QTest::addColumn<QStringList>("dictionary"); // empty list: the dictionary is gone
        QTest::addColumn<QStringList>("copy");
        QTest::addColumn<QStringList>("merged");
        QTest::addColumn<int>("added");
        const QString cat = u"cat,кошка,"_s;
        const QString dog = u"dog,собака,"_s;
        const QString sun = u"sun,солнце,"_s;
        QTest::newRow("words of both") << QStringList{cat, dog} << QStringList{cat, sun} << QStringList{cat, dog, sun} << 1;
        QTest::newRow("nothing new") << QStringList{cat, dog} << QStringList{dog} << QStringList{cat, dog} << 0;
        QTest::newRow("a word changed in the copy keeps both")
            << QStringList{cat} << QStringList{u"cat,кот,"_s} << QStringList{cat, u"cat,кот,"_s} << 1;
        QTest::newRow("the dictionary is gone") << QStringList{} << QStringList{dog, sun} << QStringList{dog, sun} << 2;
    }

    void mergeAddsWhatIsMissingAndKeepsTheCopy()
    {
        QFETCH(QStringList, dictionary);
        QFETCH(QStringList, copy);
        QFETCH(QStringList, merged);
        QFETCH(int, added);
        const QString copyName = u"tom_3.sync-conflict-20261209-101112-ABCDEFG.wrd"_s;
        if (!dictionary.isEmpty())
            writeLines(at(u"tom_3.wrd"_s), dictionary);
        writeLines(at(copyName), copy);
        // A copy merged before under the same name is kept too.
        QVERIFY(QDir().mkpath(at(u"conflicts"_s)));
        writeLines(at(u"conflicts/"_s + copyName), {u"old,старое,"_s});

        const ConflictCopies::Merged result = ConflictCopies::Merge(onlyCopy());
        QVERIFY(result.ok());
        QCOMPARE(result.added, added);
        QCOMPARE(WordFile(at(u"tom_3.wrd"_s)).lines, merged);
        QVERIFY(!QFile::exists(at(copyName)));
        QCOMPARE(result.keptAs, at(u"conflicts/tom_3.sync-conflict-20261209-101112-ABCDEFG (2).wrd"_s));
        QCOMPARE(WordFile(result.keptAs).lines, copy);
        QCOMPARE(WordFile(at(u"conflicts/"_s + copyName)).lines, QStringList{u"old,старое,"_s});
        QVERIFY(ConflictCopies::Find(m_dir->path()).isEmpty());
    }

    void aCopyThatIsNoDictionaryIsLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder") << u"folder"_s;
        QTest::newRow("binary data") << u"binary"_s;
    }

    void aCopyThatIsNoDictionaryIsLeftAlone()
    {
        QFETCH(QString, kind);
        const QString name = u"tom_3 (conflicted copy 2026-12-09 101112).wrd"_s;
        writeLines(at(u"tom_3.wrd"_s), {u"cat,кошка,"_s});
        QByteArray bytes;
        if (kind == u"folder"_s) {
            QVERIFY(QDir().mkdir(at(name)));
        } else {
            bytes = QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
            QFile file(at(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const ConflictCopies::Copy copy = onlyCopy();
        QVERIFY(!copy.dictionary);
        const ConflictCopies::Merged result = ConflictCopies::Merge(copy);
        QCOMPARE(result.failure, ConflictCopies::Merged::Failure::NotDictionary);
        QVERIFY(QFileInfo::exists(at(name)));
        QVERIFY(!QFileInfo::exists(at(u"conflicts"_s)));
        QCOMPARE(WordFile(at(u"tom_3.wrd"_s)).lines, QStringList{u"cat,кошка,"_s});
        if (!bytes.isEmpty()) {
            QFile file(at(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
        }
    }
};

QTEST_GUILESS_MAIN(TestConflictCopies)
#include "tst_conflict_copies.moc"
