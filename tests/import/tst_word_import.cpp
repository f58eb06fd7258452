#include "dict/cp1251.h"
#include "import/csv_export.h"
#include "import/word_import.h"
#include "tools/folder_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Format = WordImport::Format;
using Encoding = TextDecoding::Encoding;

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

QByteArray cp1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar ch : text) {
        const std::optional<unsigned char> byte = Cp1251::fromUnicode(ch.unicode());
        bytes.append(static_cast<char>(byte.value_or('?')));
    }
    return bytes;
}

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar ch : text)
        bytes.append(static_cast<char>(ch.unicode() & 0xFF)).append(static_cast<char>(ch.unicode() >> 8));
    return bytes;
}

QStringList storedLines(const WordImport::Result &result)
{
    return WordList::ToDictionaryLines(result.entries);
}

QList<int> entryLines(const WordImport::Result &result)
{
    QList<int> lines;
    for (const WordEntry &entry : result.entries)
        lines.append(entry.line);
    return lines;
}

QStringList messages(const WordImport::Result &result)
{
    QStringList texts;
    for (const WordListProblem &problem : result.problems)
        texts.append(problem.Message());
    return texts;
}

const QByteArray KvtmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">\n"
    "<kvtml version=\"2.0\">\n"
    " <information>\n"
    "  <generator>hand</generator>\n"
    "  <title>Animals</title>\n"
    " </information>\n"
    " <identifiers>\n"
    "  <identifier id=\"0\">\n"
    "   <name>Русский</name>\n"
    "   <locale>ru</locale>\n"
    "  </identifier>\n"
    "  <identifier id=\"1\">\n"
    "   <name>English</name>\n"
    "   <locale>en_GB</locale>\n"
    "  </identifier>\n"
    " </identifiers>\n"
    " <entries>\n"_ba;

} // namespace

class TestWordImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsEveryFormat_data();
    void readsEveryFormat();
    void reportsFaultsWithTheirLines_data();
    void reportsFaultsWithTheirLines();
    void readsFilesByName();
    void tellsColumnNamesFromWords_data();
    void tellsColumnNamesFromWords();
    void exportOpensInSpreadsheetsAndReadsBack();
};

void TestWordImport::readsEveryFormat_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("from"); // the line each word began on
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("delimiter");

    // As a spreadsheet saves it: quotes only where needed, a cell with line
    // breaks (one meaning a line), doubled quotes, CR LF.
    QTest::newRow("quoted CSV with line breaks")
        << utf8(u"cat,\"кот\r\nкошка\"\r\n"
                "\"say \"\"hi\"\"\",сказать привет\r\n"
                "\"look\r\nup\",искать\r\n"
                "\"bank\",\"берег\",\"банк\"\r\n"
                "run,бежать,\r\n"_s)
        << u"words.csv"_s
        << QStringList{u"cat,кот,кошка,"_s, u"say \"hi\",сказать привет,"_s, u"look up,искать,"_s,
                       u"bank,берег,банк,"_s, u"run,бежать,"_s}
        << QList<int>{1, 3, 4, 6, 7} << int(Format::Text) << int(Encoding::Utf8) << u","_s;

    // An older spreadsheet under a Russian locale: Windows-1251, ';' between
    // fields, a row of column names, empty trailing cells.
    QTest::newRow("Windows-1251 CSV")
        << cp1251(u"Английский;Русский;;\r\n"
                  "hedgehog;ёж;;\r\n"
                  "\"tree; wood\";дерево;древесина;\r\n"
                  "Moscow;Москва;;\r\n"_s)
        << u"old.csv"_s << QStringList{u"hedgehog,ёж,"_s, u"tree; wood,дерево,древесина,"_s, u"Moscow,Москва,"_s}
        << QList<int>{2, 3, 4} << int(Format::Text) << int(Encoding::Cp1251) << u";"_s;

    QTest::newRow("UTF-8 CSV with byte order mark")
        << QByteArray("\xEF\xBB\xBF" + utf8(u"tea;чай\r\n"_s)) << u"mark.csv"_s << QStringList{u"tea,чай,"_s}
        << QList<int>{1} << int(Format::Text) << int(Encoding::Utf8WithMark) << u";"_s;

    // A flashcard deck exported as notes in plain text.
    QTest::newRow("flashcard export with HTML and sounds")
        << utf8(u"#separator:tab\n"
                "#html:true\n"
                "#tags column:3\n"
                "<b>cat</b> [sound:cat_1.mp3]\tкот<br>кошка\tanimals pets\n"
                "to&nbsp;run\t<div>бежать</div><div>управлять</div>\tverbs\n"
                "&quot;quote&quot;\tцитата &amp; ссылка [sound:q.ogg]\t\n"
                "\"<i>mouse</i>\"\t\"мышь<br/>\n[sound:m.mp3]\"\tanimals\n"_s)
        << u"deck.txt"_s
        << QStringList{u"cat,кот,кошка,"_s, u"to run,бежать,управлять,"_s, u"\"quote\",цитата & ссылка,"_s,
                       u"mouse,мышь,"_s}
        << QList<int>{4, 5, 6, 7} << int(Format::FlashcardText) << int(Encoding::Utf8) << u"\t"_s;

    QTest::newRow("flashcard export with comma separator and id column")
        << utf8(u"#separator:comma\n#html:false\n#guid column:1\nAb12,<b>bold</b>,жирный\n"_s) << u"notes.txt"_s
        << QStringList{u"<b>bold</b>,жирный,"_s} << QList<int>{4} << int(Format::FlashcardText)
        << int(Encoding::Utf8) << u","_s;

    // Term and definition, a tab between them, a card a line.
    QTest::newRow("term and definition export")
        << utf8(u"apple\tяблоко\r\nhouse\tдом\r\nthe weather\tпогода\r\n"_s) << u"set.txt"_s
        << QStringList{u"apple,яблоко,"_s, u"house,дом,"_s, u"the weather,погода,"_s} << QList<int>{1, 2, 3}
        << int(Format::Text) << int(Encoding::Utf8) << u"\t"_s;

    QTest::newRow("Russian first")
        << utf8(u"кот\tcat\nбежать;управлять;run\nдом;house\n"_s) << u"ru.txt"_s
        << QStringList{u"cat,кот,"_s, u"run,бежать,управлять,"_s, u"house,дом,"_s} << QList<int>{1, 2, 3}
        << int(Format::Text) << int(Encoding::Utf8) << u"\t"_s;

    QTest::newRow("Russian first CSV")
        << utf8(u"\"кошка\",\"cat\"\n\"2\",\"собака\",\"dog\"\n"_s) << u"ru.csv"_s
        << QStringList{u"cat,кошка,"_s, u"2,собака,dog,"_s} << QList<int>{1, 2} << int(Format::Text)
        << int(Encoding::Utf8) << u","_s;

    QTest::newRow("Unicode text of a spreadsheet")
        << utf16le(u"Word\tПеревод\r\nsun\tсолнце\r\n"_s) << u"unicode.txt"_s << QStringList{u"sun,солнце,"_s}
        << QList<int>{2} << int(Format::Text) << int(Encoding::Utf16) << u"\t"_s;

    QTest::newRow("KVTML with two identifiers")
        << QByteArray(KvtmlHead + u"  <entry id=\"0\">\n"
                                   "   <translation id=\"0\">\n"
                                   "    <text>кот, кошка</text>\n"
                                   "   </translation>\n"
                                   "   <translation id=\"1\">\n"
                                   "    <text>cat</text>\n"
                                   "   </translation>\n"
                                   "  </entry>\n"
                                   "  <entry id=\"1\">\n"
                                   "   <translation id=\"1\">\n"
                                   "    <text>run</text>\n"
                                   "    <comment>a verb</comment>\n"
                                   "   </translation>\n"
                                   "   <translation id=\"0\">\n"
                                   "    <text>бежать; управлять / работать</text>\n"
                                   "   </translation>\n"
                                   "  </entry>\n"
                                   "  <entry id=\"2\">\n"
                                   "   <translation id=\"1\">\n"
                                   "    <text>platypus</text>\n"
                                   "   </translation>\n"
                                   "  </entry>\n"
                                   " </entries>\n"
                                   "</kvtml>\n"_s.toUtf8())
        << u"animals.kvtml"_s
        << QStringList{u"cat,кот,кошка,"_s, u"run,бежать,управлять,работать,"_s, u"platypus,"_s}
        << QList<int>{19, 27, 36} << int(Format::Kvtml) << int(Encoding::Utf8) << u"\t"_s;
}

void TestWordImport::readsEveryFormat()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, name);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, from);
    QFETCH(int, format);
    QFETCH(int, encoding);
    QFETCH(QString, delimiter);

    const WordImport::Result result = WordImport::Read(data, name);
    QVERIFY2(result.problems.isEmpty(), qPrintable(messages(result).join(u'\n')));
    QCOMPARE(storedLines(result), lines);
    QCOMPARE(entryLines(result), from);
    QCOMPARE(int(result.format), format);
    if (result.format != Format::Kvtml) {
        QCOMPARE(int(result.encoding), encoding);
        QCOMPARE(QString(result.delimiter), delimiter);
    }
}

void TestWordImport::reportsFaultsWithTheirLines_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("problems");

    const QString long36 = QString(36, u'ж');
    QTest::newRow("long meaning after a record of two lines")
        << utf8(u"a,\"x\ny\"\nb,ok\nc,"_s + long36 + u"\n"_s) << u"w.csv"_s
        << QStringList{u"w.csv:4: meaning 1 «"_s + long36 + u"» has 36 characters; at most 35 fit"_s};
    QTest::newRow("comma inside a quoted meaning")
        << utf8(u"dog,собака\ncat,\"кот, кошка\"\n"_s) << u"w.csv"_s
        << QStringList{u"w.csv:2: meaning 1 «кот, кошка» holds a comma, which would split it in two in the dictionary"_s};
    QTest::newRow("four meanings from a cell of four lines")
        << utf8(u"go;\"идти\nехать\nходить\nпойти\"\n"_s) << u"w.csv"_s
        << QStringList{u"w.csv:1: 4 meanings; at most 3 fit"_s};
    QTest::newRow("quote never closed")
        << utf8(u"one;один\n\"two;два\nthree;три\n"_s) << u"w.csv"_s
        << QStringList{u"w.csv:2: a quoted field that begins here is never closed"_s};
    QTest::newRow("every faulty line, in order")
        << utf8(u"#separator:semicolon\n;нет слова\nok;да\nx;a;b;c;d\n"_s) << u"w.txt"_s
        << QStringList{u"w.txt:2: the English word is empty"_s, u"w.txt:4: 4 meanings; at most 3 fit"_s};
    QTest::newRow("half a surrogate pair in UTF-16")
        << QByteArray("\xFF\xFE" "a\0\t\0b\0\n\0c\0\t\0\x00\xD8\n\0", 18) << u"u.txt"_s
        << QStringList{u"u.txt:2: the text is not valid UTF-16"_s};
    QTest::newRow("binary file") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << u"p.png"_s
                                 << QStringList{u"p.png: not a text file"_s};
    QTest::newRow("KVTML meaning too long")
        << QByteArray(KvtmlHead + u"  <entry id=\"0\">\n"
                                   "   <translation id=\"1\"><text>word</text></translation>\n"
                                   "   <translation id=\"0\"><text>"_s.toUtf8()
                      + long36.toUtf8() + "</text></translation>\n  </entry>\n </entries>\n</kvtml>\n")
        << u"a.kvtml"_s << QStringList{u"a.kvtml:19: meaning 1 «"_s + long36 + u"» has 36 characters; at most 35 fit"_s};
    QTest::newRow("KVTML four meanings")
        << QByteArray(KvtmlHead + "  <entry id=\"0\">\n   <translation id=\"1\"><text>get</text></translation>\n"
                      + "   <translation id=\"0\"><text>"_ba + utf8(u"получать/брать/доставать/понимать"_s)
                      + "</text></translation>\n  </entry>\n </entries>\n</kvtml>\n")
        << u"a.kvtml"_s << QStringList{u"a.kvtml:19: 4 meanings; at most 3 fit"_s};
    QTest::newRow("KVTML with a broken tag")
        << QByteArray(KvtmlHead + "  <entry id=\"0\">\n   <translation id=\"1\"><text>get</txt></translation>\n")
        << u"a.kvtml"_s
        << QStringList{u"a.kvtml:20: the XML is not well-formed: Opening and ending tag mismatch."_s};
    QTest::newRow("KVTML without Russian")
        << "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><identifiers>"
           "<identifier id=\"0\"><locale>en</locale></identifier><identifier id=\"1\"><locale>de</locale></identifier>"
           "<identifier id=\"2\"><locale>fr</locale></identifier></identifiers><entries/></kvtml>"_ba
        << u"de.xml"_s
        << QStringList{u"de.xml: no English and Russian languages among the identifiers (locales en and ru)"_s};
    QTest::newRow("XML that is not KVTML")
        << "<?xml version=\"1.0\"?>\n<html><p>kvtml</p></html>"_ba << u"page.kvtml"_s
        << QStringList{u"page.kvtml:2: an XML file, but not KVTML"_s};
}

void TestWordImport::reportsFaultsWithTheirLines()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, name);
    QFETCH(QStringList, problems);

    const WordImport::Result result = WordImport::Read(data, name);
    QCOMPARE(messages(result), problems);
}

void TestWordImport::tellsColumnNamesFromWords_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("heading");
    QTest::newRow("English, Russian") << QStringList{u"English"_s, u"Russian"_s} << true;
    QTest::newRow("Russian names, empty cells") << QStringList{u" Слово "_s, u"Перевод"_s, u""_s} << true;
    QTest::newRow("front and back") << QStringList{u"Front"_s, u"Back"_s, u"Translation"_s} << true;
    QTest::newRow("a word and its translation") << QStringList{u"word"_s, u"слово"_s} << false;
    QTest::newRow("the language and its name") << QStringList{u"English"_s, u"английский"_s} << false;
    QTest::newRow("one name only") << QStringList{u"English"_s} << false;
    QTest::newRow("a real word among names") << QStringList{u"English"_s, u"кот"_s} << false;
}

void TestWordImport::tellsColumnNamesFromWords()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, heading);
    QCOMPARE(WordImport::IsHeadingRow(fields), heading);
}

void TestWordImport::readsFilesByName()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    // Lexomat's own dictionaries, stored form and all.
    const QString dictionary = dir.filePath(u"tom_7.wrd"_s);
    writeDictionary(dictionary, {u"cat,кот,кошка,"_s, u""_s, u"run,бежать,tail"_s});
    const WordImport::Result words = WordImport::ReadFile(dictionary);
    QVERIFY(words.problems.isEmpty());
    QCOMPARE(int(words.format), int(Format::Dictionary));
    QCOMPARE(storedLines(words), (QStringList{u"cat,кот,кошка,"_s, u"run,бежать,"_s}));
    QCOMPARE(entryLines(words), (QList<int>{1, 3}));

    const WordImport::Result missing = WordImport::ReadFile(dir.filePath(u"gone.csv"_s));
    QCOMPARE(missing.problems.size(), 1);
    QCOMPARE(missing.problems.first().kind, WordListProblem::Kind::Unreadable);
    QCOMPARE(WordImport::ReadFile(dir.path()).problems.first().kind, WordListProblem::Kind::Unreadable);

    QFile big(dir.filePath(u"big.csv"_s));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(WordImport::MaxFileSize + 1));
    big.close();
    QCOMPARE(WordImport::ReadFile(big.fileName()).problems.first().kind, WordListProblem::Kind::TooLarge);
}

void TestWordImport::exportOpensInSpreadsheetsAndReadsBack()
{
    const QStringList lines{u"cat,кот,кошка,"_s,   u"say \"hi\",сказать привет,"_s, u"tree; wood,дерево,"_s,
                            u"alone,"_s,            u",no word,"_s,                   u"a,,b,"_s,
                            u"run,бежать,управлять,работать,идти,"_s, u"#tag,хэштег,"_s};
    const QByteArray csv = CsvExport::Encode(lines);
    QCOMPARE(csv, QByteArray("\xEF\xBB\xBF"
                             + utf8(u"cat;кот;кошка\r\n"
                                    "\"say \"\"hi\"\"\";сказать привет\r\n"
                                    "\"tree; wood\";дерево\r\n"
                                    "alone\r\n"
                                    "a;;b\r\n"
                                    "run;бежать;управлять;работать\r\n"
                                    "\"#tag\";хэштег\r\n"_s)));
    QCOMPARE(CsvExport::RowCount(lines), 7);

    const WordImport::Result back = WordImport::Read(csv, u"export.csv"_s);
    QVERIFY(back.problems.isEmpty());
    QCOMPARE(storedLines(back), (QStringList{u"cat,кот,кошка,"_s, u"say \"hi\",сказать привет,"_s,
                                             u"tree; wood,дерево,"_s, u"alone,"_s, u"a,b,"_s,
                                             u"run,бежать,управлять,работать,"_s, u"#tag,хэштег,"_s}));
    // A first word that begins with '#' is no header line when read back.
    QCOMPARE(storedLines(WordImport::Read(CsvExport::Encode({u"#separator:tab,x,"_s}), u"e.csv"_s)),
             QStringList{u"#separator:tab,x,"_s});
    QCOMPARE(CsvExport::Encode({}), QByteArray("\xEF\xBB\xBF"));
}

QTEST_APPLESS_MAIN(TestWordImport)
#include "tst_word_import.moc"
