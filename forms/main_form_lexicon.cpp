// The English–Russian dictionary in the main window: "Словарная статья" in
// the list's context menu. The dictionary opens only when an article is
// asked for.
#include "forms/main_form.h"

#include "dict/dict_library.h"
#include "dict/word_store.h"
#include "forms/article_dialog.h"
#include "forms/meaning_suggestions.h"
#include "forms/message_box.h"
#include "ui_main_form.h"

#include <QAction>
#include <QMenu>

void TForm1::setUpDictionaryArticle()
{
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("NArticleSeparator"));
    QAction *item = m_listMenu->addAction(QStringLiteral("Словарная статья"));
    item->setObjectName(QStringLiteral("NArticle"));
    item->setShortcut(MeaningSuggestions::ArticleKey);
    item->setShortcutContext(Qt::WidgetShortcut);
    m_ui->ListView1->addAction(item);
    connect(item, &QAction::triggered, this, &TForm1::ShowSelectedArticle);
}

void TForm1::ShowSelectedArticle()
{
    const int row = selectedRow();
    if (row < 0 || !m_library || !m_library->file || row >= m_library->file->lines.size()) {
        MessageBoxes::information(this, QStringLiteral("Сначало нужно выбрать слово из списка"));
        return;
    }
    BWORDW record;
    record.ParseLine(u',', m_library->file->lines.at(row));
    ArticleDialog::showArticle(record.FieldText(0), this);
}
