#pragma once

#include "progress/progress_report.h"

#include <QDialog>

#include <memory>

namespace Ui {
class ProgressForm;
}

// "Успехи": how many words of the current dictionary and of the whole folder
// are new, being learnt and learnt, the answers of the last thirty days, and
// the words the review schedule holds due today and on each of the next two
// weeks, and the hardest words with their chance of recall today, which
// "Составить словарь" hands back to be drilled.
class TProgressForm : public QDialog
{
    Q_OBJECT

public:
    // The dialog's result when the learner asked for the drill dictionary.
    static constexpr int DrillResult = 2;
    // The dialog's result when the learner asked for "Повторить сегодня".
    static constexpr int ReviewResult = 3;
    // The fewest words that make a playable dictionary.
    static constexpr int MinDrillWords = 6;

    TProgressForm(const ProgressReport &report, QWidget *mainWindow);
    ~TProgressForm() override;

    const ProgressReport &report() const { return m_report; }

private:
    void showStages(const WordsProgress &progress, const char *scope);
    void showReview(const ReviewPlan &plan);

    ProgressReport m_report;
    std::unique_ptr<Ui::ProgressForm> m_ui;
};
