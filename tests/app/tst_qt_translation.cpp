// Qt's own dialogs and buttons read Russian under the application object the
// program starts with, even where the system's locale is English.

#include "app/lexomat_application.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// What the user reads of a caption: without the mnemonic marks.
QString shown(QString text)
{
    return text.remove(u'&').trimmed();
}

bool hasCyrillic(const QString &text)
{
    return text.contains(QRegularExpression(u"[\\x{0400}-\\x{04FF}]"_s));
}

// Texts with a Latin word in them and no Cyrillic at all: what a learner
// would meet as English. "OK" reads the same in Russian.
QStringList englishTexts(const QStringList &texts)
{
    static const QRegularExpression word(u"[A-Za-z]{2,}"_s);
    QStringList english;
    for (const QString &text : texts) {
        if (text.contains(word) && !hasCyrillic(text) && text != u"OK"_s)
            english.append(text);
    }
    return english;
}

QStringList buttonTexts(const QWidget *dialog)
{
    QStringList texts;
    for (const QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (!button->text().isEmpty())
            texts.append(shown(button->text()));
    }
    return texts;
}

QStringList labelTexts(const QWidget *dialog)
{
    QStringList texts;
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            texts.append(shown(label->text()));
    }
    return texts;
}

} // namespace

class TestQtTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void colourDialogReadsRussian();
    void messageBoxButtonsReadRussian_data();
    void messageBoxButtonsReadRussian();
    void fontAndFileDialogsReadRussian();
    void editMenuReadsRussian();
};

void TestQtTranslation::initTestCase()
{
    const auto *app = qobject_cast<LexomatApplication *>(QCoreApplication::instance());
    QVERIFY(app);
    QVERIFY2(app->speaksRussian(), "Qt's Russian translation is not installed (qt6-translations-l10n)");
    QCOMPARE(QLocale::system().language(), QLocale::C);
}

void TestQtTranslation::colourDialogReadsRussian()
{
    // As the settings dialog's "Изменить" opens it.
    QColorDialog dialog(Qt::red);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    QVERIFY(hasCyrillic(dialog.windowTitle()));
    QVERIFY(dialog.windowTitle() != u"Select Color"_s);

    const QDialogButtonBox *box = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(box);
    const QAbstractButton *cancel = box->button(QDialogButtonBox::Cancel);
    QVERIFY(cancel);
    QVERIFY2(hasCyrillic(cancel->text()), qPrintable(cancel->text()));
    QVERIFY(box->button(QDialogButtonBox::Ok));

    const QStringList buttons = buttonTexts(&dialog);
    QVERIFY2(englishTexts(buttons).isEmpty(), qPrintable(englishTexts(buttons).join(u" | "_s)));
    const QStringList labels = labelTexts(&dialog);
    QVERIFY(labels.size() >= 8); // the colour groups and the fields
    // The field names are Russian words, the hexadecimal field's "HTML" aside.
    const QStringList english = englishTexts(labels);
    QVERIFY2(english.isEmpty() || english == QStringList{u"HTML:"_s}, qPrintable(english.join(u" | "_s)));
}

void TestQtTranslation::messageBoxButtonsReadRussian_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("english");
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << u"Cancel"_s;
    QTest::newRow("Yes") << int(QMessageBox::Yes) << u"Yes"_s;
    QTest::newRow("No") << int(QMessageBox::No) << u"No"_s;
    QTest::newRow("Close") << int(QMessageBox::Close) << u"Close"_s;
    QTest::newRow("Retry") << int(QMessageBox::Retry) << u"Retry"_s;
}

void TestQtTranslation::messageBoxButtonsReadRussian()
{
    QFETCH(int, button);
    QFETCH(QString, english);
    QMessageBox box(QMessageBox::Critical, u"Lexomat"_s, u"Ошибка"_s,
                    QMessageBox::StandardButton(button) | QMessageBox::Ok);
    const QAbstractButton *shownButton = box.button(QMessageBox::StandardButton(button));
    QVERIFY(shownButton);
    QVERIFY2(hasCyrillic(shownButton->text()), qPrintable(shownButton->text()));
    QVERIFY(shown(shownButton->text()) != english);
    // "OK" reads the same in Russian; it is there and has a text.
    QVERIFY(box.button(QMessageBox::Ok) && !box.button(QMessageBox::Ok)->text().isEmpty());
}

void TestQtTranslation::fontAndFileDialogsReadRussian()
{
    QFontDialog font;
    font.setOption(QFontDialog::DontUseNativeDialog);
    QVERIFY2(hasCyrillic(font.windowTitle()), qPrintable(font.windowTitle()));
    QVERIFY2(englishTexts(labelTexts(&font)).isEmpty(), qPrintable(englishTexts(labelTexts(&font)).join(u" | "_s)));

    QFileDialog file(nullptr, QString(), QDir::tempPath());
    file.setOption(QFileDialog::DontUseNativeDialog);
    file.setAcceptMode(QFileDialog::AcceptOpen);
    file.setFileMode(QFileDialog::ExistingFile);
    QVERIFY2(hasCyrillic(file.windowTitle()), qPrintable(file.windowTitle()));
    const QStringList buttons = buttonTexts(&file);
    QVERIFY(!buttons.isEmpty());
    QVERIFY2(englishTexts(buttons).isEmpty(), qPrintable(englishTexts(buttons).join(u" | "_s)));
    QVERIFY2(englishTexts(labelTexts(&file)).isEmpty(), qPrintable(englishTexts(labelTexts(&file)).join(u" | "_s)));
}

void TestQtTranslation::editMenuReadsRussian()
{
    // The right-click menu of the word editor's and find dialog's fields.
    QLineEdit edit;
    edit.setText(u"run"_s);
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts.append(shown(action->text().section(u'\t', 0, 0)));
    }
    QVERIFY(texts.size() >= 6);
    QVERIFY2(englishTexts(texts).isEmpty(), qPrintable(englishTexts(texts).join(u" | "_s)));
}

int main(int argc, char **argv)
{
    // An English system: the program's choice of Russian must not hang on it.
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");
    qputenv("LANGUAGE", "en");
    LexomatApplication app(argc, argv);
    TestQtTranslation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qt_translation.moc"
