// Importing and exporting words on the dictionaries tab as a learner does
// it: a file dropped onto the tab or chosen from its menu, the preview, and
// what ends up in the files.
#include "main_window_fixture.h"
#include "modal_answer.h"

#include "dict/cp1251.h"
#include "dict/dict_library.h"
#include "forms/add_dialog.h"
#include "forms/file_dialog.h"
#include "forms/import_dialog.h"
#include "forms/status_panels.h"
#include "tools/folder_files.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// What the preview showed, and the button pressed.
struct PreviewVisit
{
    bool found = false;
    QString title;
    QString file;
    QString summary;
    QStringList rows; // "line|stored line"
    QStringList problems;
    bool problemsShown = false;
    bool importEnabled = false;
};

std::shared_ptr<PreviewVisit> answerPreview(bool import)
{
    auto visit = std::make_shared<PreviewVisit>();
    answerNextModal<TImportDialog>(
        [visit, import](TImportDialog *dialog) {
            visit->title = dialog->windowTitle();
            visit->file = dialog->findChild<QLabel *>(u"FileLabel"_s)->text();
            visit->summary = dialog->findChild<QLabel *>(u"SummaryLabel"_s)->text();
            const auto *rows = dialog->findChild<QTreeWidget *>(u"RowsList"_s);
            for (int i = 0; i < rows->topLevelItemCount(); ++i)
                visit->rows << rows->topLevelItem(i)->text(0) + u'|' + rows->topLevelItem(i)->text(1);
            const auto *problems = dialog->findChild<QListWidget *>(u"ProblemsList"_s);
            for (int i = 0; i < problems->count(); ++i)
                visit->problems << problems->item(i)->text();
            visit->problemsShown = problems->isVisibleTo(dialog);
            auto *importButton = dialog->findChild<QPushButton *>(u"ImportButton"_s);
            visit->importEnabled = importButton->isEnabled();
            if (import)
                QTest::mouseClick(importButton, Qt::LeftButton);
            if (dialog->isVisible())
                QTest::mouseClick(dialog->findChild<QPushButton *>(u"CancelButton"_s), Qt::LeftButton);
        },
        &visit->found);
    return visit;
}

void writeBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray cp1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar ch : text)
        bytes.append(static_cast<char>(Cp1251::fromUnicode(ch.unicode()).value_or('?')));
    return bytes;
}

QStringList numbered(const QString &prefix, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << u"%1%2,m%1%2,"_s.arg(prefix).arg(i);
    return lines;
}

// The main window on its dictionaries tab.
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

    QTreeWidget *list() const { return child<QTreeWidget>("ListView1"); }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            texts << list()->topLevelItem(i)->text(0);
        return texts;
    }
    QString currentPath() const { return window->library()->file->path; }
    QString status() const { return child<StatusPanels>("StatusBar1")->panelText(0); }
    QString filePath(const QString &name) const { return QDir(folder()).filePath(name); }
    void trigger(const char *action) const { child<QAction>(action)->trigger(); }

    // Drags a file over the tab page and drops it; whether both were taken.
    bool drop(const QMimeData &data) const
    {
        QWidget *page = child<QWidget>("TabSheet2");
        const QPoint at = page->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &drop);
        return drop.isAccepted();
    }
    bool dropFile(const QString &path) const
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        return drop(data);
    }
};

// Answers the open and save dialogs while it lives, recording where they
// were opened.
class DialogAnswers
{
public:
    DialogAnswers(QString open, QString save)
    {
        FileDialogs::setHandler([this, open](const QString &folder, const QString &filter) {
            opened << folder;
            filters << filter;
            return open;
        });
        FileDialogs::setSaveHandler([this, save](const QString &suggested, const QString &filter) {
            suggestedPaths << suggested;
            filters << filter;
            return save;
        });
    }
    ~DialogAnswers()
    {
        FileDialogs::setHandler({});
        FileDialogs::setSaveHandler({});
    }
    DialogAnswers(const DialogAnswers &) = delete;
    DialogAnswers &operator=(const DialogAnswers &) = delete;

    QStringList opened;
    QStringList suggestedPaths;
    QStringList filters;
};

} // namespace

class TestWordImportFlow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuHasImportAndExport()
    {
        Tab tab;
        QVERIFY(tab.show());
        QCOMPARE(tab.child<QAction>("NImport")->text(), u"Импорт…"_s);
        QCOMPARE(tab.child<QAction>("NExport")->text(), u"Экспорт…"_s);
        QVERIFY(tab.list()->actions().contains(tab.child<QAction>("NImport")));
    }

    // A spreadsheet of an older program dropped onto the tab: the preview
    // tells how it was read and where the words go, and they go there.
    void droppedSpreadsheetGoesThroughThePreviewIntoTheFolder()
    {
        Tab tab;
        tab.writeDictionary(0, 65, u"a"_s);
        tab.writeDictionary(2, 70, u"c"_s);
        QString csv = u"Английский;Русский\r\n"_s;
        QStringList stored;
        for (int i = 0; i < 12; ++i) {
            csv += u"word%1;\"слово %1\"\r\n"_s.arg(i);
            stored << u"word%1,слово %1,"_s.arg(i);
        }
        const QString file = tab.filePath(u"from excel.csv"_s);
        writeBytes(file, cp1251(csv));
        QVERIFY(tab.show());

        QMimeData text;
        text.setText(u"not a file"_s);
        QVERIFY(!tab.drop(text));

        const auto preview = answerPreview(true);
        QVERIFY(tab.dropFile(file));
        QTRY_VERIFY(preview->found);
        QCOMPARE(preview->title, u"Импорт слов"_s);
        QCOMPARE(preview->file, u"Файл: «"_s + file + u"»\nФормат: CSV, разделитель — «;», Windows-1251\n"
                                                     "Строка 1 с названиями столбцов пропущена."_s);
        QCOMPARE(preview->rows.size(), TImportDialog::PreviewRows);
        QCOMPARE(preview->rows.first(), u"2|word0,слово 0,"_s);
        QCOMPARE(preview->rows.last(), u"11|word9,слово 9,"_s);
        QCOMPARE(preview->summary, u"Будет добавлено 12 слов:\n"
                                   "5 — в словарь «tom_0.wrd»\n"
                                   "7 — в новый словарь «tom_1.wrd»"_s);
        QVERIFY(!preview->problemsShown);
        QVERIFY(preview->importEnabled);

        QCOMPARE(WordFile(tab.dictPath(0)).lines, numbered(u"a"_s, 65) + stored.mid(0, 5));
        QCOMPARE(WordFile(tab.dictPath(1)).lines, stored.mid(5));
        QCOMPARE(WordFile(tab.dictPath(2)).lines, numbered(u"c"_s, 70));
        // The first dictionary that received words is shown, and the new
        // one is listed after it.
        QCOMPARE(tab.currentPath(), tab.dictPath(0));
        QCOMPARE(tab.rows().size(), 70);
        QCOMPARE(tab.rows().last(), u"word4,слово 4,"_s);
        QCOMPARE(tab.status(), u"Всего слов: 70  "_s);
        QCOMPARE(tab.objects.words->WordCount(), 70);
        QTest::mouseClick(tab.child<QPushButton>("BNextDict"), Qt::LeftButton);
        QCOMPARE(tab.currentPath(), tab.dictPath(1));
        QVERIFY(tab.messages.isEmpty());
    }

    // Words added in the editor and not yet saved are in the dictionary the
    // import adds to: neither the edit nor the imported words get lost, also
    // when the program closes afterwards.
    void importKeepsTheEditsOfTheCurrentDictionary_data()
    {
        QTest::addColumn<bool>("deleteFirst"); // a full dictionary makes room by a deletion
        QTest::newRow("word added") << false;
        QTest::newRow("word deleted from a full dictionary") << true;
    }

    void importKeepsTheEditsOfTheCurrentDictionary()
    {
        QFETCH(bool, deleteFirst);
        Tab tab;
        tab.writeDictionary(0, deleteFirst ? 70 : 10, u"a"_s);
        const QString kvtml = tab.filePath(u"deck.kvtml"_s);
        writeBytes(kvtml, u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kvtml version=\"2.0\">\n<identifiers>\n"
                          "<identifier id=\"0\"><locale>en</locale></identifier>\n"
                          "<identifier id=\"1\"><locale>ru</locale></identifier>\n</identifiers>\n<entries>\n"
                          "<entry id=\"0\"><translation id=\"0\"><text>sun</text></translation>"
                          "<translation id=\"1\"><text>солнце</text></translation></entry>\n"
                          "<entry id=\"1\"><translation id=\"0\"><text>moon</text></translation>"
                          "<translation id=\"1\"><text>луна, месяц</text></translation></entry>\n"
                          "</entries>\n</kvtml>\n"_s.toUtf8());
        QVERIFY(tab.show());

        QStringList expected = numbered(u"a"_s, deleteFirst ? 70 : 10);
        if (deleteFirst) {
            QTreeWidgetItem *row = tab.list()->topLevelItem(3);
            tab.list()->setCurrentItem(row);
            QTest::mouseClick(tab.child<QPushButton>("BDelete_Word"), Qt::LeftButton);
            expected.removeAt(3);
        } else {
            bool added = false;
            answerNextModal<TAddDialog>(
                [](TAddDialog *editor) {
                    editor->findChild<QLineEdit *>(u"Memo1"_s)->setText(u"run"_s);
                    editor->findChild<QLineEdit *>(u"Memo2"_s)->setText(u"бежать"_s);
                    QTest::mouseClick(editor->findChild<QPushButton *>(u"Button1"_s), Qt::LeftButton);
                },
                &added);
            QTest::mouseClick(tab.child<QPushButton>("BAdd_Word"), Qt::LeftButton);
            QVERIFY(added);
            expected << u"run,бежать,"_s;
        }
        QCOMPARE(tab.rows(), expected);

        DialogAnswers dialogs(kvtml, QString());
        const auto preview = answerPreview(true);
        tab.trigger("NImport");
        QVERIFY(preview->found);
        QCOMPARE(dialogs.opened, QStringList{QDir::homePath()});
        QVERIFY(dialogs.filters.first().contains(u"*.kvtml"_s));
        if (deleteFirst) {
            // The dictionary has room for one as the learner left it.
            QCOMPARE(preview->summary, u"Будет добавлено 2 слова:\n1 — в словарь «tom_0.wrd»\n"
                                       "1 — в новый словарь «tom_1.wrd»"_s);
            QCOMPARE(WordFile(tab.dictPath(0)).lines, expected + QStringList{u"sun,солнце,"_s});
            QCOMPARE(WordFile(tab.dictPath(1)).lines, QStringList{u"moon,луна,месяц,"_s});
            expected << u"sun,солнце,"_s;
        } else {
            QCOMPARE(preview->summary, u"Будет добавлено 2 слова:\n2 — в словарь «tom_0.wrd»"_s);
            expected << u"sun,солнце,"_s << u"moon,луна,месяц,"_s;
            QCOMPARE(WordFile(tab.dictPath(0)).lines, expected);
        }
        QCOMPARE(tab.rows(), expected);

        // The next import opens where the last file was.
        const auto second = answerPreview(false);
        tab.trigger("NImport");
        QVERIFY(second->found);
        QCOMPARE(dialogs.opened.last(), QFileInfo(kvtml).absolutePath());

        tab.window->close();
        tab.window.reset();
        QCOMPARE(WordFile(tab.dictPath(0)).lines, expected);
        QVERIFY(tab.messages.isEmpty());
    }

    // Every faulty line is shown with its reason; nothing can be imported
    // and nothing is written. A good file whose preview is cancelled
    // writes nothing either.
    void faultyOrCancelledImportWritesNothing()
    {
        Tab tab;
        tab.writeDictionary(0, 10, u"a"_s);
        const QString bad = tab.filePath(u"bad.csv"_s);
        writeBytes(bad, u"cat,кот\ndog,\"собака, пёс\"\n\nlong,"_s.toUtf8() + QString(36, u'я').toUtf8()
                            + "\n,пусто\nx,a,b,c,d\n\"open,quote\n");
        const QString good = tab.filePath(u"good.txt"_s);
        writeBytes(good, "sun\t\xD1\x81\xD0\xBE\xD0\xBB\xD0\xBD\xD1\x86\xD0\xB5\n");
        QVERIFY(tab.show());
        const QMap<QString, QByteArray> before = snapshot(tab.filePath(u"dict"_s));

        const auto preview = answerPreview(true);
        QVERIFY(tab.dropFile(bad));
        QTRY_VERIFY(preview->found);
        QCOMPARE(preview->problems,
                 (QStringList{u"Строка 2: в значении 1 «собака, пёс» есть запятая, а в словаре она разделила бы его на два"_s,
                              u"Строка 4: значение 1 «"_s + QString(36, u'я') + u"» длиннее 35 символов (36)"_s,
                              u"Строка 5: нет английского слова"_s,
                              u"Строка 6: 4 значения, а помещается не больше трёх"_s,
                              u"Строка 7: кавычка, открытая в этой строке, нигде не закрыта"_s}));
        QVERIFY(preview->problemsShown);
        QVERIFY(!preview->importEnabled);
        QCOMPARE(preview->rows, QStringList{u"1|cat,кот,"_s});
        QVERIFY(preview->summary.startsWith(u"Пока в файле есть ошибки, слова не добавляются."_s));
        QCOMPARE(snapshot(tab.filePath(u"dict"_s)), before);

        const auto cancelled = answerPreview(false);
        QVERIFY(tab.dropFile(good));
        QTRY_VERIFY(cancelled->found);
        QVERIFY(cancelled->importEnabled);
        QCOMPARE(cancelled->rows, QStringList{u"1|sun,солнце,"_s});
        QCOMPARE(snapshot(tab.filePath(u"dict"_s)), before);
        QCOMPARE(tab.rows(), numbered(u"a"_s, 10));
        QVERIFY(tab.messages.isEmpty());

        // A file that is no text at all is told in the preview as well.
        const QString picture = tab.filePath(u"photo.png"_s);
        writeBytes(picture, QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
        const auto binary = answerPreview(true);
        DialogAnswers dialogs(picture, QString());
        tab.trigger("NImport");
        QVERIFY(binary->found);
        QCOMPARE(binary->problems, QStringList{u"Это не текстовый файл"_s});
        QVERIFY(!binary->importEnabled);
        QCOMPARE(snapshot(tab.filePath(u"dict"_s)), before);
    }

    // The current dictionary as a table: UTF-8 with a byte order mark,
    // semicolons, quotes where needed, CR LF.
    void exportWritesTheCurrentDictionaryAsATable()
    {
        Tab tab;
        writeDictionary(tab.dictPath(3), {u"cat,кот,кошка,"_s, u"say \"hi\",сказать привет,"_s, u"a; b,а; б,"_s});
        QVERIFY(tab.show());
        QCOMPARE(tab.currentPath(), tab.dictPath(3));

        const QString target = tab.filePath(u"out/words.csv"_s);
        QVERIFY(QDir().mkpath(tab.filePath(u"out"_s)));
        {
            DialogAnswers dialogs(QString(), target);
            tab.trigger("NExport");
            QCOMPARE(dialogs.suggestedPaths, QStringList{QDir::homePath() + u"/tom_3.csv"_s});
            QCOMPARE(dialogs.filters, QStringList{u"Таблицы CSV|*.csv"_s});
        }
        QCOMPARE(readBytes(target), QByteArray("\xEF\xBB\xBF"
                                               + u"cat;кот;кошка\r\n\"say \"\"hi\"\"\";сказать привет\r\n"
                                                 "\"a; b\";\"а; б\"\r\n"_s.toUtf8()));
        QCOMPARE(tab.messages, QStringList{u"Информация|Словарь записан в таблицу «"_s + target + u"»: 3 слова."_s});

        // A folder that is not there: told, nothing written.
        tab.messages.clear();
        const QString nowhere = tab.filePath(u"missing/words.csv"_s);
        {
            DialogAnswers dialogs(QString(), nowhere);
            tab.trigger("NExport");
            QCOMPARE(dialogs.suggestedPaths, QStringList{tab.filePath(u"out"_s) + u"/tom_3.csv"_s});
        }
        QCOMPARE(tab.messages, QStringList{u"Информация|Не удалось записать файл «"_s + nowhere + u"»: папка не найдена."_s});
        QVERIFY(!QFileInfo::exists(nowhere));

        // Cancelled: nothing happens.
        tab.messages.clear();
        {
            DialogAnswers dialogs{QString(), QString()};
            tab.trigger("NExport");
        }
        QVERIFY(tab.messages.isEmpty());
    }

    void learnerTexts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << u"1 слово"_s;
        QTest::newRow("3") << 3 << u"3 слова"_s;
        QTest::newRow("5") << 5 << u"5 слов"_s;
        QTest::newRow("11") << 11 << u"11 слов"_s;
        QTest::newRow("14") << 14 << u"14 слов"_s;
        QTest::newRow("21") << 21 << u"21 слово"_s;
        QTest::newRow("102") << 102 << u"102 слова"_s;
        QTest::newRow("112") << 112 << u"112 слов"_s;
    }

    void learnerTexts()
    {
        QFETCH(int, count);
        QFETCH(QString, text);
        QCOMPARE(ImportTexts::words(count), text);
    }

    // A long import names the first dictionaries and sums up the rest.
    void longPlanIsSummedUp()
    {
        QList<FolderImport::Portion> plan{{u"/d/tom_0.wrd"_s, 3, false}};
        for (int n = 1; n <= 7; ++n)
            plan.append({u"/d/tom_%1.wrd"_s.arg(n), 70, true});
        QCOMPARE(ImportTexts::plan(plan), u"3 — в словарь «tom_0.wrd»\n"
                                          "70 — в новый словарь «tom_1.wrd»\n"
                                          "70 — в новый словарь «tom_2.wrd»\n"
                                          "70 — в новый словарь «tom_3.wrd»\n"
                                          "70 — в новый словарь «tom_4.wrd»\n"
                                          "ещё 210 слов — в словари с «tom_5.wrd» по «tom_7.wrd»"_s);
        // One more than shown is shown whole rather than summed up.
        plan.removeLast();
        plan.removeLast();
        QCOMPARE(ImportTexts::plan(plan).count(u'\n'), 5);
        QVERIFY(ImportTexts::plan(plan).endsWith(u"70 — в новый словарь «tom_5.wrd»"_s));
    }

    // A list of English words only takes meanings from the dictionary: the
    // preview shows every word as it will be stored, marks where its
    // meanings come from and names the words the dictionary lacks; the
    // learner may decline them. Without the dictionary the preview says
    // which package brings it.
    void englishWordsTakeMeaningsFromTheDictionary_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("take");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("note");
        const QStringList plain{u"1|thoroughly,|"_s, u"2|houses,|"_s, u"3|zzxq,|"_s};
        QTest::newRow("meanings taken")
            << true << true
            << QStringList{u"1|thoroughly,вполне,совершенно,до конца,|из словаря"_s, u"2|houses,дом,жилище,здание,|из словаря"_s,
                           u"3|zzxq,|нет в словаре"_s}
            << u"Нет в словаре, будут записаны без значений (1): zzxq."_s;
        QTest::newRow("meanings declined") << true << false << plain << QString();
        QTest::newRow("no dictionary installed")
            << false << false << plain
            << u"В файле только английские слова. Англо-русский словарь не установлен. Его приносит пакет mueller7-dict."_s;
    }
    void englishWordsTakeMeaningsFromTheDictionary()
    {
        QFETCH(bool, installed);
        QFETCH(bool, take);
        QFETCH(QStringList, rows);
        QFETCH(QString, note);
        QTemporaryDir empty;
        qputenv("LEXOMAT_DICTD_DIR", installed ? QByteArray("/usr/share/dictd") : empty.path().toLocal8Bit());
        const auto restore = qScopeGuard([] { qunsetenv("LEXOMAT_DICTD_DIR"); });
        Tab tab;
        tab.writeDictionary(0, 2, u"a"_s);
        const QString file = tab.filePath(u"words.txt"_s);
        writeBytes(file, "thoroughly\nhouses\nzzxq\n");
        QVERIFY(tab.show());
        QStringList shown;
        QString shownNote;
        bool found = false;
        answerNextModal<TImportDialog>(
            [&](TImportDialog *dialog) {
                auto *box = dialog->findChild<QCheckBox *>(u"MeaningsBox"_s);
                QCOMPARE(box->isVisibleTo(dialog), installed);
                if (installed) {
                    QVERIFY(box->isChecked());
                    if (!take)
                        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
                }
                const auto *list = dialog->findChild<QTreeWidget *>(u"RowsList"_s);
                for (int i = 0; i < list->topLevelItemCount(); ++i) {
                    const QTreeWidgetItem *item = list->topLevelItem(i);
                    shown << item->text(0) + u'|' + item->text(1) + u'|' + item->text(2);
                }
                for (const char *label : {"UnknownLabel", "MeaningsNote"}) {
                    auto *text = dialog->findChild<QLabel *>(QLatin1String(label));
                    if (text->isVisibleTo(dialog))
                        shownNote += text->text();
                }
                QTest::mouseClick(dialog->findChild<QPushButton *>(u"ImportButton"_s), Qt::LeftButton);
            },
            &found);
        QVERIFY(tab.dropFile(file));
        QTRY_VERIFY(found);
        QCOMPARE(shown, rows);
        QCOMPARE(shownNote, note);
        QStringList stored;
        for (const QString &row : rows)
            stored << row.section(u'|', 1, 1);
        QCOMPARE(WordFile(tab.dictPath(0)).lines, numbered(u"a"_s, 2) + stored);
    }
};

QTEST_MAIN(TestWordImportFlow)
#include "tst_word_import_flow.moc"
