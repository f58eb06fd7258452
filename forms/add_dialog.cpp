#include "forms/add_dialog.h"

#include "ui_add_dialog.h"

#include "app/program_state.h"
#include "dict/word_store.h"
#include "forms/label_fit.h"
#include "forms/meaning_suggestions.h"
#include "lexicon/lexicon.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QToolTip>

#include <array>

namespace {

// Removes every character up to U+0020 from both ends: blanks, tabs, line
// breaks and other control characters.
QString trimControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

bool selectsOnFocus(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
           || reason == Qt::ShortcutFocusReason;
}

// A comma ends a field in the dictionary's lines: typed into a field it
// would split it in two and push the last meaning out.
const QString NoComma = QStringLiteral("Запятая разделяет слово и значения в словаре, поэтому в поле её ввести нельзя.");

// What a stored line holds beyond the four fields the editor shows: fields
// after the fourth and text after the last comma. Kept as it is, each field
// with its comma.
QString beyondTheFields(const QString &line)
{
    const QStringList parts = line.split(QLatin1Char(','));
    constexpr qsizetype Shown = 4;
    QString kept;
    for (qsizetype i = Shown; i + 1 < parts.size(); ++i)
        kept += parts.at(i) + QLatin1Char(',');
    return kept + parts.last();
}

} // namespace

TAddDialog::TAddDialog(PRG_STAT &state, QStringList &lines, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_state(state)
    , m_lines(lines)
    , m_ui(std::make_unique<Ui::AddDialog>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    fitLabelAroundCentre(m_ui->Label1);
    fitLabelAroundCentre(m_ui->Label2);
    static const QRegularExpression withoutComma(QStringLiteral("[^,]*"));
    for (QLineEdit *edit : {m_ui->Memo1, m_ui->Memo2, m_ui->Memo3, m_ui->Memo4}) {
        edit->installEventFilter(this);
        edit->setValidator(new QRegularExpressionValidator(withoutComma, edit));
    }

    // Off, or without a dictionary, the editor is the plain one.
    if (m_state.suggestMeanings == 1 && Lexicon::isInstalled())
        m_suggestions = new MeaningSuggestions(this, m_ui->Memo1, {m_ui->Memo2, m_ui->Memo3, m_ui->Memo4}, m_ui->Button1);

    connect(m_ui->Button1, &QPushButton::clicked, this, &TAddDialog::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate(mainWindow);
}

TAddDialog::~TAddDialog() = default;

void TAddDialog::FormCreate(QWidget *mainWindow)
{
    m_mode = m_state.editMode;
    if (mainWindow)
        move(mainWindow->window()->frameGeometry().topLeft() + QPoint(20, 40));

    const std::array<QLineEdit *, 4> edits{m_ui->Memo1, m_ui->Memo2, m_ui->Memo3, m_ui->Memo4};
    for (QLineEdit *edit : edits)
        edit->clear();
    if (m_mode != 1)
        return;

    setWindowTitle(QStringLiteral("Редактирование"));
    m_ui->Button1->setText(QStringLiteral("Изменить"));
    m_beyondFields = beyondTheFields(m_state.editLine);
    BWORDW word(4);
    word.ParseLine(QLatin1Char(','), m_state.editLine);
    for (int i = 0; i < 4; ++i) {
        const QString text = word.FieldText(i);
        // The 35-character limit is for typing: a longer stored field is
        // shown whole, so confirming another change does not cut it.
        QLineEdit *edit = edits[static_cast<std::size_t>(i)];
        if (text.size() > edit->maxLength())
            edit->setMaxLength(static_cast<int>(text.size()));
        edit->setText(text);
    }
}

void TAddDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_ui->Memo1->setFocus();
}

bool TAddDialog::eventFilter(QObject *watched, QEvent *event)
{
    // A line edit selects its whole text when tabbed into, as the meanings
    // do; the English word keeps the caret instead. The focus arrives again
    // without that reason.
    if (watched == m_ui->Memo1 && event->type() == QEvent::FocusIn
        && selectsOnFocus(static_cast<QFocusEvent *>(event)->reason())) {
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(watched, &plain);
        return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->text().contains(QLatin1Char(','))) {
        auto *edit = static_cast<QLineEdit *>(watched);
        QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), NoComma, edit);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAddDialog::Button1Click()
{
    // A field of blanks only counts as empty: an English word of blanks
    // stores nothing and a blank meaning leaves no empty field in the line.
    const QString word = trimControls(m_ui->Memo1->text());
    if (!word.isEmpty()) {
        m_ui->Memo1->setText(word);
        QString line = word;
        for (QLineEdit *edit : {m_ui->Memo2, m_ui->Memo3, m_ui->Memo4}) {
            const QString meaning = trimControls(edit->text());
            edit->setText(meaning);
            if (!meaning.isEmpty())
                line += QLatin1Char(',') + meaning;
        }
        line += QLatin1Char(',');
        if (m_mode == 1)
            line += m_beyondFields;
        line.remove(QLatin1Char('\r'));
        line.remove(QLatin1Char('\n'));

        if (m_mode != 1)
            m_lines.append(line);
        else if (m_state.editIndex >= 0 && m_state.editIndex < m_lines.size())
            m_lines[m_state.editIndex] = line; // the word keeps its place
        // A change whose line no longer exists stores nothing.
    }
    Q_EMIT dictionaryChanged();
    accept();
}
