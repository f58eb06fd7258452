#pragma once

#include "import/folder_import.h"
#include "import/suggested_meanings.h"
#include "import/word_import.h"

#include <QDialog>

#include <memory>

namespace Ui {
class ImportDialog;
}

// Meanings for a list of English words only: where they come from (nothing
// when no dictionary is installed, and then `missing` says which package
// brings one), and whether they are taken at first.
struct ImportMeanings
{
    SuggestedMeanings::Lookup lookup;
    bool taken = true;
    QString missing;
};

// The preview of an import: what file was read and how, the first words as
// they will be stored, how many words go into which dictionaries, and every
// line that cannot be imported with the reason. "Импортировать" is offered
// only when the file holds words and no faults: a file is imported whole or
// not at all.
//
// A list of English words only may take its meanings from the dictionary:
// then every word is shown as it will be stored, suggested meanings marked,
// and the words the dictionary does not know are named, so that nothing is
// imported the learner has not seen.
class TImportDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PreviewRows = 10;

    TImportDialog(const QString &path, const WordImport::Result &read, const QList<FolderImport::Portion> &plan,
                  QWidget *mainWindow, const ImportMeanings &meanings = ImportMeanings());
    ~TImportDialog() override;

    bool canImport() const;
    // The words "Импортировать" adds: as read, or with the meanings shown.
    QList<WordEntry> entries() const;

private:
    void showRows();

    std::unique_ptr<Ui::ImportDialog> m_ui;
    WordImport::Result m_read;
    QList<FolderImport::Portion> m_plan;
    bool m_canImport = false;
    bool m_offered = false;
    SuggestedMeanings::Filled m_filled;
};

// The learner's words for what the importer found.
namespace ImportTexts {

// "Строка 7: …" for one problem.
QString problem(const WordListProblem &problem);
// "152 слова", "1 слово", "5 слов".
QString words(qsizetype count);
// The file's form in a few words: "CSV, разделитель «;», Windows-1251".
QString format(const WordImport::Result &read);
// Where the words go, one line for each dictionary.
QString plan(const QList<FolderImport::Portion> &plan);

// Messages of the import and export flows.
QString currentNotSaved(const QString &path, int error);
QString importFailed(const QString &folder, const QString &path, int error, const QStringList &notRestored);
QString exportFailed(const QString &path, int error);
QString exported(const QString &path, qsizetype words);
QString nothingToExport(const QString &path);

} // namespace ImportTexts
