// The main window with its data folder shared between computers: marks that
// another computer set, conflict copies on the dictionaries tab, and a
// dictionary changed underneath while it was open.
#include "main_window_fixture.h"

#include "dict/dict_flags.h"
#include "dict/dict_library.h"
#include "dict/shared_marks.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

using Mark = SharedMarks::Mark;
const QString Other = u"0000000000000b0b"_s;

} // namespace

class TestSharingWindow : public QObject
{
    Q_OBJECT

private:
    // A window whose dictionary folder is the shared folder's dict/, as the
    // lexomat command starts it.
    struct Shared
    {
        MainWindowFixture fixture;
        QString root;

        Shared()
        {
            root = fixture.folder() + u"/data/lexomat"_s;
            QDir().mkpath(root + u"/dict"_s);
            QDir::setCurrent(root);
        }

        QString dict(const QString &name) const { return root + u"/dict/"_s + name; }

        void write(const QString &name, const QStringList &lines) const
        {
            WordFile file(dict(name));
            file.lines = lines;
            QCOMPARE(file.Save(), 1);
        }

        TForm1 &show()
        {
            TForm1 &window = fixture.open();
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                qFatal("the window did not show");
            return window;
        }

        template <typename T>
        T *child(const char *name) const { return fixture.child<T>(name); }

        QStringList listed() const
        {
            QStringList rows;
            const QTreeWidget *list = child<QTreeWidget>("ListView1");
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                rows << list->topLevelItem(i)->text(0);
            return rows;
        }
    };

private Q_SLOTS:
    // What the shared folder says, what this computer's settings say, and
    // which of the two the check boxes show once the window is up.
    void marksFromTheSharedFolder_data()
    {
        QTest::addColumn<int>("sharedExclude"); // -1: no computer set it
        QTest::addColumn<bool>("localExclude");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("travels"); // what the shared folder says afterwards
        QTest::newRow("set on the other computer") << 1 << false << true << true;
        QTest::newRow("cleared on the other computer") << 0 << true << false << false;
        QTest::newRow("set here before sharing") << -1 << true << true << true;
        QTest::newRow("never set") << -1 << false << false << false;
    }

    void marksFromTheSharedFolder()
    {
        QFETCH(int, sharedExclude);
        QFETCH(bool, localExclude);
        Shared shared;
        shared.write(u"tom_0.wrd"_s, {u"cat,кошка,"_s});
        if (sharedExclude >= 0) {
            SharedMarks(shared.root).Write(Mark::Exclude, u"dict/tom_0.wrd"_s, true, 1000, Other);
            if (sharedExclude == 0)
                SharedMarks(shared.root).Write(Mark::Exclude, u"dict/tom_0.wrd"_s, false, 2000, Other);
        }
        {
            INIT registry(shared.fixture.settingsPath());
            DictFlags::Write(registry, DictFlags::ExcludeKey, shared.dict(u"tom_0.wrd"_s), localExclude);
        }
        shared.show();
        QFETCH(bool, shown);
        QTRY_COMPARE(shared.child<QCheckBox>("CBExclude")->isChecked(), shown);
        QFETCH(bool, travels);
        const std::optional<SharedMarks::Value> after = SharedMarks(shared.root).Read(Mark::Exclude, u"dict/tom_0.wrd"_s);
        QCOMPARE(after.has_value() && after->set, travels);
        // This computer's settings follow, as the check box's click writes them.
        INIT registry(shared.fixture.settingsPath());
        QCOMPARE(DictFlags::ReadOrCreate(registry, DictFlags::ExcludeKey, shared.dict(u"tom_0.wrd"_s)), shown);
    }

    // A mark set here goes into the shared folder; one set there while the
    // window is up shows without leaving the dictionary.
    void marksTravelBothWays()
    {
        Shared shared;
        shared.write(u"tom_0.wrd"_s, {u"cat,кошка,"_s});
        shared.show();
        QCheckBox *exclude = shared.child<QCheckBox>("CBExclude");
        QCheckBox *repeat = shared.child<QCheckBox>("CBRepeat");
        QTRY_VERIFY(shared.fixture.window->findChild<QFrame *>(u"SyncConflictBar"_s)->isHidden());
        QTest::mouseClick(repeat, Qt::LeftButton);
        QVERIFY(repeat->isChecked());
        QCOMPARE(SharedMarks(shared.root).Read(Mark::Repeat, u"dict/tom_0.wrd"_s)->set, true);

        const qint64 later = SharedMarks(shared.root).Read(Mark::Repeat, u"dict/tom_0.wrd"_s)->time + 10;
        SharedMarks(shared.root).Write(Mark::Exclude, u"dict/tom_0.wrd"_s, true, later, Other);
        QTRY_VERIFY(exclude->isChecked());
        QVERIFY(!repeat->isChecked());
    }

    // Marks of a folder that is not shared stay in the settings alone.
    void aFolderNotSharedKeepsItsMarksInTheSettings()
    {
        MainWindowFixture fixture;
        fixture.writeDictionary(0, 8);
        TForm1 &window = fixture.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
        QTest::mouseClick(fixture.child<QCheckBox>("CBExclude"), Qt::LeftButton);
        QVERIFY(fixture.child<QCheckBox>("CBExclude")->isChecked());
        QVERIFY(!QFileInfo::exists(fixture.folder() + u"/data/lexomat/marks"_s));
    }

    void conflictCopyIsMergedFromTheTab_data()
    {
        QTest::addColumn<bool>("editedFirst"); // the current dictionary holds an edit not yet saved
        QTest::addColumn<bool>("appearsLater"); // the copy arrives while the window is up
        QTest::newRow("found at start") << false << false;
        QTest::newRow("with an edit of the dictionary") << true << false;
        QTest::newRow("arriving while running") << false << true;
    }

    void conflictCopyIsMergedFromTheTab()
    {
        QFETCH(bool, editedFirst);
        QFETCH(bool, appearsLater);
        Shared shared;
        const QString copyName = u"tom_0.sync-conflict-20261209-101112-ABCDEFG.wrd"_s;
        shared.write(u"tom_0.wrd"_s, {u"cat,кошка,"_s, u"dog,собака,"_s});
        if (!appearsLater)
            shared.write(copyName, {u"cat,кошка,"_s, u"sun,солнце,"_s});
        TForm1 &window = shared.show();
        shared.child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        if (appearsLater) {
            QTest::qWait(50);
            shared.write(copyName, {u"cat,кошка,"_s, u"sun,солнце,"_s});
        }
        QFrame *bar = shared.child<QFrame>("SyncConflictBar");
        QTRY_VERIFY(bar->isVisible());
        QCOMPARE(shared.child<QLabel>("SyncConflictText")->text(),
                 u"Найдена копия словаря tom_0.wrd, созданная при синхронизации"_s);
        // The list makes room for the bar.
        const QTreeWidget *list = shared.child<QTreeWidget>("ListView1");
        QVERIFY(list->geometry().bottom() < bar->geometry().top());
        QCOMPARE(window.library()->fileCount, 1);

        QStringList expected{u"cat,кошка,"_s, u"dog,собака,"_s};
        if (editedFirst) {
            window.library()->file->lines.append(u"tree,дерево,"_s);
            window.library()->file->modified = 1;
            expected.append(u"tree,дерево,"_s);
        }
        expected.append(u"sun,солнце,"_s);
        QTest::mouseClick(shared.child<QPushButton>("BMergeConflict"), Qt::LeftButton);
        QCOMPARE(shared.listed(), expected);
        QCOMPARE(WordFile(shared.dict(u"tom_0.wrd"_s)).lines, expected);
        QVERIFY(!QFileInfo::exists(shared.dict(copyName)));
        QVERIFY(QFileInfo::exists(shared.dict(u"conflicts/"_s + copyName)));
        QVERIFY(bar->isHidden());
        QCOMPARE(shared.fixture.messages.size(), 1);
        QVERIFY2(shared.fixture.messages.first().contains(u"добавлено слов из копии: 1"_s),
                 qPrintable(shared.fixture.messages.first()));
    }

    // Another program wrote the dictionary while its edit was open here:
    // leaving it merges the two and says so.
    void leavingADictionaryChangedUnderneathMerges()
    {
        Shared shared;
        shared.write(u"tom_0.wrd"_s, {u"cat,кошка,"_s, u"dog,собака,"_s});
        shared.write(u"tom_1.wrd"_s, {u"red,красный,"_s});
        TForm1 &window = shared.show();
        window.library()->file->lines.append(u"tree,дерево,"_s);
        window.library()->file->modified = 1;
        shared.write(u"tom_0.wrd"_s, {u"cat,кошка,"_s, u"dog,собака,"_s, u"sun,солнце,"_s});
        window.BNextDictClick();
        QCOMPARE(WordFile(shared.dict(u"tom_0.wrd"_s)).lines,
                 (QStringList{u"cat,кошка,"_s, u"dog,собака,"_s, u"tree,дерево,"_s, u"sun,солнце,"_s}));
        QCOMPARE(shared.fixture.messages.size(), 1);
        QVERIFY2(shared.fixture.messages.first().contains(u"изменился на диске"_s)
                     && shared.fixture.messages.first().contains(u"добавлено из версии на диске: 1 (sun)"_s),
                 qPrintable(shared.fixture.messages.first()));
    }
};

QTEST_MAIN(TestSharingWindow)
#include "tst_sharing_window.moc"
