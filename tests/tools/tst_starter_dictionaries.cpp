// The starter dictionaries as the build writes them, and the word lists they
// come from.

#include "dict/word_file.h"
#include "dict/word_store.h"
#include "import/word_import.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString StarterDir = QStringLiteral(STARTER_DIR);
const QString ListsDir = QStringLiteral(STARTER_LISTS_DIR);

// The course's size: dictionaries that are playable and keep room for the
// learner's own words, about 3000 words in all.
constexpr int MinListWords = 65;
constexpr int MaxListWords = 66;
constexpr int MinCourseWords = 2900;
constexpr int MaxCourseWords = 3000;

QStringList listFiles()
{
    return QDir(ListsDir).entryList({u"[0-9][0-9].txt"_s}, QDir::Files, QDir::Name);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The English words of the lists in their order, in lower case.
QStringList courseWords()
{
    QStringList words;
    for (const QString &name : listFiles()) {
        const WordImport::Result parsed = WordImport::Read(readAll(ListsDir + u'/' + name), name);
        for (const WordEntry &entry : parsed.entries)
            words.append(entry.word.toLower());
    }
    return words;
}

QString dictionaryPath(qsizetype number)
{
    return StarterDir + u"/tom_"_s + QString::number(number) + u".wrd"_s;
}

} // namespace

class TestStarterDictionaries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyListBecameOneDictionary();
    void courseHasItsSize();
    void listIsTidyText_data();
    void listIsTidyText();
    void storedCoverageMeetsTheGoals();
    void dictionaryIsSound_data();
    void dictionaryIsSound();
    void dictionaryHoldsItsList_data();
    void dictionaryHoldsItsList();
    void noWordTwice();
};

void TestStarterDictionaries::everyListBecameOneDictionary()
{
    const QStringList lists = listFiles();
    QVERIFY(lists.size() >= 10);
    QStringList expected;
    for (qsizetype n = 0; n < lists.size(); ++n)
        expected.append(u"tom_"_s + QString::number(n) + u".wrd"_s);
    QStringList present = QDir(StarterDir).entryList(QDir::Files);
    present.sort();
    expected.sort();
    QCOMPARE(present, expected);
}

void TestStarterDictionaries::courseHasItsSize()
{
    const QStringList lists = listFiles();
    QVERIFY2(lists.size() >= 40 && lists.size() <= 50, qPrintable(QString::number(lists.size())));
    for (qsizetype n = 0; n < lists.size(); ++n)
        QCOMPARE(lists[n], QString(u"%1.txt"_s.arg(n + 1, 2, 10, QChar(u'0'))));
    const qsizetype words = courseWords().size();
    QVERIFY2(words >= MinCourseWords && words <= MaxCourseWords, qPrintable(QString::number(words)));
}

void TestStarterDictionaries::listIsTidyText_data()
{
    QTest::addColumn<QString>("list");
    for (const QString &name : listFiles())
        QTest::newRow(qPrintable(name)) << name;
}

// The lists are read by people as well as by the build: one word a line,
// fields between single tabs, nothing the import would quietly tidy away.
void TestStarterDictionaries::listIsTidyText()
{
    QFETCH(QString, list);
    const QByteArray data = readAll(ListsDir + u'/' + list);
    QVERIFY(!data.startsWith("\xEF\xBB\xBF"));
    QVERIFY(data.endsWith('\n'));
    QVERIFY(!data.contains('\r'));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(data);
    QVERIFY(!decoder.hasError());

    static const QRegularExpression english(u"^[A-Za-z]([A-Za-z' -]*[A-Za-z])?$"_s);
    static const QRegularExpression russian(u"^[А-яЁё]([А-яЁё -]*[А-яЁё])?$"_s);
    const QStringList lines = text.chopped(1).split(u'\n');
    QVERIFY2(lines.size() >= MinListWords && lines.size() <= MaxListWords, qPrintable(QString::number(lines.size())));
    for (const QString &line : lines) {
        const QStringList fields = line.split(u'\t');
        QVERIFY2(fields.size() >= 2 && fields.size() <= 1 + WordList::MaxMeanings, qPrintable(line));
        QVERIFY2(english.match(fields.first()).hasMatch(), qPrintable(line));
        const QStringList meanings = fields.mid(1);
        QCOMPARE(QSet<QString>(meanings.cbegin(), meanings.cend()).size(), meanings.size());
        for (const QString &field : fields) {
            QVERIFY2(field.size() <= WordList::MaxFieldLength, qPrintable(line));
            QVERIFY2(!field.contains(u',') && !field.contains(u';') && !field.contains(u"  "_s), qPrintable(line));
        }
        for (const QString &meaning : meanings)
            QVERIFY2(russian.match(meaning).hasMatch(), qPrintable(line));
    }
}

// The coverage of the most frequent English words is measured when the
// lists are made (tools/starter) and stored beside them with the words it
// was measured for.
void TestStarterDictionaries::storedCoverageMeetsTheGoals()
{
    const QString stored = QString::fromUtf8(readAll(ListsDir + u"/coverage.txt"_s));
    QVERIFY(!stored.isEmpty());
    QHash<QString, QString> values;
    QHash<QString, QList<QStringList>> measures; // base or forms -> top, covered, percent
    for (const QString &line : stored.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        QVERIFY2(fields.size() >= 2, qPrintable(line));
        if (fields.first() == u"base"_s || fields.first() == u"forms"_s)
            measures[fields.first()].append(fields.mid(1));
        else
            values.insert(fields.first(), fields.at(1));
    }

    const QStringList words = courseWords();
    QCOMPARE(values.value(u"lists"_s), QString::number(listFiles().size()));
    QCOMPARE(values.value(u"words"_s), QString::number(words.size()));
    const QByteArray digest =
        QCryptographicHash::hash(QString(words.join(u'\n') + u'\n').toUtf8(), QCryptographicHash::Sha256).toHex();
    QVERIFY2(values.value(u"digest"_s) == QString::fromLatin1(digest),
             "the lists changed since their coverage was measured: run tools/starter/starter.js check --write");

    const QHash<int, double> goals{{2000, 95.0}, {3000, 90.0}};
    for (const QString &measure : {u"base"_s, u"forms"_s}) {
        QSet<int> met;
        for (const QStringList &figures : measures.value(measure)) {
            QCOMPARE(figures.size(), 3);
            const int top = figures[0].toInt();
            const int covered = figures[1].toInt();
            QVERIFY(covered >= 0 && covered <= top);
            QCOMPARE(figures[2].toDouble(), std::floor(covered * 1000.0 / top) / 10.0);
            if (goals.contains(top)) {
                QVERIFY2(covered * 100.0 / top >= goals.value(top), qPrintable(measure + u' ' + figures.join(u' ')));
                met.insert(top);
            }
        }
        QCOMPARE(met.size(), goals.size());
    }
}

void TestStarterDictionaries::dictionaryIsSound_data()
{
    QTest::addColumn<QString>("path");
    for (qsizetype n = 0; n < listFiles().size(); ++n)
        QTest::addRow("tom_%lld", static_cast<long long>(n)) << dictionaryPath(n);
}

void TestStarterDictionaries::dictionaryIsSound()
{
    QFETCH(QString, path);
    const WordFile file(path);
    QCOMPARE(file.status, WordFile::Playable);
    QVERIFY2(file.lines.size() >= MinListWords && file.lines.size() <= MaxListWords,
             qPrintable(QString::number(file.lines.size())));
    QVERIFY(file.undecoded.isEmpty());

    // A mixed-up keyboard layout shows as a Latin letter in a Russian word or
    // the other way round.
    static const QRegularExpression english(u"^[A-Za-z][A-Za-z' -]*$"_s);
    static const QRegularExpression russian(u"^[А-яЁё][А-яЁё -]*$"_s);
    QHash<QString, QString> shownPairs; // the board shows meanings 1 and 2
    for (const QString &line : file.lines) {
        QVERIFY2(line.endsWith(u','), qPrintable(line));
        const qsizetype fields = line.count(u',');
        QVERIFY2(fields >= 2 && fields <= 4, qPrintable(line));
        BWORDW record;
        record.ParseLine(u',', line);
        QCOMPARE(record.filled, static_cast<std::uint32_t>(fields));
        for (int i = 0; i < fields; ++i) {
            const QString field = record.FieldText(i);
            QVERIFY2(!field.isEmpty() && field.size() <= WordList::MaxFieldLength, qPrintable(line));
            QVERIFY2(field == field.trimmed(), qPrintable(line));
            QVERIFY2((i == 0 ? english : russian).match(field).hasMatch(), qPrintable(line));
        }
        const QString pair = record.FieldText(1) + u'|' + record.FieldText(2);
        QVERIFY2(!shownPairs.contains(pair), qPrintable(line + u" / "_s + shownPairs.value(pair)));
        shownPairs.insert(pair, line);
    }
}

void TestStarterDictionaries::dictionaryHoldsItsList_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("path");
    const QStringList lists = listFiles();
    for (qsizetype n = 0; n < lists.size(); ++n)
        QTest::newRow(qPrintable(lists[n])) << QString(ListsDir + u'/' + lists[n]) << dictionaryPath(n);
}

void TestStarterDictionaries::dictionaryHoldsItsList()
{
    QFETCH(QString, list);
    QFETCH(QString, path);
    QFile text(list);
    QVERIFY(text.open(QIODevice::ReadOnly));
    const WordImport::Result parsed = WordImport::Read(text.readAll(), list);
    QVERIFY2(parsed.problems.isEmpty(), qPrintable(parsed.problems.value(0).Message()));

    QStringList expected;
    for (const WordEntry &entry : parsed.entries)
        expected.append(WordList::ToDictionaryLine(entry));
    QCOMPARE(WordFile(path).lines, expected);
}

void TestStarterDictionaries::noWordTwice()
{
    QHash<QString, QString> seen; // word in lower case -> where it is
    for (qsizetype n = 0; n < listFiles().size(); ++n) {
        const WordFile file(dictionaryPath(n));
        for (const QString &line : file.lines) {
            const QString word = WordList::FromDictionaryLine(line).word.toLower();
            const QString where = QFileInfo(file.path).fileName();
            QVERIFY2(!seen.contains(word), qPrintable(word + u" in "_s + seen.value(word) + u" and "_s + where));
            seen.insert(word, where);
        }
    }
}

QTEST_APPLESS_MAIN(TestStarterDictionaries)
#include "tst_starter_dictionaries.moc"
