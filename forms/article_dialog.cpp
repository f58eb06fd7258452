#include "forms/article_dialog.h"

#include "ui_article_dialog.h"

#include "forms/message_box.h"
#include "lexicon/lexicon.h"


ArticleDialog::ArticleDialog(const LookupResult &result, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ArticleDialog>())
{
    m_ui->setupUi(this);
    setWindowTitle(QStringLiteral("Словарная статья: ") + result.word);
    QString heading = result.headword;
    if (result.headword.compare(result.word, Qt::CaseInsensitive) != 0)
        heading = result.word + QStringLiteral(" → ") + heading;
    if (!result.transcription.isEmpty())
        heading += QLatin1Char(' ') + result.transcription;
    m_ui->Heading->setText(heading);
    m_ui->ArticleText->setPlainText(result.article);
    connect(m_ui->CloseButton, &QPushButton::clicked, this, &QDialog::accept);
}

ArticleDialog::~ArticleDialog() = default;

void ArticleDialog::showArticle(const QString &word, QWidget *parent)
{
    const auto lexicon = Lexicon::shared();
    if (lexicon->state() != Lexicon::State::Ready) {
        MessageBoxes::information(parent, lexicon->problem());
        return;
    }
    const LookupResult result = lexicon->lookup(word);
    if (!result.found()) {
        MessageBoxes::information(parent, QStringLiteral("Слова «%1» нет в словаре.").arg(word.simplified()));
        return;
    }
    ArticleDialog dialog(result, parent);
    dialog.exec();
}
