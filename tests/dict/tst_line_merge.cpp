#include "dict/line_merge.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "a b c" -> {"a", "b", "c"}: the cases read as the files would.
QStringList L(const QString &words)
{
    return words.split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestLineMerge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void threeWay_data();
    void threeWay();
    void largeFilesStillKeepEveryAddition();
    void unionOfCopy_data();
    void unionOfCopy();
};

void TestLineMerge::threeWay_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("merged");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<int>("bothChanged");

    QTest::newRow("nothing changed") << "a b c" << "a b c" << "a b c" << "a b c" << "" << "" << 0;
    QTest::newRow("only ours changed") << "a b c" << "a b c d" << "a b c" << "a b c d" << "" << "" << 0;
    QTest::newRow("only theirs added") << "a b c" << "a b c" << "a b c x" << "a b c x" << "x" << "" << 0;
    QTest::newRow("both added at the end") << "a b c" << "a b c d" << "a b c x" << "a b c d x" << "x" << "" << 0;
    QTest::newRow("both added the same") << "a b" << "a b d" << "a b d" << "a b d" << "" << "" << 0;
    QTest::newRow("additions in different places keep their places")
        << "a b c" << "n a b c" << "a b c x" << "n a b c x" << "x" << "" << 0;
    QTest::newRow("theirs deleted a line ours left alone") << "a b c" << "a b c d" << "a c" << "a c d" << "" << "b" << 0;
    QTest::newRow("ours deleted a line theirs left alone") << "a b c" << "a c" << "a b c x" << "a c x" << "x" << "" << 0;
    QTest::newRow("both deleted the same line") << "a b c" << "a c" << "a c" << "a c" << "" << "" << 0;
    QTest::newRow("changed on both sides keeps both") << "a b c" << "a B1 c" << "a B2 c" << "a B1 B2 c" << "B2" << "" << 1;
    QTest::newRow("deleted here, changed there: the change stays")
        << "a b c" << "a c" << "a B2 c" << "a B2 c" << "B2" << "" << 0;
    QTest::newRow("changed here, deleted there: the change stays")
        << "a b c" << "a B1 c" << "a c" << "a B1 c" << "" << "" << 0;
    QTest::newRow("a conflict does not bring back a line ours deleted")
        << "a b c" << "a c2" << "a b c3" << "a c2 c3" << "c3" << "" << 1;
    QTest::newRow("a conflict drops an old line theirs deleted")
        << "a b c" << "a b c1" << "a c2" << "a c1 c2" << "c2" << "b" << 1;
    QTest::newRow("from an empty file") << "" << "a" << "b" << "a b" << "b" << "" << 0;
    QTest::newRow("theirs emptied the file") << "a b" << "a b c" << "" << "c" << "" << "a b" << 0;
    QTest::newRow("duplicate lines stay as each side has them")
        << "a a b" << "a a b c" << "a a b" << "a a b c" << "" << "" << 0;
}

void TestLineMerge::threeWay()
{
    QFETCH(QString, base);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    const LineMerge::Result result = LineMerge::ThreeWay(L(base), L(ours), L(theirs));
    QTEST(result.lines.join(u' '), "merged");
    QTEST(result.added.join(u' '), "added");
    QTEST(result.removed.join(u' '), "removed");
    QTEST(int(result.bothChanged.size()), "bothChanged");
    QCOMPARE(result.tookAnything(), !result.added.isEmpty() || !result.removed.isEmpty() || result.bothChanged.size() > 0);
}

// Beyond the size of the table of common lines the middle counts as changed
// on both sides; still no line of either side is lost.
void TestLineMerge::largeFilesStillKeepEveryAddition()
{
    QStringList base;
    for (int i = 0; i < 3000; ++i)
        base << u"w%1"_s.arg(i);
    QStringList ours = base;
    QStringList theirs = base;
    ours[0] = u"ours first"_s;
    ours.last() = u"ours last"_s;
    theirs[1] = u"theirs second"_s;
    theirs[2998] = u"theirs near the end"_s;
    const LineMerge::Result result = LineMerge::ThreeWay(base, ours, theirs);
    for (const QString &line : {u"ours first"_s, u"ours last"_s, u"theirs second"_s, u"theirs near the end"_s})
        QVERIFY2(result.lines.count(line) == 1, qPrintable(line));
    QVERIFY(!result.lines.contains(u"w0"_s));
    QVERIFY(!result.lines.contains(u"w1"_s));
    QCOMPARE(result.lines.count(u"w1500"_s), 1);
}

void TestLineMerge::unionOfCopy_data()
{
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("merged");
    QTest::addColumn<QString>("added");

    QTest::newRow("same") << "a b" << "b a" << "a b" << "";
    QTest::newRow("new lines at the end in their order") << "a b" << "c a d" << "a b c d" << "c d";
    QTest::newRow("a line twice in theirs comes once") << "a" << "b b" << "a b" << "b";
    QTest::newRow("into an empty dictionary") << "" << "x y" << "x y" << "x y";
    QTest::newRow("an empty copy") << "a" << "" << "a" << "";
}

void TestLineMerge::unionOfCopy()
{
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    const LineMerge::Result result = LineMerge::Union(L(ours), L(theirs));
    QTEST(result.lines.join(u' '), "merged");
    QTEST(result.added.join(u' '), "added");
}

QTEST_APPLESS_MAIN(TestLineMerge)
#include "tst_line_merge.moc"
