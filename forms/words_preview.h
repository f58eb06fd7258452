#pragma once

#include "reading/document.h"
#include "reading/reading_run.h"
#include "reading/text_analysis.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QThread;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class WordsPreview;
}

// "Слова из текста": a text, subtitles or a book read and measured on a
// worker thread, with a progress bar and "Отмена"; then how much of it the
// learner understands, the new words with their meanings and an example,
// the words the dictionary has no meaning for (the learner may type them),
// and what was left out. The learner ticks the words to take, by default
// those up to 95 %; "Создать словари" accepts the dialog, and the caller
// writes them. Nothing is written here.
class TWordsPreview : public QDialog
{
    Q_OBJECT

public:
    // What the learner knows already, gathered on the interface thread.
    struct Known
    {
        QString folder;
        QString currentPath;
        QStringList currentLines; // the current dictionary with its unsaved edits
        QStringList learnt;       // English words the record marks as learnt
        QString openFolder;       // where "Открыть файл…" starts
    };

    QString OpenFolder() const { return m_known.openFolder; }

    TWordsPreview(Known known, QWidget *mainWindow);
    // Stops an analysis still running and waits for its thread.
    ~TWordsPreview() override;

    void OpenFile(const QString &path);
    void OpenText(const QString &text);

    bool IsWorking() const;
    // The dictionary lines of the ticked words, most frequent first.
    QStringList ChosenLines() const;

    // Stops the analysis too.
    void reject() override;

private:
    using Work = std::function<ReadingRun::Outcome(const Reading::ProgressFunction &)>;
    struct Job;

    void start(const QString &source, Work work);
    void stop();
    void poll();
    void finished();
    void showProblem(const QString &text);
    void showAnalysis();
    void fillList(QTreeWidget *list, bool withMeanings);
    void setWorking(bool working);
    void chooseFile();
    // How many words with meanings, taken in order, lift the share of known
    // running words to percent.
    int wordsFor(int percent) const;
    void takeFirst(int count);
    void itemChanged(QTreeWidgetItem *item, int column);
    void updatePlan();
    void create();
    QList<QTreeWidgetItem *> itemsInOrder() const;

    std::unique_ptr<Ui::WordsPreview> m_ui;
    Known m_known;
    QString m_sourceText;
    std::shared_ptr<Job> m_job;
    QThread *m_thread = nullptr;
    QTimer m_poll;
    std::optional<TextAnalysis> m_analysis;
    bool m_filling = false;
};

// The learner's words for the analysis of a text.
namespace ReadingTexts {

// What is wrong with a file, naming it.
QString problem(const Reading::ReadProblem &problem);
// "Вы знаете 91,3 % слов этого текста. Выучив 212 слов, вы будете понимать
// 95 %, выучив 640 — 98 %."
QString coverage(const TextAnalysis &analysis);
// "91,3 %": one decimal, rounded down.
QString percent(int permille);
// "текст", "субтитры SubRip", "книга EPUB" …
QString format(Reading::Format format);

} // namespace ReadingTexts
