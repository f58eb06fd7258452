// The main window with dictionaries and settings that the learner may not
// read or write: every byte on disk stays, and the learner is told in
// Russian what happened and where the edits went. The windows run in a child
// process as an unprivileged account, also when the suite runs as root; the
// files are checked afterwards by the parent. The parent itself never shows
// a window: once it has painted, the painting threads would not survive the
// fork into the next child.

#include "main_window_fixture.h"
#include "modal_answer.h"
#include "support/unprivileged.h"

#include "app/tray_routing.h"
#include "dict/dict_library.h"
#include "dict/save_rescue.h"
#include "forms/add_dialog.h"
#include "forms/file_dialog.h"
#include "forms/import_dialog.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// What the learner set up for a file, and what is in it.
struct FileState
{
    QByteArray bytes;
    mode_t mode = 0;
    ino_t inode = 0;

    static FileState of(const QString &path)
    {
        FileState state;
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            return state;
        QFile file(path);
        state.bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        state.mode = info.st_mode & 07777;
        state.inode = info.st_ino;
        return state;
    }
    bool operator==(const FileState &) const = default;
};

void setMode(const QString &path, mode_t mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// Confirms the next word editor with an English word and one meaning.
std::shared_ptr<bool> addInEditor(const QString &word, const QString &meaning)
{
    auto found = std::make_shared<bool>(false);
    answerNextModal<TAddDialog>(
        [word, meaning](TAddDialog *dialog) {
            dialog->findChild<QLineEdit *>(u"Memo1"_s)->setText(word);
            dialog->findChild<QLineEdit *>(u"Memo2"_s)->setText(meaning);
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"Button1"_s), Qt::LeftButton);
        },
        found.get());
    return found;
}

class Window : public MainWindowFixture
{
public:
    bool show()
    {
        TForm1 &shown = open();
        shown.show();
        if (!QTest::qWaitForWindowExposed(&shown))
            return false;
        child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        return true;
    }
    void click(const char *button) const { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    int rows() const { return child<QTreeWidget>("ListView1")->topLevelItemCount(); }
    QString current() const { return window->library()->file->path; }
    // The messages shown so far that hold a text.
    QStringList shown(const QString &part) const { return messages.filter(part); }
};

} // namespace

class TestFileSafety : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Window> m_window;

    // The fixture's folder belongs to the unprivileged account, and the
    // recovered copies go below it.
    void prepare()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_window->folder() + u"/data"_s));
        QVERIFY(QDir().mkpath(m_window->folder() + u"/data"_s));
        Unprivileged::handOver(m_window->folder());
    }

    static void check(const QString &answer) { QVERIFY2(answer.isEmpty(), qPrintable(answer)); }

private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<Window>();
        m_window->writeDictionary(0, 10, u"a"_s);
        m_window->writeDictionary(1, 20, u"b"_s);
    }

    void cleanup()
    {
        for (const char *folder : {"/dict", "/settings"})
            ::chmod(QFile::encodeName(m_window->folder() + QLatin1String(folder)).constData(), 0755);
        m_window.reset();
    }

    // The learner steps onto a dictionary they may not read: told, shown no
    // words as if it were empty, refused every edit; the file stays.
    void unreadableDictionaryIsToldAndKept()
    {
        Window &w = *m_window;
        const QString locked = w.dictPath(1);
        setMode(locked, 0000);
        prepare();
        const FileState before = FileState::of(locked);
        check(Unprivileged::run([&w, &locked] {
            UNPRIV_CHECK(w.show());
            w.click("BNextDict");
            UNPRIV_CHECK(w.current() == locked);
            UNPRIV_CHECK(w.rows() == 0);
            const QStringList told = w.shown(u"не удаётся прочитать"_s);
            UNPRIV_CHECK(told.size() == 1);
            UNPRIV_CHECK(told.first().startsWith(u"Информация|Словарь «"_s + locked + u"»"_s));
            UNPRIV_CHECK(told.first().contains(u"нет прав доступа"_s));

            const auto editor = addInEditor(u"run"_s, u"бежать"_s);
            w.click("BAdd_Word");
            for (const char *button : {"BChange_Word", "BDelete_Word"})
                w.click(button);
            UNPRIV_CHECK(w.shown(u"изменить его нельзя"_s).size() == 3);
            cancelModalAnswers(); // an editor would have been answered before the click returned
            UNPRIV_CHECK(!*editor);

            w.click("BNextDict");
            UNPRIV_CHECK(w.current() == w.dictPath(0));
            w.window->close();
            UNPRIV_CHECK(w.shown(u"Не удалось записать"_s).isEmpty());
            return QString();
        }));
        QCOMPARE(FileState::of(locked), before);
    }

    // The game's own hand-over passes an unreadable dictionary by without
    // a word, and never writes it.
    void gamePassesAnUnreadableDictionarySilently()
    {
        Window &w = *m_window;
        const QString locked = w.dictPath(1);
        setMode(locked, 0000);
        prepare();
        const FileState before = FileState::of(locked);
        check(Unprivileged::run([&w] {
            UNPRIV_CHECK(w.show());
            w.window->Perform(Requests::DictionaryDone);
            UNPRIV_CHECK(w.shown(u"не удаётся прочитать"_s).isEmpty());
            w.window->close();
            return QString();
        }));
        QCOMPARE(FileState::of(locked), before);
    }

    // Edits of a read-only dictionary are kept in a recovered copy, when the
    // learner moves on and when the program closes.
    void failedSaveIsToldWithTheRecoveredCopy_data()
    {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("moving on") << false;
        QTest::newRow("closing the program") << true;
    }

    void failedSaveIsToldWithTheRecoveredCopy()
    {
        QFETCH(bool, byClosing);
        Window &w = *m_window;
        const QString readOnly = w.dictPath(1);
        setMode(readOnly, 0444);
        prepare();
        const FileState before = FileState::of(readOnly);
        check(Unprivileged::run([&w, &readOnly, byClosing] {
            UNPRIV_CHECK(w.show());
            w.click("BNextDict");
            UNPRIV_CHECK(w.messages.isEmpty()); // it can be read
            const auto editor = addInEditor(u"run"_s, u"бежать"_s);
            w.click("BAdd_Word");
            UNPRIV_CHECK(*editor);
            UNPRIV_CHECK(w.rows() == 21);
            if (byClosing)
                w.window->close();
            else
                w.click("BNextDict");
            const QStringList told = w.shown(u"Не удалось записать словарь"_s);
            UNPRIV_CHECK(told.size() == 1);
            UNPRIV_CHECK(told.first().contains(u"«"_s + readOnly + u"»: нет прав доступа"_s));
            const qsizetype at = told.first().indexOf(SaveRescue::folder());
            UNPRIV_CHECK(at > 0);
            const QString copy = told.first().mid(at).section(u'»', 0, 0);
            const QStringList lines = WordFile(copy).lines;
            UNPRIV_CHECK(lines.size() == 21);
            UNPRIV_CHECK(lines.first() == u"b0,mb0,"_s);
            UNPRIV_CHECK(lines.last() == u"run,бежать,"_s);
            return QString();
        }));
        QCOMPARE(FileState::of(readOnly), before);
    }

    // A full dictionary in a folder that takes no new file: told, and the
    // full dictionary stays current and whole.
    void fullDictionaryInAReadOnlyFolder()
    {
        Window &w = *m_window;
        w.writeDictionary(1, 70, u"c"_s);
        QVERIFY(QFile::remove(w.dictPath(0)));
        prepare();
        setMode(w.folder() + u"/dict"_s, 0555);
        const FileState before = FileState::of(w.dictPath(1));
        check(Unprivileged::run([&w] {
            UNPRIV_CHECK(w.show());
            UNPRIV_CHECK(w.current() == w.dictPath(1));
            const auto editor = addInEditor(u"run"_s, u"бежать"_s);
            w.click("BAdd_Word");
            UNPRIV_CHECK(w.shown(u"Этот словарь полон"_s).size() == 1);
            const QStringList told = w.shown(u"Не удалось создать новый словарь"_s);
            UNPRIV_CHECK(told.size() == 1);
            UNPRIV_CHECK(told.first().contains(u"tom_0.wrd»: нет прав доступа"_s));
            UNPRIV_CHECK(w.current() == w.dictPath(1));
            UNPRIV_CHECK(w.rows() == 70);
            cancelModalAnswers();
            UNPRIV_CHECK(!*editor);
            w.window->close();
            return QString();
        }));
        const FileState after = FileState::of(w.dictPath(1));
        QCOMPARE(after.bytes, before.bytes);
        QCOMPARE(after.mode, before.mode);
        QVERIFY(!QFile::exists(w.dictPath(0)));
    }

    // An import that cannot write every dictionary it needs writes none:
    // the dictionaries it had filled already are put back, and the learner
    // is told which file stopped it.
    void importThatCannotWriteChangesNothing_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<int>("words");
        QTest::addColumn<QString>("told");
        // 60 words fit into tom_0, 50 into tom_1; more need a new tom_2.
        QTest::newRow("read-only dictionary") << false << 80 << u"словарь «%1/dict/tom_1.wrd»: нет прав доступа."_s;
        QTest::newRow("folder that takes no new dictionary") << true << 120 << u"словари в папку «%1/dict»."_s;
    }

    void importThatCannotWriteChangesNothing()
    {
        QFETCH(bool, readOnlyFolder);
        QFETCH(int, words);
        QFETCH(QString, told);
        Window &w = *m_window;
        QByteArray list;
        for (int i = 0; i < words; ++i)
            list += "new" + QByteArray::number(i) + ";\xD0\xB4\xD0\xB0\n"; // да
        const QString listPath = w.folder() + u"/words.csv"_s;
        QFile file(listPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(list);
        file.close();
        if (!readOnlyFolder)
            setMode(w.dictPath(1), 0444);
        prepare();
        if (readOnlyFolder)
            setMode(w.folder() + u"/dict"_s, 0555);
        const FileState first = FileState::of(w.dictPath(0));
        const FileState second = FileState::of(w.dictPath(1));
        check(Unprivileged::run([&w, &listPath, &told] {
            UNPRIV_CHECK(w.show());
            FileDialogs::setHandler([&listPath](const QString &, const QString &) { return listPath; });
            bool previewed = false;
            answerNextModal<TImportDialog>(
                [](TImportDialog *preview) {
                    QTest::mouseClick(preview->findChild<QPushButton *>(u"ImportButton"_s), Qt::LeftButton);
                },
                &previewed);
            w.window->findChild<QAction *>(u"NImport"_s)->trigger();
            FileDialogs::setHandler({});
            UNPRIV_CHECK(previewed);
            UNPRIV_CHECK(w.messages.size() == 1);
            UNPRIV_CHECK(w.messages.first() == u"Информация|Не удалось записать "_s + told.arg(w.folder())
                                                   + u"\nСлова не импортированы, словари остались такими, как были."_s);
            UNPRIV_CHECK(w.current() == w.dictPath(0));
            UNPRIV_CHECK(w.rows() == 10);
            w.window->close();
            return QString();
        }));
        // Put back, possibly as a new file: the same bytes and mode.
        for (const auto &[path, state] : {std::pair{w.dictPath(0), first}, std::pair{w.dictPath(1), second}}) {
            QCOMPARE(FileState::of(path).bytes, state.bytes);
            QCOMPARE(FileState::of(path).mode, state.mode);
        }
        QCOMPARE(QDir(w.folder() + u"/dict"_s).entryList(QDir::Files), (QStringList{u"tom_0.wrd"_s, u"tom_1.wrd"_s}));
    }

    // A damaged settings file never stops the window; what could be read is
    // used, the rest takes its defaults, and the learner is told once.
    void damagedSettingsOpenTheWindow()
    {
        Window &w = *m_window;
        QFile file(w.settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# my note\nDEFAULT_MODE=dword:00000007\nFONT_SIZE=dword:0000000c\n");
        file.close();
        prepare();
        check(Unprivileged::run([&w] {
            UNPRIV_CHECK(w.show());
            QTest::qWait(50);
            UNPRIV_CHECK(w.shown(u"Файл настроек"_s).size() == 1);
            UNPRIV_CHECK(w.messages.first().startsWith(u"Информация|Файл настроек «"_s + w.settingsPath() + u"» повреждён"_s));
            UNPRIV_CHECK(w.objects.state->mode == 0);
            UNPRIV_CHECK(w.objects.state->fontSize == 12);
            UNPRIV_CHECK(QFile::exists(w.objects.registry->damagedCopy()));
            w.window->close();
            UNPRIV_CHECK(w.messages.size() == 1);
            return QString();
        }));
        QSettings fresh(w.settingsPath(), QSettings::IniFormat);
        QCOMPARE(fresh.value(u"DEFAULT_MODE"_s).toString(), u"dword:00000000"_s);
        QCOMPARE(fresh.value(u"FONT_SIZE"_s).toString(), u"dword:0000000c"_s);
    }

    void unreadableSettingsOpenTheWindow()
    {
        Window &w = *m_window;
        QFile file(w.settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("DEFAULT_MODE=dword:00000001\n");
        file.close();
        setMode(w.settingsPath(), 0000);
        prepare();
        check(Unprivileged::run([&w] {
            UNPRIV_CHECK(w.show());
            QTest::qWait(50);
            UNPRIV_CHECK(w.shown(u"Файл настроек"_s).size() == 1);
            w.window->close();
            UNPRIV_CHECK(w.messages.size() == 1);
            return QString();
        }));
    }

    // Settings that cannot be written are told once, at the close, in
    // Russian, naming the file.
    void unwritableSettingsAreToldOnceAtClose()
    {
        Window &w = *m_window;
        const QString folder = w.folder() + u"/settings"_s;
        QVERIFY(QDir().mkpath(folder));
        w.setSettingsPath(folder + u"/LX.ini"_s);
        prepare();
        setMode(folder, 0555);
        check(Unprivileged::run([&w] {
            UNPRIV_CHECK(w.show());
            w.click("BNextDict"); // writes the flags of another dictionary
            w.window->close();
            const QStringList told = w.shown(u"Не удалось записать файл настроек"_s);
            UNPRIV_CHECK(told.size() == 1);
            UNPRIV_CHECK(told.first().contains(w.settingsPath()));
            UNPRIV_CHECK(w.messages.filter(u"Failed"_s).isEmpty());
            UNPRIV_CHECK(w.messages.size() == 1);
            return QString();
        }));
    }
};

QTEST_MAIN(TestFileSafety)
#include "tst_file_safety.moc"
