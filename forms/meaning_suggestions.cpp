#include "forms/meaning_suggestions.h"

#include "forms/article_dialog.h"
#include "forms/message_box.h"

#include <QDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>

namespace {

// The pause after the last key in the word field before it is looked up.
constexpr int PauseMs = 400;
// Rows the list shows without scrolling.
constexpr int VisibleRows = 6;

} // namespace

const QKeySequence MeaningSuggestions::ArticleKey(Qt::Key_F2);

MeaningSuggestions::MeaningSuggestions(QDialog *dialog, QLineEdit *word, const std::array<QLineEdit *, 3> &meanings,
                                       QPushButton *confirm)
    : QObject(dialog)
    , m_dialog(dialog)
    , m_word(word)
    , m_meanings(meanings)
    , m_confirm(confirm)
{
    // Under the word, where the editor has room: the headword found with its
    // transcription, and the way to the whole article. Neither takes the
    // focus, so the fields keep their order.
    m_heading = new QLabel(dialog);
    m_heading->setObjectName(QStringLiteral("Transcription"));
    m_heading->setGeometry(word->x(), word->y() + 26, word->width(), 21);
    m_heading->setTextFormat(Qt::PlainText);
    m_articleButton = new QPushButton(QStringLiteral("Словарная статья"), dialog);
    m_articleButton->setObjectName(QStringLiteral("BArticle"));
    m_articleButton->setGeometry(word->x(), word->y() + 52, word->width(), 21);
    m_articleButton->setFocusPolicy(Qt::NoFocus);
    m_articleButton->setAutoDefault(false);
    m_articleButton->setToolTip(QStringLiteral("Вся статья словаря с транскрипцией (%1)")
                                    .arg(ArticleKey.toString(QKeySequence::NativeText)));
    m_articleButton->setEnabled(false);
    connect(m_articleButton, &QPushButton::clicked, this, &MeaningSuggestions::showArticle);
    auto *articleKey = new QShortcut(ArticleKey, dialog);
    connect(articleKey, &QShortcut::activated, this, &MeaningSuggestions::showArticle);

    m_list = new QListWidget(dialog);
    m_list->setObjectName(QStringLiteral("Suggestions"));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setToolTip(QStringLiteral("Значения из словаря: Enter или щелчок берёт значение, Esc закрывает список"));
    m_list->hide();
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { take(m_list->row(item)); });

    m_pause.setSingleShot(true);
    m_pause.setInterval(PauseMs);
    connect(&m_pause, &QTimer::timeout, this, &MeaningSuggestions::lookUp);
    connect(word, &QLineEdit::textEdited, this, [this] {
        hideList();
        m_pause.start();
    });
    word->installEventFilter(this);
    for (QLineEdit *field : m_meanings) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, &MeaningSuggestions::hideList);
    }
}

MeaningSuggestions::~MeaningSuggestions() = default;

void MeaningSuggestions::lookUp()
{
    m_pause.stop();
    const QString word = m_word->text().simplified();
    if (word == m_lookedUp)
        return;
    m_lookedUp = word;
    m_result = LookupResult();
    if (!word.isEmpty()) {
        if (!m_lexicon)
            m_lexicon = Lexicon::shared();
        m_result = m_lexicon->lookup(word);
    }
    showResult();
}

void MeaningSuggestions::showResult()
{
    QString heading;
    if (m_result.found()) {
        heading = m_result.headword.compare(m_lookedUp, Qt::CaseInsensitive) == 0
                      ? m_result.headword
                      : m_lookedUp + QStringLiteral(" → ") + m_result.headword;
        if (!m_result.transcription.isEmpty())
            heading += QLatin1Char(' ') + m_result.transcription;
    } else if (!m_lookedUp.isEmpty()) {
        heading = m_lexicon && m_lexicon->state() != Lexicon::State::Ready ? m_lexicon->problem()
                                                                            : QStringLiteral("Нет в словаре");
    }
    m_heading->setText(heading);
    m_heading->setToolTip(heading);
    m_articleButton->setEnabled(m_result.found());
}

QStringList MeaningSuggestions::available() const
{
    QStringList meanings;
    for (const QString &meaning : m_result.meanings) {
        const bool taken = std::any_of(m_meanings.begin(), m_meanings.end(), [&](const QLineEdit *field) {
            return field->text().trimmed().compare(meaning, Qt::CaseInsensitive) == 0;
        });
        if (!taken && meaning.size() <= m_meanings.front()->maxLength())
            meanings.append(meaning);
    }
    return meanings;
}

void MeaningSuggestions::showList(QLineEdit *field)
{
    lookUp();
    const QStringList meanings = available();
    if (meanings.isEmpty()) {
        hideList();
        return;
    }
    m_listField = field;
    m_list->clear();
    m_list->addItems(meanings);
    m_list->setCurrentRow(0);
    // Below the field when it fits in the dialog, else above it.
    const int rows = int(std::min<qsizetype>(meanings.size(), VisibleRows));
    const int height = rows * m_list->sizeHintForRow(0) + 2 * m_list->frameWidth();
    const QRect at = field->geometry();
    const int below = at.bottom() + 1;
    const int top = below + height <= m_dialog->height() || at.top() < height ? below : at.top() - height;
    m_list->setGeometry(at.left(), top, at.width(), std::min(height, m_dialog->height() - top));
    m_list->raise();
    m_list->show();
}

void MeaningSuggestions::hideList()
{
    m_list->hide();
    m_listField = nullptr;
}

void MeaningSuggestions::moveInList(int step)
{
    const int row = std::clamp(m_list->currentRow() + step, 0, m_list->count() - 1);
    m_list->setCurrentRow(row);
}

void MeaningSuggestions::take(int row)
{
    QLineEdit *field = m_listField;
    if (!field || row < 0 || row >= m_list->count())
        return;
    field->setText(m_list->item(row)->text());
    hideList();
    // The next empty meaning field gets the next meaning; with all filled,
    // the confirm button is next.
    const auto from = std::find(m_meanings.begin(), m_meanings.end(), field);
    for (auto it = from + 1; it != m_meanings.end(); ++it) {
        if ((*it)->text().isEmpty()) {
            (*it)->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    m_confirm->setFocus(Qt::TabFocusReason);
}

void MeaningSuggestions::showArticle()
{
    lookUp();
    if (m_lookedUp.isEmpty())
        return;
    if (!m_result.found()) {
        MessageBoxes::information(m_dialog, m_lexicon && m_lexicon->state() != Lexicon::State::Ready
                                                ? m_lexicon->problem()
                                                : QStringLiteral("Слова «%1» нет в словаре.").arg(m_lookedUp));
        return;
    }
    hideList();
    ArticleDialog article(m_result, m_dialog);
    article.exec();
}

QLineEdit *MeaningSuggestions::meaningField(QObject *object) const
{
    for (QLineEdit *field : m_meanings) {
        if (field == object)
            return field;
    }
    return nullptr;
}

bool MeaningSuggestions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_word) {
        // Leaving the word, by Tab or a click, looks it up at once.
        if (event->type() == QEvent::FocusOut)
            lookUp();
        return QObject::eventFilter(watched, event);
    }
    QLineEdit *field = meaningField(watched);
    if (!field)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (field->text().isEmpty())
            showList(field);
        break;
    case QEvent::FocusOut:
        hideList();
        break;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool open = m_list->isVisible() && m_listField == field;
        switch (key->key()) {
        case Qt::Key_Down:
            if (open)
                moveInList(1);
            else
                showList(field);
            return true;
        case Qt::Key_Up:
            if (open) {
                moveInList(-1);
                return true;
            }
            break;
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            if (open) {
                moveInList(key->key() == Qt::Key_PageDown ? VisibleRows : -VisibleRows);
                return true;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (open && m_list->currentRow() >= 0) {
                take(m_list->currentRow());
                return true;
            }
            break;
        case Qt::Key_Escape:
            if (open) {
                hideList();
                return true;
            }
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
