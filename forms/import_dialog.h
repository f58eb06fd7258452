#pragma once

#include "import/folder_import.h"
#include "import/word_import.h"

#include <QDialog>

#include <memory>

namespace Ui {
class ImportDialog;
}

// The preview of an import: what file was read and how, the first words as
// they will be stored, how many words go into which dictionaries, and every
// line that cannot be imported with the reason. "Импортировать" is offered
// only when the file holds words and no faults: a file is imported whole or
// not at all.
class TImportDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PreviewRows = 10;

    TImportDialog(const QString &path, const WordImport::Result &read, const QList<FolderImport::Portion> &plan,
                  QWidget *mainWindow);
    ~TImportDialog() override;

    bool canImport() const;

private:
    std::unique_ptr<Ui::ImportDialog> m_ui;
    bool m_canImport = false;
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
