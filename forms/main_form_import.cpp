// Words from other trainers and spreadsheets on the dictionaries tab: a file
// dropped onto the tab or chosen with "Импорт…" is previewed and then added
// to the folder as the word editor adds words; "Экспорт…" writes the current
// dictionary as a spreadsheet.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "dict/dict_library.h"
#include "dict/file_replace.h"
#include "forms/file_dialog.h"
#include "forms/import_dialog.h"
#include "forms/message_box.h"
#include "import/csv_export.h"
#include "import/folder_import.h"
#include "import/suggested_meanings.h"
#include "import/word_import.h"
#include "lexicon/lexicon.h"
#include "ui_main_form.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString ImportFilter =
    u"Списки слов|*.csv;*.txt;*.tsv;*.tab;*.kvtml;*.xml;*.wrd|Все файлы|*"_s;
const QString ExportFilter = u"Таблицы CSV|*.csv"_s;

} // namespace

QString TForm1::transferFolder() const
{
    return m_transferFolder.isEmpty() || !QFileInfo(m_transferFolder).isDir() ? QDir::homePath() : m_transferFolder;
}

void TForm1::NImportClick()
{
    const QString chosen = FileDialogs::openFile(this, transferFolder(), ImportFilter);
    if (chosen.isEmpty() || !QFileInfo(chosen).isFile())
        return;
    ImportFile(chosen);
}

void TForm1::ImportFile(const QString &path)
{
    PRG_STAT &state = *m_objects.state;
    m_transferFolder = QFileInfo(path).absolutePath();

    // The current dictionary's edits reach the disk first: the import may
    // add to this very file, and must neither miss the edits nor be
    // overwritten by them when the dictionary is saved later.
    WordFile &current = *m_library->file;
    if (current.modified != 0 && current.status != WordFile::Unreadable && current.Save() != 1) {
        MessageBoxes::information(this, ImportTexts::currentNotSaved(current.path, current.saveError));
        return;
    }

    const WordImport::Result read = WordImport::ReadFile(path);
    QString failedPath;
    int failedError = 0;
    FolderImport import(m_library->folder, [&](WordFile &file) {
        const int saved = file.Save();
        if (saved != 1) {
            failedPath = file.path;
            failedError = file.saveError;
        }
        return saved;
    });
    const QList<FolderImport::Portion> plan =
        read.problems.isEmpty() ? import.Plan(read.entries.size()) : QList<FolderImport::Portion>();
    // A list of English words only may take meanings from the dictionary,
    // which opens only for such a list.
    ImportMeanings meanings;
    if (read.problems.isEmpty() && SuggestedMeanings::WordsOnly(read.entries)) {
        const auto lexicon = Lexicon::shared();
        if (lexicon->state() == Lexicon::State::Ready)
            meanings.lookup = [lexicon](const QString &word) { return lexicon->lookup(word).meanings; };
        else
            meanings.missing = lexicon->problem();
        meanings.taken = state.suggestMeanings == 1;
    }
    QList<WordEntry> entries;
    {
        TImportDialog preview(path, read, plan, this, meanings);
        if (preview.exec() != QDialog::Accepted || !preview.canImport())
            return;
        entries = preview.entries();
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool imported = import.Run(WordList::ToDictionaryLines(entries));
    QApplication::restoreOverrideCursor();
    if (!imported) {
        MessageBoxes::information(
            this, ImportTexts::importFailed(m_library->folder, failedPath, failedError, import.NotRestored()));
        return;
    }

    // The current dictionary as the import left it, so that saving it when
    // it is left writes the imported words back too; then the first
    // dictionary that received words becomes current, listed with the new
    // ones.
    current.Load();
    const QString first = import.Portions().constFirst().path;
    m_library.reset();
    m_library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, first);
    m_engine.ResetGame();
    DictionaryChanged();
    tellIfUnreadable();
    if (m_ui->ListView1->isVisible())
        m_ui->ListView1->setFocus();
}

void TForm1::NExportClick()
{
    const WordFile &file = *m_library->file;
    if (file.status == WordFile::Unreadable) {
        MessageBoxes::information(this, ImportTexts::nothingToExport(file.path));
        return;
    }
    const QString suggested = transferFolder() + u'/' + QFileInfo(file.path).completeBaseName() + u".csv"_s;
    const QString chosen = FileDialogs::saveFile(this, suggested, ExportFilter);
    if (chosen.isEmpty())
        return;
    m_transferFolder = QFileInfo(chosen).absolutePath();
    const WriteOutcome written = ReplaceFileContent(chosen, CsvExport::Encode(file.lines));
    if (!written.ok()) {
        MessageBoxes::information(this, ImportTexts::exportFailed(chosen, written.error));
        return;
    }
    MessageBoxes::information(this, ImportTexts::exported(chosen, CsvExport::RowCount(file.lines)));
}
