#include "forms/import_dialog.h"

#include "ui_import_dialog.h"

#include "forms/file_notices.h"
#include "forms/russian_plural.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Kind = WordListProblem::Kind;

QString quoted(const QString &text)
{
    return u"«"_s + text + u"»"_s;
}

// "слово «cat»" or "значение 2 «кот»", and the same after "в".
QString fieldName(const WordListProblem &problem)
{
    return problem.field == 0 ? u"слово "_s + quoted(problem.value)
                              : u"значение %1 "_s.arg(problem.field) + quoted(problem.value);
}

QString inField(const WordListProblem &problem)
{
    return problem.field == 0 ? u"в слове "_s + quoted(problem.value)
                              : u"в значении %1 "_s.arg(problem.field) + quoted(problem.value);
}

QString reason(const WordListProblem &problem)
{
    switch (problem.kind) {
    case Kind::Unreadable:
        return u"файл не удаётся прочитать"_s;
    case Kind::TooLarge:
        return u"файл слишком велик для списка слов"_s;
    case Kind::NotText:
        return u"это не текстовый файл"_s;
    case Kind::NotUtf8:
        return u"текст испорчен: это не UTF-8, не UTF-16 и не Windows-1251"_s;
    case Kind::EmptyWord:
        return u"нет английского слова"_s;
    case Kind::TooManyMeanings:
        return u"%1 %2, а помещается не больше трёх"_s.arg(problem.count).arg(
            RussianPlural(problem.count, u"значение"_s, u"значения"_s, u"значений"_s));
    case Kind::TooLong:
        return fieldName(problem) + u" длиннее %1 символов (%2)"_s.arg(WordList::MaxFieldLength).arg(problem.count);
    case Kind::Comma:
        return inField(problem) + u" есть запятая, а в словаре она разделила бы его на два"_s;
    case Kind::ControlCharacter:
        return inField(problem) + u" есть управляющий символ"_s;
    case Kind::UnclosedQuote:
        return u"кавычка, открытая в этой строке, нигде не закрыта"_s;
    case Kind::BadXml:
        return u"файл KVTML повреждён или это не KVTML"_s;
    case Kind::NoLanguages:
        return u"в файле KVTML нет английского и русского языков"_s;
    case Kind::Other:
        break;
    }
    return problem.text;
}

QString delimiterName(QChar delimiter)
{
    if (delimiter == u'\t')
        return u"табуляция"_s;
    if (delimiter == u' ')
        return u"пробел"_s;
    return quoted(QString(delimiter));
}

QString encodingName(TextDecoding::Encoding encoding)
{
    switch (encoding) {
    case TextDecoding::Encoding::Utf16:
        return u"UTF-16"_s;
    case TextDecoding::Encoding::Cp1251:
        return u"Windows-1251"_s;
    case TextDecoding::Encoding::Utf8:
    case TextDecoding::Encoding::Utf8WithMark:
        break;
    }
    return u"UTF-8"_s;
}

} // namespace

namespace ImportTexts {

QString problem(const WordListProblem &problem)
{
    const QString text = reason(problem);
    if (problem.line <= 0)
        return text.left(1).toUpper() + text.mid(1);
    return u"Строка %1: "_s.arg(problem.line) + text;
}

QString words(qsizetype count)
{
    return QString::number(count) + u' ' + RussianPlural(count, u"слово"_s, u"слова"_s, u"слов"_s);
}

QString format(const WordImport::Result &read)
{
    switch (read.format) {
    case WordImport::Format::Kvtml:
        return u"KVTML"_s;
    case WordImport::Format::Dictionary:
        return u"словарь Lexomat"_s;
    case WordImport::Format::FlashcardText:
        return u"экспорт карточек, разделитель — %1, %2"_s.arg(delimiterName(read.delimiter),
                                                                 encodingName(read.encoding));
    case WordImport::Format::Text:
        break;
    }
    if (read.delimiter == u',' || read.delimiter == u';')
        return u"CSV, разделитель — %1, %2"_s.arg(delimiterName(read.delimiter), encodingName(read.encoding));
    return u"текст, разделитель — %1, %2"_s.arg(delimiterName(read.delimiter), encodingName(read.encoding));
}

QString plan(const QList<FolderImport::Portion> &plan)
{
    constexpr qsizetype Shown = 5;
    QStringList lines;
    const auto into = [](const FolderImport::Portion &portion) {
        const QString name = quoted(QFileInfo(portion.path).fileName());
        return QString(QString::number(portion.added) + (portion.created ? u" — в новый словарь "_s : u" — в словарь "_s)
                       + name);
    };
    const qsizetype direct = plan.size() > Shown + 1 ? Shown : plan.size();
    for (qsizetype i = 0; i < direct; ++i)
        lines.append(into(plan[i]));
    if (direct < plan.size()) {
        int rest = 0;
        for (qsizetype i = direct; i < plan.size(); ++i)
            rest += plan[i].added;
        lines.append(u"ещё %1 — в словари с %2 по %3"_s.arg(
            words(rest), quoted(QFileInfo(plan[direct].path).fileName()), quoted(QFileInfo(plan.last().path).fileName())));
    }
    return lines.join(u'\n');
}

QString currentNotSaved(const QString &path, int error)
{
    return u"Не удалось записать текущий словарь %1: %2.\n"
           "Слова не импортированы: сначала должны сохраниться ваши изменения."_s.arg(quoted(QDir::toNativeSeparators(path)),
                                                                                 FileNotices::reason(error));
}

QString importFailed(const QString &folder, const QString &path, int error, const QStringList &notRestored)
{
    QString text = path.isEmpty()
                       ? u"Не удалось записать словари в папку %1."_s.arg(quoted(QDir::toNativeSeparators(QDir::cleanPath(folder))))
                       : u"Не удалось записать словарь %1: %2."_s.arg(quoted(QDir::toNativeSeparators(path)),
                                                                      FileNotices::reason(error));
    if (notRestored.isEmpty())
        return text + u"\nСлова не импортированы, словари остались такими, как были."_s;
    QStringList names;
    for (const QString &name : notRestored)
        names.append(quoted(QDir::toNativeSeparators(name)));
    return text + u"\nСлова не импортированы, но эти файлы не удалось вернуть в прежний вид: %1."_s.arg(names.join(u", "_s));
}

QString exportFailed(const QString &path, int error)
{
    return u"Не удалось записать файл %1: %2."_s.arg(quoted(QDir::toNativeSeparators(path)), FileNotices::reason(error));
}

QString exported(const QString &path, qsizetype count)
{
    return u"Словарь записан в таблицу %1: %2."_s.arg(quoted(QDir::toNativeSeparators(path)), words(count));
}

QString nothingToExport(const QString &path)
{
    return u"Словарь %1 не удаётся прочитать, поэтому экспортировать нечего."_s.arg(quoted(QDir::toNativeSeparators(path)));
}

} // namespace ImportTexts

TImportDialog::TImportDialog(const QString &path, const WordImport::Result &read,
                             const QList<FolderImport::Portion> &plan, QWidget *mainWindow, const ImportMeanings &meanings)
    : QDialog(mainWindow)
    , m_ui(std::make_unique<Ui::ImportDialog>())
    , m_read(read)
    , m_plan(plan)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    // The main window's look: a blue form with white texts, lists in blue
    // on white, grey buttons with blue captions.
    QPalette look = palette();
    look.setColor(QPalette::Window, QColor(0, 0, 255));
    look.setColor(QPalette::WindowText, Qt::white);
    look.setColor(QPalette::Base, Qt::white);
    look.setColor(QPalette::Text, QColor(0, 0, 255));
    look.setColor(QPalette::Button, QColor(212, 208, 200));
    look.setColor(QPalette::ButtonText, QColor(0, 0, 255));
    look.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    setPalette(look);
    setAutoFillBackground(true);
    if (mainWindow)
        move(mainWindow->window()->frameGeometry().topLeft() + QPoint(20, 40));

    QStringList about{u"Файл: "_s + quoted(QDir::toNativeSeparators(path))};
    const bool unreadable = std::any_of(read.problems.cbegin(), read.problems.cend(), [](const WordListProblem &p) {
        return p.line == 0;
    });
    if (!unreadable)
        about.append(u"Формат: "_s + ImportTexts::format(read));
    if (read.headingLine > 0)
        about.append(u"Строка %1 с названиями столбцов пропущена."_s.arg(read.headingLine));
    if (read.turnedRound > 0) {
        about.append(u"Русское слово стояло первым в %1 %2: столбцы переставлены."_s.arg(read.turnedRound).arg(
            RussianPlural(read.turnedRound, u"строке"_s, u"строках"_s, u"строках"_s)));
    }
    m_ui->FileLabel->setText(about.join(u'\n'));

    for (const WordListProblem &problem : read.problems)
        m_ui->ProblemsList->addItem(ImportTexts::problem(problem));
    const bool faults = !read.problems.isEmpty();
    m_ui->ProblemsLabel->setText(u"Эти строки импортировать нельзя (%1):"_s.arg(read.problems.size()));
    m_ui->ProblemsLabel->setVisible(faults);
    m_ui->ProblemsList->setVisible(faults);

    // English words only: the dictionary may give them meanings, or the
    // learner is told which package would.
    const bool wordsOnly = !faults && SuggestedMeanings::WordsOnly(read.entries);
    m_offered = wordsOnly && meanings.lookup;
    if (m_offered) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_filled = SuggestedMeanings::Fill(read.entries, meanings.lookup);
        QApplication::restoreOverrideCursor();
        m_ui->MeaningsBox->setChecked(meanings.taken);
        connect(m_ui->MeaningsBox, &QCheckBox::toggled, this, &TImportDialog::showRows);
    } else if (wordsOnly && !meanings.missing.isEmpty()) {
        m_ui->MeaningsNote->setText(u"В файле только английские слова. "_s + meanings.missing);
    }
    m_ui->MeaningsBox->setVisible(m_offered);
    m_ui->MeaningsNote->setVisible(!m_ui->MeaningsNote->text().isEmpty());

    m_canImport = !faults && !read.entries.isEmpty();
    m_ui->ImportButton->setEnabled(m_canImport);
    m_ui->ImportButton->setDefault(m_canImport);
    m_ui->CancelButton->setDefault(!m_canImport);
    connect(m_ui->ImportButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    showRows();
}

TImportDialog::~TImportDialog() = default;

bool TImportDialog::canImport() const
{
    return m_canImport;
}

QList<WordEntry> TImportDialog::entries() const
{
    return m_offered && m_ui->MeaningsBox->isChecked() ? m_filled.entries : m_read.entries;
}

void TImportDialog::showRows()
{
    const bool suggesting = m_offered && m_ui->MeaningsBox->isChecked();
    const QList<WordEntry> shown = entries();
    QTreeWidget *rows = m_ui->RowsList;
    rows->clear();
    // With meanings from the dictionary every word shows, so that nothing
    // is imported unseen; a third column tells where the meanings came from.
    rows->setColumnCount(suggesting ? 3 : 2);
    if (suggesting)
        rows->headerItem()->setText(2, u"Значения"_s);
    const qsizetype count = suggesting ? shown.size() : std::min<qsizetype>(shown.size(), PreviewRows);
    QList<QTreeWidgetItem *> items;
    for (qsizetype i = 0; i < count; ++i) {
        const WordEntry &entry = shown[i];
        auto *item = new QTreeWidgetItem({QString::number(entry.line), WordList::ToDictionaryLine(entry)});
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        if (suggesting)
            item->setText(2, m_filled.suggested[i] ? u"из словаря"_s : u"нет в словаре"_s);
        items.append(item);
    }
    rows->addTopLevelItems(items);
    rows->resizeColumnToContents(0);
    if (suggesting)
        rows->resizeColumnToContents(1);

    const qsizetype more = shown.size() - PreviewRows;
    if (!m_read.problems.isEmpty())
        m_ui->RowsLabel->setText(u"Строки без ошибок — так они были бы записаны:"_s);
    else if (suggesting)
        m_ui->RowsLabel->setText(u"Все %1 так, как они будут записаны; значения подобраны по англо-русскому словарю:"_s.arg(
            ImportTexts::words(shown.size())));
    else
        m_ui->RowsLabel->setText(more > 0 ? u"Первые %1 из %2 так, как они будут записаны:"_s.arg(PreviewRows).arg(
                                            ImportTexts::words(shown.size()))
                                      : u"Слова так, как они будут записаны:"_s);

    // The words without meanings by name; a long list ends with how many
    // more the list marks.
    constexpr qsizetype NamedUnknown = 30;
    QString unknown;
    if (suggesting && !m_filled.unknown.isEmpty()) {
        unknown = u"Нет в словаре, будут записаны без значений (%1): "_s.arg(m_filled.unknown.size())
                  + m_filled.unknown.mid(0, NamedUnknown).join(u", "_s);
        const qsizetype rest = m_filled.unknown.size() - NamedUnknown;
        unknown += rest > 0 ? u" и ещё %1, они отмечены в списке."_s.arg(rest) : u"."_s;
    }
    m_ui->UnknownLabel->setText(unknown);
    m_ui->UnknownLabel->setVisible(!unknown.isEmpty());

    if (!m_read.problems.isEmpty()) {
        m_ui->SummaryLabel->setText(u"Пока в файле есть ошибки, слова не добавляются. Исправьте эти строки в файле "
                                    "и импортируйте его снова."_s);
    } else if (m_read.entries.isEmpty()) {
        m_ui->SummaryLabel->setText(u"В файле нет слов."_s);
    } else {
        m_ui->SummaryLabel->setText(u"Будет добавлено %1:\n"_s.arg(ImportTexts::words(m_read.entries.size()))
                                    + ImportTexts::plan(m_plan));
    }
    m_ui->RowsLabel->setVisible(!m_read.entries.isEmpty());
    m_ui->RowsList->setVisible(!m_read.entries.isEmpty());
}
