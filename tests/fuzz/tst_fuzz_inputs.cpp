// Replays the fuzz targets' seed corpus and every input that once made a
// target fail, through the same checks, in the normal build.
#include "fuzz_checks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFuzzInputs : public QObject
{
    Q_OBJECT

private:
    static void addRows(const QString &target)
    {
        int rows = 0;
        for (const char *kind : {"corpus", "regressions"}) {
            const QString folder = QStringLiteral(FUZZ_DATA_DIR) + u'/' + QLatin1String(kind) + u'/' + target;
            QDirIterator it(folder, QDir::Files);
            while (it.hasNext()) {
                const QString file = it.next();
                QTest::newRow(qPrintable(QString(QLatin1String(kind) + u'/' + QFileInfo(file).fileName()))) << file;
                ++rows;
            }
        }
        QVERIFY2(rows > 0, "no inputs found");
    }

    static QByteArray contents(const QString &file)
    {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(file));
        return in.readAll();
    }

    QTemporaryDir m_work;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_work.isValid()); }

    void wordFile_data()
    {
        QTest::addColumn<QString>("file");
        addRows(u"word_file"_s);
    }
    void wordFile()
    {
        QFETCH(QString, file);
        const QString problem = FuzzChecks::wordFileRoundTrip(contents(file), m_work.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void wordRecords_data()
    {
        QTest::addColumn<QString>("file");
        addRows(u"word_records"_s);
    }
    void wordRecords()
    {
        QFETCH(QString, file);
        const QString problem = FuzzChecks::wordRecords(contents(file));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void wordImport_data()
    {
        QTest::addColumn<QString>("file");
        addRows(u"word_import"_s);
    }
    void wordImport()
    {
        QFETCH(QString, file);
        const QString problem = FuzzChecks::wordImport(contents(file));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void dictdReader_data()
    {
        QTest::addColumn<QString>("file");
        addRows(u"dictd_reader"_s);
    }
    void dictdReader()
    {
        QFETCH(QString, file);
        const QString problem = FuzzChecks::dictdReader(contents(file));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void readingText_data()
    {
        QTest::addColumn<QString>("file");
        addRows(u"reading_text"_s);
    }
    void readingText()
    {
        QFETCH(QString, file);
        const QString problem = FuzzChecks::readingText(contents(file));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void folderNames_data()
    {
        QTest::addColumn<QString>("file");
        addRows(u"folder_names"_s);
    }
    void folderNames()
    {
        QFETCH(QString, file);
        const QString problem = FuzzChecks::folderNames(contents(file), m_work.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestFuzzInputs)
#include "tst_fuzz_inputs.moc"
