#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>

#include "lexicon/lexicon.h"

class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Meanings from the English–Russian dictionary in the word editor. Once the
// English word is typed (a short pause, or leaving its field) it is looked
// up; an empty meaning field that takes the focus drops a list of the
// meanings not taken yet. Down and Up move in the list, Enter or a click
// takes the highlighted meaning into the field and moves on to the next
// empty one, Escape closes the list, and typing in the field closes it too:
// typed text wins, and nothing is filled without the learner's action.
// Beside the word, its headword and transcription; F2 or a click shows the
// whole article.
//
// The dictionary opens with the first lookup, not with the dialog.
class MeaningSuggestions : public QObject
{
    Q_OBJECT

public:
    MeaningSuggestions(QDialog *dialog, QLineEdit *word, const std::array<QLineEdit *, 3> &meanings, QPushButton *confirm);
    ~MeaningSuggestions() override;

    // The key that shows the whole article, here and in the dictionaries
    // list.
    static const QKeySequence ArticleKey;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Looks the word field's text up unless that is done already.
    void lookUp();
    void showResult();
    // The meanings of the last lookup that no meaning field holds.
    QStringList available() const;
    void showList(QLineEdit *field);
    void hideList();
    void moveInList(int step);
    void take(int row);
    void showArticle();
    QLineEdit *meaningField(QObject *object) const;

    QDialog *m_dialog;
    QLineEdit *m_word;
    std::array<QLineEdit *, 3> m_meanings;
    QPushButton *m_confirm;
    QLabel *m_heading;
    QPushButton *m_articleButton;
    QListWidget *m_list;
    QLineEdit *m_listField = nullptr;
    QTimer m_pause;
    std::shared_ptr<const Lexicon> m_lexicon;
    // The word of the last lookup, and what it found.
    QString m_lookedUp;
    LookupResult m_result;
};
