#include "dict/shared_folder.h"
#include "dict/shared_marks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Mark = SharedMarks::Mark;

const QString A = u"aaaaaaaaaaaaaaaa"_s;
const QString B = u"bbbbbbbbbbbbbbbb"_s;
const QString Tom = u"dict/tom_3.wrd"_s;

} // namespace

class TestSharedMarks : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_root;

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
    }

    // Each change: computer, mark, value, time. The last column is what
    // both computers read afterwards.
    void latestChangeWins_data()
    {
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<int>("exclude"); // -1: no change known
        QTest::addColumn<int>("repeat");
        QTest::newRow("one computer") << QStringList{u"a exclude 1 100"_s} << 1 << -1;
        QTest::newRow("the other computer cleared it later")
            << QStringList{u"a exclude 1 100"_s, u"b exclude 0 200"_s} << 0 << -1;
        QTest::newRow("set back on the first")
            << QStringList{u"a exclude 1 100"_s, u"b exclude 0 200"_s, u"a exclude 1 300"_s} << 1 << -1;
        // B's clock is behind A's: B's change still follows the one it saw.
        QTest::newRow("a clock behind") << QStringList{u"a exclude 1 5000"_s, u"b exclude 0 10"_s} << 0 << -1;
        QTest::newRow("marks apart") << QStringList{u"a exclude 1 100"_s, u"b repeat 1 200"_s} << 1 << 1;
        QTest::newRow("clearing what was never set writes nothing") << QStringList{u"a repeat 0 100"_s} << -1 << -1;
    }

    void latestChangeWins()
    {
        QFETCH(QStringList, changes);
        SharedMarks marks(m_root->path());
        for (const QString &change : changes) {
            const QStringList f = change.split(u' ');
            QVERIFY(marks.Write(f[1] == u"exclude"_s ? Mark::Exclude : Mark::Repeat, Tom, f[2] == u"1"_s,
                                f[3].toLongLong(), f[0] == u"a"_s ? A : B));
        }
        const auto value = [&](Mark mark) {
            const std::optional<SharedMarks::Value> v = SharedMarks(m_root->path()).Read(mark, Tom);
            return v ? int(v->set) : -1;
        };
        QTEST(value(Mark::Exclude), "exclude");
        QTEST(value(Mark::Repeat), "repeat");
        // Each computer writes its own file and no other.
        for (const QString &name : QDir(marks.Folder()).entryList(QDir::Files))
            QVERIFY2(name == A + u".tsv"_s || name == B + u".tsv"_s, qPrintable(name));
        QCOMPARE(SharedMarks(m_root->path()).Read(Mark::Exclude, u"dict/tom_4.wrd"_s).has_value(), false);
    }

    // A newer Lexomat's lines, a damaged line and an odd file name are passed
    // over or read back as they were written.
    void readsWhatItKnows()
    {
        SharedMarks marks(m_root->path());
        const QString odd = u"dict/odd\tname\\x.wrd"_s;
        QVERIFY(marks.Write(Mark::Repeat, odd, true, 100, A));
        QFile file(marks.Folder() + u"/"_s + B + u".tsv"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# from a newer Lexomat\n"
                   "200\texclude\t1\tdict/tom_3.wrd\tcolour=red\n"
                   "300\tpin\t1\tdict/tom_3.wrd\n"
                   "garbage\n"
                   "x00\texclude\t1\tdict/tom_3.wrd\n"
                   "150\trepeat\t1\tdict/tom_3.wrd\n");
        file.close();
        QCOMPARE(marks.Read(Mark::Exclude, Tom)->time, 200);
        QCOMPARE(marks.Read(Mark::Repeat, Tom)->time, 150);
        QCOMPARE(marks.Read(Mark::Repeat, odd)->set, true);
    }

    void nameInTheSharedFolder_data()
    {
        QTest::addColumn<QString>("dictionary"); // below the temporary folder
        QTest::addColumn<QString>("name");       // empty: not shared
        QTest::newRow("the dictionary folder") << u"share/dict/tom_3.wrd"_s << u"dict/tom_3.wrd"_s;
        QTest::newRow("through a link") << u"link/dict/tom_3.wrd"_s << u"dict/tom_3.wrd"_s;
        QTest::newRow("elsewhere") << u"other/dict/tom_3.wrd"_s << QString();
        QTest::newRow("a folder whose name starts like it") << u"share2/tom_3.wrd"_s << QString();
    }

    void nameInTheSharedFolder()
    {
        QFETCH(QString, dictionary);
        for (const QString &folder : {u"share/dict"_s, u"other/dict"_s, u"share2"_s})
            QVERIFY(QDir().mkpath(m_root->filePath(folder)));
        QVERIFY(QFile::link(m_root->filePath(u"share"_s), m_root->filePath(u"link"_s)));
        QTEST(SharedFolder::NameOf(m_root->filePath(u"share"_s), m_root->filePath(dictionary)).value_or(QString()), "name");
    }
};

QTEST_GUILESS_MAIN(TestSharedMarks)
#include "tst_shared_marks.moc"
