#include "import/word_import.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestWordList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesEntries_data();
    void parsesEntries();
    void reportsFaults_data();
    void reportsFaults();
    void reportsEveryFaultyLine();
    void buildsEditorLines_data();
    void buildsEditorLines();
    void readsDictionaryLines_data();
    void readsDictionaryLines();
};

void TestWordList::parsesEntries_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("words");     // word of every entry
    QTest::addColumn<QList<QStringList>>("meanings");
    QTest::addColumn<QList<int>>("lines");

    QTest::newRow("tabs") << "run\t\xD0\xB1\xD0\xB5\xD0\xB6\xD0\xB0\xD1\x82\xD1\x8C\tmanage\n"_ba
                          << QStringList{u"run"_s} << QList<QStringList>{{u"бежать"_s, u"manage"_s}} << QList<int>{1};
    QTest::newRow("semicolons") << "cat;\xD0\xBA\xD0\xBE\xD1\x82;\xD0\xBA\xD0\xBE\xD1\x88\xD0\xBA\xD0\xB0"_ba
                                << QStringList{u"cat"_s} << QList<QStringList>{{u"кот"_s, u"кошка"_s}}
                                << QList<int>{1};
    // With a tab on the line, a semicolon is text.
    QTest::newRow("semicolon inside a tab line")
        << "a\tb;c\n"_ba << QStringList{u"a"_s} << QList<QStringList>{{u"b;c"_s}} << QList<int>{1};
    QTest::newRow("blanks trimmed, empty meanings left out")
        << "  word \t\t  one \t \ttwo\t\n"_ba << QStringList{u"word"_s} << QList<QStringList>{{u"one"_s, u"two"_s}}
        << QList<int>{1};
    QTest::newRow("no meaning") << "alone\n"_ba << QStringList{u"alone"_s} << QList<QStringList>{{}} << QList<int>{1};
    QTest::newRow("blank lines skipped, numbers kept")
        << "\n  \na\tb\r\n\t\n\nc;d\n"_ba << QStringList{u"a"_s, u"c"_s} << QList<QStringList>{{u"b"_s}, {u"d"_s}}
        << QList<int>{3, 6};
    QTest::newRow("byte order mark") << "\xEF\xBB\xBFyes\tda\n"_ba << QStringList{u"yes"_s}
                                     << QList<QStringList>{{u"da"_s}} << QList<int>{1};
    QTest::newRow("35 characters fit") << QByteArray(QByteArray(35, 'x') + "\t" + QByteArray(35, 'y'))
                                       << QStringList{QString(35, u'x')} << QList<QStringList>{{QString(35, u'y')}}
                                       << QList<int>{1};
    // Cyrillic counts by characters, not by bytes: 35 letters of 2 bytes each.
    QTest::newRow("35 Cyrillic letters fit")
        << QByteArray("w\t" + QString(35, u'ж').toUtf8()) << QStringList{u"w"_s}
        << QList<QStringList>{{QString(35, u'ж')}} << QList<int>{1};
}

void TestWordList::parsesEntries()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, words);
    QFETCH(QList<QStringList>, meanings);
    QFETCH(QList<int>, lines);

    const WordImport::Result parsed = WordImport::Read(text, u"list.txt"_s);
    QVERIFY2(parsed.problems.isEmpty(), qPrintable(parsed.problems.value(0).Message()));
    QCOMPARE(parsed.entries.size(), words.size());
    for (qsizetype i = 0; i < words.size(); ++i) {
        QCOMPARE(parsed.entries[i].word, words[i]);
        QCOMPARE(parsed.entries[i].meanings, meanings[i]);
        QCOMPARE(parsed.entries[i].line, lines[i]);
    }
}

void TestWordList::reportsFaults_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty word") << "ok\tfine\n\tmeaning\n"_ba << u"w.txt:2: the English word is empty"_s;
    QTest::newRow("empty word before semicolon") << " ; x\n"_ba << u"w.txt:1: the English word is empty"_s;
    QTest::newRow("four meanings") << "w\ta\tb\tc\td\n"_ba << u"w.txt:1: 4 meanings; at most 3 fit"_s;
    QTest::newRow("word of 36") << QByteArray(QByteArray(36, 'x') + "\tm")
                                << QString(u"w.txt:1: the word \u00AB"_s + QString(36, u'x')
                                           + u"\u00BB has 36 characters; at most 35 fit"_s);
    QTest::newRow("meaning of 36") << QByteArray("a\tb\n\nw\tm\t" + QString(36, u'я').toUtf8())
                                   << QString(u"w.txt:3: meaning 2 \u00AB"_s + QString(36, u'я')
                                              + u"\u00BB has 36 characters; at most 35 fit"_s);
    QTest::newRow("comma") << "w\tone, two\n"_ba
                           << u"w.txt:1: meaning 1 \u00ABone, two\u00BB holds a comma, which would split it in two in the dictionary"_s;
    QTest::newRow("control character") << "w\to\x01k\n"_ba
                                       << u"w.txt:1: meaning 1 \u00ABo\u0001k\u00BB holds a control character"_s;
    QTest::newRow("line separator") << "w\to\xE2\x80\xA8k\n"_ba
                                    << u"w.txt:1: meaning 1 \u00ABo\u2028k\u00BB holds a control character"_s;
    QTest::newRow("stray continuation byte") << "a\tb\nc\t\x80\n"_ba << u"w.txt:2: the text is not valid UTF-8"_s;
    QTest::newRow("sequence cut at line end") << "a\t\xD0\nb\tc\n"_ba << u"w.txt:1: the text is not valid UTF-8"_s;
    QTest::newRow("overlong form") << "a\t\xC0\xAF\n"_ba << u"w.txt:1: the text is not valid UTF-8"_s;
    // High bytes that make no Russian words are no Windows-1251 text either.
    QTest::newRow("lone Windows-1251 letters") << "cat\t\xEA\nx\ty\n"_ba << u"w.txt:1: the text is not valid UTF-8"_s;
    QTest::newRow("unassigned Windows-1251 byte")
        << "cat\t\xEA\xEE\xF2\x98\n"_ba << u"w.txt:1: the text is not valid UTF-8"_s;
}

void TestWordList::reportsFaults()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);

    const WordImport::Result parsed = WordImport::Read(text, u"w.txt"_s);
    QCOMPARE(parsed.problems.size(), 1);
    QCOMPARE(parsed.problems.first().Message(), message);
}

void TestWordList::reportsEveryFaultyLine()
{
    const QByteArray text = "good\tone\n\tno word\nx\ta\tb\tc\td\nfine\ttoo\n"_ba + QByteArray(40, 'z') + "\n"_ba;
    const WordImport::Result parsed = WordImport::Read(text, u"w.txt"_s);
    QList<int> lines;
    for (const WordListProblem &problem : parsed.problems)
        lines.append(problem.line);
    QCOMPARE(lines, (QList<int>{2, 3, 5}));
    QCOMPARE(parsed.entries.size(), 2);
}

void TestWordList::buildsEditorLines_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("meanings");
    QTest::addColumn<QString>("line");

    QTest::newRow("two meanings") << u"run"_s << QStringList{u"бежать"_s, u"управлять"_s}
                                  << u"run,бежать,управлять,"_s;
    QTest::newRow("no meaning") << u"word"_s << QStringList{} << u"word,"_s;
    QTest::newRow("gap closed") << u"w"_s << QStringList{u"a"_s, u""_s, u"c"_s} << u"w,a,c,"_s;
    QTest::newRow("trimmed, line breaks dropped") << u" w\t"_s << QStringList{u" a\r\nb "_s} << u"w,ab,"_s;
}

void TestWordList::buildsEditorLines()
{
    QFETCH(QString, word);
    QFETCH(QStringList, meanings);
    QFETCH(QString, line);
    QCOMPARE(WordList::ToDictionaryLine({word, meanings, 1}), line);
}

void TestWordList::readsDictionaryLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << u"cat,кот,кошка,"_s << u"cat\tкот\tкошка"_s;
    QTest::newRow("text after the last comma is no field") << u"cat,кот,tail"_s << u"cat\tкот"_s;
    QTest::newRow("only four fields") << u"a,b,c,d,e,"_s << u"a\tb\tc\td"_s;
    QTest::newRow("empty meaning kept") << u"a,,b,"_s << u"a\t\tb"_s;
    QTest::newRow("tab becomes a blank") << u"a\tb,c,"_s << u"a b\tc"_s;
}

void TestWordList::readsDictionaryLines()
{
    QFETCH(QString, line);
    QFETCH(QString, text);
    QCOMPARE(WordList::ToText(WordList::FromDictionaryLine(line)), text);
}

QTEST_APPLESS_MAIN(TestWordList)
#include "tst_word_list.moc"
