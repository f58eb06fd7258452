#pragma once

#include <QDialog>

#include <memory>

struct LookupResult;

namespace Ui {
class ArticleDialog;
}

// The whole dictionary article of a word, with its transcription, in a
// window of its own; the article of the base word follows when the word's
// own only points to it ("went" to "go").
class ArticleDialog : public QDialog
{
    Q_OBJECT

public:
    ArticleDialog(const LookupResult &result, QWidget *parent);
    ~ArticleDialog() override;

    // Looks the word up and shows its article modally; when there is none,
    // or no dictionary, says so in a message box owned by parent.
    static void showArticle(const QString &word, QWidget *parent);

private:
    std::unique_ptr<Ui::ArticleDialog> m_ui;
};
