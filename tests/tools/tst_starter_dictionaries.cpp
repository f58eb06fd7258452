// The starter dictionaries as the build writes them, and the word lists they
// come from.

#include "dict/word_file.h"
#include "dict/word_store.h"
#include "tools/wrd/word_list.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString StarterDir = QStringLiteral(STARTER_DIR);
const QString ListsDir = QStringLiteral(STARTER_LISTS_DIR);

QStringList listFiles()
{
    return QDir(ListsDir).entryList({u"*.txt"_s}, QDir::Files, QDir::Name);
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
    QVERIFY2(file.lines.size() >= 60 && file.lines.size() <= 69, qPrintable(QString::number(file.lines.size())));
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
    const WordList::Parsed parsed = WordList::Parse(text.readAll(), list);
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
