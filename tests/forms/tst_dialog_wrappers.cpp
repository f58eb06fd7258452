#include "app/registry.h"
#include "forms/colour.h"
#include "forms/file_dialog.h"
#include "forms/message_box.h"
#include "forms/pickers.h"
#include "platform/toolkit_settings.h"

#include "modal_answer.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDialogWrappers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Qt's dialogs keep their state in the user's Qt settings; the tests keep theirs apart.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void colourConversion_data()
    {
        QTest::addColumn<uint>("colour");
        QTest::addColumn<QColor>("qcolor");
        QTest::newRow("red") << 0x0000FFu << QColor(255, 0, 0);
        QTest::newRow("blue") << 0xFF0000u << QColor(0, 0, 255);
        QTest::newRow("yellow") << 0x00FFFFu << QColor(255, 255, 0);
        QTest::newRow("game background") << 0xFF80FFu << QColor(255, 128, 255);
        QTest::newRow("custom colour") << 0xE0FCE1u << QColor(0xE1, 0xFC, 0xE0);
        QTest::newRow("black") << 0u << QColor(0, 0, 0);
    }

    void colourConversion()
    {
        QFETCH(uint, colour);
        QFETCH(QColor, qcolor);
        QCOMPARE(toQColor(colour), qcolor);
        QCOMPARE(fromQColor(qcolor), Colour(colour));
        // Transparency is no part of a program colour.
        QColor translucent = qcolor;
        translucent.setAlpha(10);
        QCOMPARE(fromQColor(translucent), Colour(colour));
    }

    void messageBoxHandler()
    {
        QStringList seen;
        MessageBoxes::setHandler([&](const QString &caption, const QString &text) { seen << caption << text; });
        MessageBoxes::information(nullptr, u"Этот словарь полон, перехожу к следующему"_s);
        MessageBoxes::setHandler({});
        QCOMPARE(seen, (QStringList{u"Информация"_s, u"Этот словарь полон, перехожу к следующему"_s}));
    }

    void realMessageBox()
    {
        QWidget owner;
        bool found = false;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QWidget *parent = nullptr;
        answerNextModal<QMessageBox>(
            [&](QMessageBox *box) {
                title = box->windowTitle();
                icon = box->icon();
                buttons = box->standardButtons();
                parent = box->parentWidget();
                box->accept();
            },
            &found);
        MessageBoxes::information(&owner, u"Сначало нужно выбрать слово из списка"_s);
        QVERIFY(found);
        QCOMPARE(title, u"Информация"_s);
        QCOMPARE(icon, QMessageBox::Information);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(parent, &owner);
    }

    void fileDialogHandler()
    {
        FileDialogs::setHandler([](const QString &folder, const QString &filter) {
            return QString(folder + u"|"_s + filter);
        });
        const QString answer = FileDialogs::openFile(nullptr, u"/dicts"_s, u"Словари|*.wrd"_s);
        FileDialogs::setHandler({});
        QCOMPARE(answer, u"/dicts|Словари|*.wrd"_s);
    }

    void realFileDialog()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString &name : {u"tom_0.wrd"_s, u"tom_1.wrd"_s}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        bool found = false;
        QStringList filters;
        QString suffix;
        QString folder;
        answerNextModal<QFileDialog>(
            [&](QFileDialog *dialog) {
                filters = dialog->nameFilters();
                suffix = dialog->defaultSuffix();
                folder = dialog->directory().absolutePath();
                // The dialog fills in its name field only while the field
                // has no focus, and it may have it by now.
                if (QWidget *focused = dialog->focusWidget())
                    focused->clearFocus();
                dialog->selectFile(dir.filePath(u"tom_1.wrd"_s));
                static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own accept is protected
            },
            &found);
        const QString chosen = FileDialogs::openFile(nullptr, dir.path(), u"Словари|*.wrd"_s);
        QVERIFY(found);
        QCOMPARE(filters, QStringList{u"Словари (*.wrd)"_s});
        QCOMPARE(suffix, u"wrd"_s);
        QCOMPARE(folder, QDir(dir.path()).absolutePath());
        QCOMPARE(QFileInfo(chosen).canonicalFilePath(), QFileInfo(dir.filePath(u"tom_1.wrd"_s)).canonicalFilePath());

        // The next showing offers the same name again; cancelling gives nothing.
        QStringList offered;
        answerNextModal<QFileDialog>(
            [&](QFileDialog *dialog) {
                offered = dialog->selectedFiles();
                dialog->reject();
            },
            &found);
        QCOMPARE(FileDialogs::openFile(nullptr, dir.path(), u"Словари (*.wrd)"_s), QString());
        QVERIFY(found);
        QCOMPARE(offered.size(), 1);
        QCOMPARE(QFileInfo(offered.constFirst()).fileName(), u"tom_1.wrd"_s);
    }

    void pickerHandlers()
    {
        Pickers::setColourHandler([](const QColor &initial) -> std::optional<QColor> { return initial.darker(); });
        QCOMPARE(Pickers::pickColour(nullptr, QColor(200, 100, 50)), QColor(200, 100, 50).darker());
        Pickers::setColourHandler({});

        // A cancelled font picker answers nothing.
        Pickers::setFontHandler([](const QFont &) -> std::optional<QFont> { return std::nullopt; });
        const QFont initial(u"Courier New"_s, 13);
        QCOMPARE(Pickers::pickFont(nullptr, initial), std::optional<QFont>());
        Pickers::setFontHandler({});
    }

    void realColourPicker()
    {
        bool found = false;
        QColor offered;
        answerNextModal<QColorDialog>(
            [&](QColorDialog *dialog) {
                offered = dialog->currentColor();
                dialog->setCurrentColor(QColor(10, 20, 30));
                dialog->accept();
            },
            &found);
        QCOMPARE(Pickers::pickColour(nullptr, QColor(200, 100, 50)), QColor(10, 20, 30));
        QVERIFY(found);
        QCOMPARE(offered, QColor(200, 100, 50));

        answerNextModal<QColorDialog>([](QColorDialog *dialog) { dialog->reject(); }, &found);
        QCOMPARE(Pickers::pickColour(nullptr, Qt::red), std::optional<QColor>());
        QVERIFY(found);
    }

    void realFontPicker()
    {
        const QFont initial(u"Courier New"_s, 13);
        QFont chosen(u"DejaVu Sans"_s, 17);
        chosen.setItalic(true);
        bool found = false;
        answerNextModal<QFontDialog>(
            [&](QFontDialog *dialog) {
                dialog->setCurrentFont(chosen);
                dialog->accept();
            },
            &found);
        const std::optional<QFont> confirmed = Pickers::pickFont(nullptr, initial);
        QVERIFY(found);
        QVERIFY(confirmed);
        QCOMPARE(confirmed->pointSize(), 17);
        QVERIFY(confirmed->italic());

        answerNextModal<QFontDialog>(
            [&](QFontDialog *dialog) {
                dialog->setCurrentFont(chosen);
                dialog->reject();
            },
            &found);
        QCOMPARE(Pickers::pickFont(nullptr, initial), std::optional<QFont>());
        QVERIFY(found);
    }

    // Custom colours a user adds and the file dialog's history stay in
    // memory: nothing of the toolkit's is written beside the program's own
    // settings.
    void toolkitDialogsWriteNoSettings()
    {
        const QString toolkitFile = QSettings(QSettings::UserScope, u"QtProject"_s).fileName();
        const QString ownFile = INIT().fileName();
        QFile::remove(toolkitFile);
        ToolkitSettings::keepInMemory();
        bool found = false;
        answerNextModal<QColorDialog>(
            [&](QColorDialog *dialog) {
                QColorDialog::setCustomColor(3, QColor(1, 2, 3)); // "Add to custom colours"
                dialog->setCurrentColor(QColor(1, 2, 3));
                dialog->accept();
            },
            &found);
        QCOMPARE(Pickers::pickColour(nullptr, QColor()), QColor(1, 2, 3));
        QVERIFY(found);
        QTemporaryDir folder;
        answerNextModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); }, &found);
        FileDialogs::openFile(nullptr, folder.path(), u"Словари (*.wrd)"_s);
        QVERIFY(found);
        QVERIFY(!QFile::exists(toolkitFile));
        QCOMPARE(INIT().fileName(), ownFile);
    }
};

QTEST_MAIN(TestDialogWrappers)
#include "tst_dialog_wrappers.moc"
