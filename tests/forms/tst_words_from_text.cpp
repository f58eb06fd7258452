// Words from a text on the dictionaries tab as a learner gets them: a file
// dropped onto the tab or text from the clipboard, the preview worked on a
// worker thread, and the dictionaries "Создать словари" writes.
#include "main_window_fixture.h"
#include "modal_answer.h"

#include "dict/dict_library.h"
#include "forms/import_dialog.h"
#include "forms/words_preview.h"
#include "reading/epub_maker.h"
#include "reading/quazip_archive.h"
#include "tools/folder_files.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// 37 running words: 14 function words, "Mr" and "Bilbo" names, "river" and
// "house" twice each in the folder: 20 known, 54.0 %. New: child, run,
// goose, mouse and "glorp" (which no dictionary has) twice each, be, fast,
// other, see, swim, hide and stand once each. 95 % of 37 is 35.15: 20 + 5 × 2
// + 6 = 36 takes eleven words; 98 % (36.26) all twelve.
const QByteArray Story = "The children were running to the river. A child ran faster than the others.\n"
                         "They saw geese and mice by the houses. The geese swam; the mice hid.\n\n"
                         "Mr. Bilbo's house stood near the river. Glorp, glorp!\n";

class Tab : public MainWindowFixture
{
public:
    bool show()
    {
        TForm1 &window = open();
        window.show();
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        return true;
    }

    QString filePath(const QString &name) const { return QDir(folder()).filePath(name); }
    QString dictFolder() const { return QDir(folder()).filePath(u"dict"_s); }

    QString write(const QString &name, const QByteArray &data) const
    {
        QFile file(filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
        return file.fileName();
    }

    bool drop(const QString &path) const
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QWidget *page = child<QWidget>("TabSheet2");
        const QPoint at = page->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &drop);
        return enter.isAccepted() && drop.isAccepted();
    }

    QStringList rows() const
    {
        QStringList texts;
        const auto *list = child<QTreeWidget>("ListView1");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(0);
        return texts;
    }
};

template <typename T>
T *part(QDialog *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

bool waitForAnalysis(TWordsPreview *preview)
{
    return QTest::qWaitFor([preview] { return !preview->IsWorking(); }, 20000);
}

QTreeWidgetItem *row(QTreeWidget *list, const QString &word)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(1) == word)
            return list->topLevelItem(i);
    }
    return nullptr;
}

} // namespace

class TestWordsFromText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QuaZipArchives::UseLinked(); }
    void dropGoesToTheRightWindow_data();
    void dropGoesToTheRightWindow();
    void makesPlayableDictionariesOfTheChosenWords();
    void stoppingOrClosingWritesNothing_data();
    void stoppingOrClosingWritesNothing();
    void aBadFileIsNamedAndNothingWritten();
    void readsTheClipboardFromTheMenu();
};

void TestWordsFromText::dropGoesToTheRightWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("preview"); // else the import

    QTest::newRow("subtitles") << u"film.srt"_s << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nHello.\n") << true;
    QTest::newRow("prose in a text file") << u"story.txt"_s << Story << true;
    QTest::newRow("a book") << u"book.epub"_s << EpubMaker::zip({{u"mimetype"_s, "application/epub+zip"}}) << true;
    QTest::newRow("a word list in a text file") << u"list.txt"_s
                                                << QByteArray("cat\tкошка\ndog\tсобака\nsun\tсолнце\n") << false;
    QTest::newRow("a word list of sentences")
        << u"phrases.txt"_s << QByteArray("look after;присматривать за кем-то долгое время\n") << false;
    QTest::newRow("a spreadsheet") << u"words.csv"_s << QByteArray("cat;кошка\n") << false;
}

void TestWordsFromText::dropGoesToTheRightWindow()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(bool, preview);

    Tab tab;
    tab.writeDictionary(0, 8);
    QVERIFY(tab.show());
    const QString path = tab.write(name, data);
    QString shown;
    bool found = false;
    answerNextModal<QDialog>(
        [&shown](QDialog *dialog) {
            shown = QString::fromLatin1(dialog->metaObject()->className());
            if (auto *words = qobject_cast<TWordsPreview *>(dialog))
                waitForAnalysis(words);
            dialog->reject();
        },
        &found);
    QVERIFY(tab.drop(path));
    QTRY_VERIFY(found);
    QCOMPARE(shown, preview ? u"TWordsPreview"_s : u"TImportDialog"_s);
}

void TestWordsFromText::makesPlayableDictionariesOfTheChosenWords()
{
    Tab tab;
    writeDictionary(tab.dictPath(0), {u"river,река,"_s, u"house,дом,"_s});
    tab.writeDictionary(2, 8);
    QVERIFY(tab.show());
    const QMap<QString, QByteArray> before = snapshot(tab.dictFolder());
    const QString story = tab.write(u"story.txt"_s, Story);

    struct Seen
    {
        QString coverage;
        QString plan;
        int ticked = 0;
        int withMeanings = 0;
        int withoutMeanings = 0;
        bool createEnabled = false;
        QStringList leftOut;
    };
    auto seen = std::make_shared<Seen>();
    bool found = false;
    answerNextModal<TWordsPreview>(
        [seen](TWordsPreview *dialog) {
            if (!waitForAnalysis(dialog))
                return dialog->reject();
            seen->coverage = part<QLabel>(dialog, "CoverageLabel")->text();
            auto *words = part<QTreeWidget>(dialog, "WordsList");
            auto *without = part<QTreeWidget>(dialog, "NoMeaningList");
            seen->withMeanings = words->topLevelItemCount();
            seen->withoutMeanings = without->topLevelItemCount();
            for (int i = 0; i < words->topLevelItemCount(); ++i)
                seen->ticked += words->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
            auto *leftOut = part<QTreeWidget>(dialog, "LeftOutList");
            for (int i = 0; i < leftOut->topLevelItemCount(); ++i)
                seen->leftOut << leftOut->topLevelItem(i)->text(0) + u'|' + leftOut->topLevelItem(i)->text(2);
            // A meaning typed for the word the dictionary lacks takes it in.
            if (QTreeWidgetItem *glorp = row(without, u"glorp"_s))
                glorp->setText(2, u" глорп ; "_s);
            seen->plan = part<QLabel>(dialog, "PlanLabel")->text();
            auto *create = part<QPushButton>(dialog, "CreateButton");
            seen->createEnabled = create->isEnabled();
            QTest::mouseClick(create, Qt::LeftButton);
            if (dialog->isVisible())
                dialog->reject();
        },
        &found);
    QVERIFY(tab.drop(story));
    QTRY_VERIFY(found);
    QTRY_VERIFY(QFileInfo::exists(tab.dictPath(1)));

    QCOMPARE(seen->coverage,
             u"Вы знаете 54,0 % слов этого текста. Выучив 11 слов, вы будете понимать 95 %, выучив 12 — 98 %."_s);
    QCOMPARE(seen->withMeanings, 11);
    QCOMPARE(seen->withoutMeanings, 1);
    QCOMPARE(seen->ticked, 11); // all with meanings: 95 % is not reached without "glorp"
    QVERIFY(seen->leftOut.contains(u"Служебные слова и междометия|14"_s));
    QVERIFY(seen->leftOut.contains(u"Слова ваших словарей|4"_s));
    QVERIFY(seen->leftOut.contains(u"Имена и иностранные слова|2"_s));
    QVERIFY2(seen->plan.startsWith(u"Отмечено 12 слов: с ними вы будете понимать 100,0 % текста."_s), qPrintable(seen->plan));
    QVERIFY2(seen->plan.endsWith(u"12 — в новый словарь «tom_1.wrd»"_s), qPrintable(seen->plan));
    QVERIFY(seen->createEnabled);

    // The lowest free number; the other dictionaries as they were.
    const QMap<QString, QByteArray> after = snapshot(tab.dictFolder());
    QCOMPARE(after.value(u"tom_0.wrd"_s), before.value(u"tom_0.wrd"_s));
    QCOMPARE(after.value(u"tom_2.wrd"_s), before.value(u"tom_2.wrd"_s));
    const WordFile made(tab.dictPath(1));
    QCOMPARE(made.status, WordFile::Playable);
    QCOMPARE(made.lines.size(), 12);
    QVERIFY(made.lines.contains(u"glorp,глорп,"_s));
    QVERIFY2(made.lines.first().startsWith(u"child,"_s) || made.lines.first().startsWith(u"run,"_s),
             qPrintable(made.lines.first()));
    // The tab shows the new dictionary.
    QCOMPARE(tab.window->library()->file->path, tab.dictPath(1));
    QCOMPARE(tab.rows(), made.lines);
}

void TestWordsFromText::stoppingOrClosingWritesNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Отмена while working") << u"StopButton"_s;
    QTest::newRow("Закрыть while working") << u"CloseButton"_s;
    QTest::newRow("Закрыть after the analysis") << u"after"_s;
}

void TestWordsFromText::stoppingOrClosingWritesNothing()
{
    QFETCH(QString, button);

    Tab tab;
    tab.writeDictionary(0, 8);
    QVERIFY(tab.show());
    // Long enough to be caught at work: some megabytes of text.
    const QString story = tab.write(u"long.txt"_s, Story.repeated(20000));
    const QMap<QString, QByteArray> before = snapshot(tab.dictFolder());
    auto stopped = std::make_shared<QString>();
    bool found = false;
    answerNextModal<TWordsPreview>(
        [button, stopped](TWordsPreview *dialog) {
            if (button == u"after"_s) {
                waitForAnalysis(dialog);
            } else {
                QVERIFY(dialog->IsWorking());
                QTest::mouseClick(part<QPushButton>(dialog, qPrintable(button)), Qt::LeftButton);
                if (button == u"StopButton"_s) {
                    waitForAnalysis(dialog);
                    *stopped = part<QLabel>(dialog, "SourceLabel")->text();
                    QVERIFY(!part<QPushButton>(dialog, "CreateButton")->isEnabled());
                }
            }
            if (dialog->isVisible())
                QTest::mouseClick(part<QPushButton>(dialog, "CloseButton"), Qt::LeftButton);
        },
        &found);
    QVERIFY(tab.drop(story));
    QTRY_VERIFY(found);
    if (button == u"StopButton"_s)
        QCOMPARE(*stopped, u"Чтение остановлено."_s);
    QCOMPARE(snapshot(tab.dictFolder()), before);
    QCOMPARE(tab.window->library()->file->path, tab.dictPath(0));
}

void TestWordsFromText::aBadFileIsNamedAndNothingWritten()
{
    Tab tab;
    tab.writeDictionary(0, 8);
    QVERIFY(tab.show());
    const QString film = tab.write(u"film.srt"_s, QByteArray());
    const QMap<QString, QByteArray> before = snapshot(tab.dictFolder());
    auto said = std::make_shared<QString>();
    bool found = false;
    answerNextModal<TWordsPreview>(
        [said](TWordsPreview *dialog) {
            waitForAnalysis(dialog);
            *said = part<QLabel>(dialog, "SourceLabel")->text();
            QVERIFY(!part<QPushButton>(dialog, "CreateButton")->isEnabled());
            dialog->reject();
        },
        &found);
    QVERIFY(tab.drop(film));
    QTRY_VERIFY(found);
    QCOMPARE(*said, u"Файл «%1» пуст."_s.arg(QDir::toNativeSeparators(film)));
    QCOMPARE(snapshot(tab.dictFolder()), before);
}

void TestWordsFromText::readsTheClipboardFromTheMenu()
{
    Tab tab;
    tab.writeDictionary(0, 8);
    QVERIFY(tab.show());
    QGuiApplication::clipboard()->setText(QString::fromUtf8(Story));
    auto seen = std::make_shared<QStringList>();
    bool found = false;
    answerNextModal<TWordsPreview>(
        [seen](TWordsPreview *dialog) {
            QVERIFY(!dialog->IsWorking());
            QTest::mouseClick(part<QPushButton>(dialog, "PasteButton"), Qt::LeftButton);
            waitForAnalysis(dialog);
            *seen << part<QLabel>(dialog, "SourceLabel")->text() << part<QLabel>(dialog, "CoverageLabel")->text();
            dialog->reject();
        },
        &found);
    tab.child<QAction>("NWordsFromText")->trigger();
    QTRY_VERIFY(found);
    QCOMPARE(seen->size(), 2);
    QVERIFY2(seen->at(0).startsWith(u"Текст из буфера обмена: 200 знаков — текст из буфера обмена, 37 слов"_s),
             qPrintable(seen->at(0)));
    QVERIFY2(seen->at(1).startsWith(u"Вы знаете 43,2 % слов этого текста."_s), qPrintable(seen->at(1)));
}

QTEST_MAIN(TestWordsFromText)
#include "tst_words_from_text.moc"
