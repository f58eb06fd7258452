// The readers of texts, subtitles and books, each fed one small real file
// made here and hostile ones beside it.
#include "epub_maker.h"
#include "support/unprivileged.h"

#include "reading/document.h"
#include "reading/quazip_archive.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using Kind = Reading::ReadProblem::Kind;
using Reading::Format;

Q_DECLARE_METATYPE(Reading::Format)
Q_DECLARE_METATYPE(Reading::ReadProblem::Kind)

namespace {

QByteArray cp1251(const QString &text)
{
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar ch : text) {
        bytes.append(static_cast<char>(ch.unicode() & 0xFF));
        bytes.append(static_cast<char>(ch.unicode() >> 8));
    }
    return bytes;
}

const QString FirstChapter = u"<p>First chapter.</p>"_s;
const QString SecondChapter = u"<p>Second <i>chapter</i>.</p>"_s;

QByteArray book(const QList<QPair<QString, QString>> &items, const QStringList &spine,
                const QList<EpubMaker::Entry> &more = {})
{
    QList<EpubMaker::Entry> entries{{u"mimetype"_s, "application/epub+zip"},
                                    {u"META-INF/container.xml"_s, EpubMaker::container()},
                                    {u"OEBPS/content.opf"_s, EpubMaker::package(items, spine)}};
    entries += more;
    return EpubMaker::zip(entries);
}

const QList<EpubMaker::Entry> Chapters{{u"OEBPS/text/ch2.xhtml"_s, EpubMaker::chapter(SecondChapter)},
                                       {u"OEBPS/text/ch1.xhtml"_s, EpubMaker::chapter(FirstChapter)}};

} // namespace

class TestReadingFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QuaZipArchives::UseLinked(); }
    void readsEachFormat_data();
    void readsEachFormat();
    void refusesFilesBeforeReading_data();
    void refusesFilesBeforeReading();
    void refusesWhatIsNoReadableFile_data();
    void refusesWhatIsNoReadableFile();
    void stopsABookThatUnpacksTooFar();
    void stopsWhenCancelled();
};

void TestReadingFormats::readsEachFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("repeated");

    QTest::newRow("UTF-8 with a mark")
        << u"a.txt"_s << QByteArray("\xEF\xBB\xBFIt\xE2\x80\x99s a dog.\r\nNext line.") << Format::Text
        << u"It\u2019s a dog.\r\nNext line."_s << QStringList() << QStringList();
    QTest::newRow("UTF-16") << u"a.txt"_s << utf16le(u"Hello world"_s) << Format::Text << u"Hello world"_s
                            << QStringList() << QStringList();
    QTest::newRow("Windows-1251 Russian") << u"a.txt"_s << cp1251(u"Привет, world"_s) << Format::Text
                                          << u"Привет, world"_s << QStringList() << QStringList();
    QTest::newRow("8-bit English with curly quotes")
        << u"a.txt"_s << QByteArray("Don\x92t stop \x93now\x94") << Format::Text << u"Don\u2019t stop \u201Cnow\u201D"_s
        << QStringList() << QStringList();

    QTest::newRow("SubRip") << u"film.srt"_s
                            << QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\n{\\an8}<i>Hello,</i> "
                                          "<font color=\"#ffffff\">world</font>.\r\n- How are you?\r\n\r\n"
                                          "2\r\n00:00:03,000 --> 00:00:04,000\r\n1984\r\n\r\n")
                            << Format::Srt << u"Hello, world. How are you?\n1984\n"_s << QStringList() << QStringList();
    QTest::newRow("SubRip by its content") << u"film.txt"_s
                                           << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nYes.\n")
                                           << Format::Srt << u"Yes.\n"_s << QStringList() << QStringList();
    QTest::newRow("WebVTT") << u"film.vtt"_s
                            << QByteArray("WEBVTT - film\nKind: captions\n\nNOTE a comment\nspanning lines\n\n"
                                          "STYLE\n::cue { color: red }\n\nintro\n"
                                          "00:00.000 --> 00:01.000 align:start\n<v Anna>Tom &amp; Jerry</v>\n"
                                          "<c.yellow>run</c> <00:00.500>fast\n\n00:01.000 --> 00:02.000\nThe end\n")
                            << Format::WebVtt << u"Tom & Jerry run fast\nThe end\n"_s << QStringList() << QStringList();

    QTest::newRow("HTML") << u"page.html"_s
                          << QByteArray("<!DOCTYPE html><html><head><title>Title words</title>"
                                        "<style>p { color: red }</style></head><body><!-- hidden <p>x</p> -->"
                                        "<h1>Chapter&nbsp;One</h1><script>var s = \"</p><b>no</b>\"; if (a < b) {}"
                                        "</script><p>It&rsquo;s <b>bold</b> and&#8212;fine &amp; well.<br>Next</p>"
                                        "</body></html>")
                          << Format::Html << u"Chapter One\n\nIt\u2019s bold and\u2014fine & well.\n\nNext\n\n"_s
                          << QStringList() << QStringList();
    QTest::newRow("HTML declaring Windows-1251")
        << u"page.htm"_s
        << (QByteArray("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                       "</head><body><p>")
            + cp1251(u"Он сказал «yes»"_s) + QByteArray("</p></body></html>"))
        << Format::Html << u"Он сказал «yes»\n\n"_s << QStringList() << QStringList();

    const QString fictionBook = u"<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">\n"
                                "<description><title-info><book-title>Книга</book-title></title-info></description>\n"
                                "<body><title><p>Part One</p></title><section><p>The <emphasis>quick</emphasis> fox "
                                "\u2014 \u201Cran\u201D.</p><empty-line/><p>Second</p></section></body>\n"
                                "<binary id=\"cover.jpg\" content-type=\"image/jpeg\">QUFBQQ==</binary>\n"
                                "</FictionBook>\n"_s;
    QTest::newRow("FictionBook") << u"book.fb2"_s << cp1251(fictionBook) << Format::FictionBook
                                 << u"Part One\n\nThe quick fox \u2014 \u201Cran\u201D.\n\nSecond\n\n"_s << QStringList()
                                 << QStringList();

    QTest::newRow("EPUB in the spine's order")
        << u"book.epub"_s
        << book({{u"c1"_s, u"text/ch1.xhtml"_s}, {u"c2"_s, u"text/ch2.xhtml"_s}}, {u"c1"_s, u"c2"_s}, Chapters)
        << Format::Epub << u"First chapter.\n\nSecond chapter.\n\n"_s << QStringList() << QStringList();
    QTest::newRow("EPUB by its content, escaped names")
        << u"book.zip"_s
        << book({{u"c1"_s, u"text/ch%31.xhtml#start"_s}}, {u"c1"_s}, Chapters) << Format::Epub
        << u"First chapter.\n\n"_s << QStringList() << QStringList();
    QTest::newRow("EPUB with missing and looping spine entries")
        << u"book.epub"_s
        << book({{u"c1"_s, u"text/ch1.xhtml"_s}, {u"c2"_s, u"text/gone.xhtml"_s}, {u"opf"_s, u"content.opf"_s},
                 {u"up"_s, u"../../etc/passwd"_s}},
                {u"c1"_s, u"ghost"_s, u"c2"_s, u"c1"_s, u"opf"_s, u"up"_s, u"c1"_s}, Chapters)
        << Format::Epub << u"First chapter.\n\n"_s
        << QStringList{u"ghost"_s, u"OEBPS/text/gone.xhtml"_s, u"../etc/passwd"_s}
        << QStringList{u"OEBPS/text/ch1.xhtml"_s, u"OEBPS/content.opf"_s, u"OEBPS/text/ch1.xhtml"_s};
}

void TestReadingFormats::readsEachFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(Format, format);
    QFETCH(QString, text);
    QFETCH(QStringList, missing);
    QFETCH(QStringList, repeated);

    QVERIFY(!data.isEmpty());
    const Reading::ReadResult result = Reading::ReadBytes(data, name);
    QVERIFY2(!result.problem, result.problem ? qPrintable(result.problem->detail) : "");
    QVERIFY(result.document);
    QCOMPARE(result.document->format, format);
    QCOMPARE(result.document->text, text);
    QCOMPARE(result.document->missingParts, missing);
    QCOMPARE(result.document->repeatedParts, repeated);

    // The same from a file.
    QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    const Reading::ReadResult fromFile = Reading::ReadFile(file.fileName());
    QVERIFY(fromFile.document);
    QCOMPARE(fromFile.document->text, text);
}

void TestReadingFormats::refusesFilesBeforeReading_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("line");

    QTest::newRow("empty") << u"a.txt"_s << QByteArray() << Kind::Empty << 0;
    QTest::newRow("blank") << u"a.txt"_s << QByteArray(" \r\n\t\n") << Kind::NoText << 0;
    QTest::newRow("binary") << u"a.txt"_s << QByteArray("\x7F" "ELF\x02\x01\x01\x00\x00\x00", 10) << Kind::Binary << 0;
    QTest::newRow("control characters") << u"a.txt"_s << QByteArray(200, '\x01') << Kind::Binary << 0;
    QTest::newRow("PDF") << u"book.pdf"_s << QByteArray("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj") << Kind::UnknownFormat << 0;
    QTest::newRow("subtitles with no text")
        << u"film.srt"_s << QByteArray("1\n00:00:01,000 --> 00:00:02,000\n<i></i>\n") << Kind::NoText << 0;
    QTest::newRow("XML entity declarations")
        << u"book.fb2"_s
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE FictionBook [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n<FictionBook><body><p>&b;</p></body></FictionBook>")
        << Kind::XmlEntities << 4;
    QTest::newRow("damaged XML") << u"book.fb2"_s
                                 << QByteArray("<?xml version=\"1.0\"?>\n<FictionBook>\n<body><p>text</body>\n")
                                 << Kind::BadXml << 3;
    QTest::newRow("ZIP that is no book")
        << u"book.epub"_s << EpubMaker::zip({{u"notes.txt"_s, "Some words."}}) << Kind::NotEpub << 0;
    QTest::newRow("EPUB without its package")
        << u"book.epub"_s
        << EpubMaker::zip({{u"META-INF/container.xml"_s, EpubMaker::container()}, {u"OEBPS/ch1.xhtml"_s, "x"}})
        << Kind::NotEpub << 0;
    QTest::newRow("EPUB whose spine names nothing there")
        << u"book.epub"_s << book({{u"c1"_s, u"text/gone.xhtml"_s}}, {u"c1"_s, u"ghost"_s}) << Kind::NoSpine << 0;
    QTest::newRow("EPUB package declaring entities")
        << u"book.epub"_s
        << EpubMaker::zip({{u"META-INF/container.xml"_s, EpubMaker::container()},
                           {u"OEBPS/content.opf"_s, "<?xml version=\"1.0\"?>\n<!DOCTYPE package [<!ENTITY x \"y\">]>"
                                                    "<package><spine><itemref idref=\"&x;\"/></spine></package>"}})
        << Kind::XmlEntities << 2;
    const QByteArray whole =
        book({{u"c1"_s, u"text/ch1.xhtml"_s}, {u"c2"_s, u"text/ch2.xhtml"_s}}, {u"c1"_s, u"c2"_s}, Chapters);
    QTest::newRow("truncated ZIP") << u"book.epub"_s << whole.left(whole.size() / 2) << Kind::BrokenZip << 0;
}

void TestReadingFormats::refusesFilesBeforeReading()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(Kind, kind);
    QFETCH(int, line);

    const Reading::ReadResult result = Reading::ReadBytes(data, name);
    QVERIFY(!result.document);
    QVERIFY(result.problem);
    QCOMPARE(result.problem->kind, kind);
    QCOMPARE(result.problem->path, name);
    QCOMPARE(result.problem->line, line);
}

void TestReadingFormats::refusesWhatIsNoReadableFile_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<Kind>("kind");

    QTest::newRow("missing") << u"missing"_s << Kind::Missing;
    QTest::newRow("a folder") << u"folder"_s << Kind::NotAFile;
    QTest::newRow("500 MB and more") << u"huge"_s << Kind::TooLarge;
    QTest::newRow("unreadable") << u"locked"_s << Kind::Unreadable;
}

void TestReadingFormats::refusesWhatIsNoReadableFile()
{
    QFETCH(QString, entry);
    QFETCH(Kind, kind);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
    {
        // Sparse: no disk space taken, and a reader that read it would take seconds.
        QFile huge(dir.filePath(u"huge.txt"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(Reading::MaxFileSize + 1));
        QFile locked(dir.filePath(u"locked.txt"_s));
        QVERIFY(locked.open(QIODevice::WriteOnly));
        locked.write("Words.");
    }
    QVERIFY(::chmod(QFile::encodeName(dir.filePath(u"locked.txt"_s)).constData(), 0) == 0);
    Unprivileged::handOver(dir.path());
    const QString path = dir.filePath(entry == u"folder"_s || entry == u"missing"_s ? entry : entry + u".txt"_s);

    const QString failure = Unprivileged::run([&]() -> QString {
        QElapsedTimer clock;
        clock.start();
        const Reading::ReadResult result = Reading::ReadFile(path);
        if (result.document || !result.problem)
            return u"read"_s;
        if (result.problem->kind != kind)
            return u"problem %1"_s.arg(int(result.problem->kind));
        if (result.problem->path != path)
            return u"named "_s + result.problem->path;
        if (kind == Kind::TooLarge && result.problem->size != Reading::MaxFileSize + 1)
            return u"size %1"_s.arg(result.problem->size);
        if (kind == Kind::Unreadable && result.problem->error != EACCES)
            return u"error %1"_s.arg(result.problem->error);
        if (clock.elapsed() > 500)
            return u"took %1 ms"_s.arg(clock.elapsed());
        return {};
    });
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestReadingFormats::stopsABookThatUnpacksTooFar()
{
    // One chapter of a few hundred kilobytes packed, 200 MB and a bit unpacked.
    QByteArray huge = EpubMaker::chapter(u"<p>"_s + QString(1024, u'a') + u"</p>"_s);
    huge.append(QByteArray(Reading::MaxTextBytes, ' '));
    const QByteArray bomb = book({{u"c1"_s, u"text/ch1.xhtml"_s}, {u"c2"_s, u"text/ch2.xhtml"_s}},
                                 {u"c1"_s, u"c2"_s},
                                 {{u"OEBPS/text/ch1.xhtml"_s, EpubMaker::chapter(FirstChapter)},
                                  {u"OEBPS/text/ch2.xhtml"_s, huge}});
    huge = QByteArray();
    QVERIFY(bomb.size() < 1024 * 1024);
    const Reading::ReadResult result = Reading::ReadBytes(bomb, u"bomb.epub"_s);
    QVERIFY(!result.document);
    QVERIFY(result.problem);
    QCOMPARE(result.problem->kind, Kind::TextLimit);
    QCOMPARE(result.problem->detail, u"OEBPS/text/ch2.xhtml"_s);
}

void TestReadingFormats::stopsWhenCancelled()
{
    const QByteArray data =
        book({{u"c1"_s, u"text/ch1.xhtml"_s}, {u"c2"_s, u"text/ch2.xhtml"_s}}, {u"c1"_s, u"c2"_s}, Chapters);
    int calls = 0;
    const Reading::ReadResult result = Reading::ReadBytes(data, u"book.epub"_s, [&](int) { return ++calls < 2; });
    QVERIFY(!result.document);
    QCOMPARE(result.problem->kind, Kind::Cancelled);
    QCOMPARE(calls, 2);
}

QTEST_GUILESS_MAIN(TestReadingFormats)
#include "tst_reading_formats.moc"
