#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class MeaningSuggestions;
struct PRG_STAT;

namespace Ui {
class AddDialog;
}

// The word editor: one field for the English word and three for its Russian
// meanings. In add mode (editMode 0) a confirmed word is appended to the
// dictionary's lines; in change mode (editMode 1) it replaces line editIndex,
// whose text editLine the fields start from.
class TAddDialog : public QDialog
{
    Q_OBJECT

public:
    // lines are the current dictionary's lines; the dialog edits them in place.
    TAddDialog(PRG_STAT &state, QStringList &lines, QWidget *mainWindow);
    ~TAddDialog() override;

Q_SIGNALS:
    // The dictionary view must be rebuilt: sent by every confirm, also one
    // that stored nothing.
    void dictionaryChanged();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(QWidget *mainWindow);
    void Button1Click();

    PRG_STAT &m_state;
    QStringList &m_lines;
    std::unique_ptr<Ui::AddDialog> m_ui;
    int m_mode = 0;
    // Meanings from the dictionary; none while that is off or missing.
    MeaningSuggestions *m_suggestions = nullptr;
    // In change mode: what the stored line holds beyond the four fields.
    QString m_beyondFields;
};
