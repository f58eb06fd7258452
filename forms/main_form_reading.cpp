// Words from what the learner reads and watches: a text, subtitles or a book
// dropped onto the dictionaries tab, or "Слова из текста…" in the list's
// menu, opens the preview; its chosen words become new dictionaries.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "dict/dict_library.h"
#include "forms/import_dialog.h"
#include "forms/message_box.h"
#include "forms/words_preview.h"
#include "import/folder_import.h"
#include "import/word_import.h"
#include "progress/progress_store.h"
#include "reading/zip_archive.h"
#include "ui_dictionary_list.h"
#include "ui_main_form.h"

#include <QApplication>
#include <QFileInfo>

namespace {

QStringList learntWords(ProgressStore *record)
{
    QStringList words;
    if (!record)
        return words;
    const QHash<WordKey, WordProgress> progress = record->Words();
    for (auto it = progress.cbegin(); it != progress.cend(); ++it) {
        if (it.value().stage() == Stage::Learnt)
            words.append(it.key().english);
    }
    return words;
}

} // namespace

void TForm1::TakeDroppedFile(const QString &path)
{
    if (Reading::IsReadingFile(path))
        WordsFromText(path);
    else
        ImportFile(path);
}

void TForm1::WordsFromText(const QString &path)
{
    PRG_STAT &state = *m_objects.state;
    if (!state.mainWindowInCharge)
        return;
    // As with the settings: no turn runs out behind the window.
    if (state.gameState >= 1)
        m_engine.BStartClick();
    // Books are ZIP archives: their reader is loaded when the first is read.
    ZipArchives::UseModule(ZipArchives::ModuleCandidates(QApplication::applicationDirPath()));
    OpenProgressRecord();
    tellIfRenewed();

    const WordFile &current = *m_library->file;
    QStringList lines;
    {
        TWordsPreview preview({m_library->folder, current.path, current.lines, learntWords(m_progress.get()),
                               transferFolder()},
                              this);
        if (!path.isEmpty()) {
            m_transferFolder = QFileInfo(path).absolutePath();
            preview.OpenFile(path);
        }
        const int result = preview.exec();
        if (preview.OpenFolder() != transferFolder())
            m_transferFolder = preview.OpenFolder();
        if (result != QDialog::Accepted)
            return;
        lines = preview.ChosenLines();
    }

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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = import.RunIntoNew(FolderImport::SplitForNew(lines, NewDictionaryWords));
    QApplication::restoreOverrideCursor();
    if (!written) {
        MessageBoxes::information(
            this, ImportTexts::importFailed(m_library->folder, failedPath, failedError, import.NotRestored()));
        return;
    }
    // The first new dictionary becomes current, listed with the others; the
    // one left is saved with its edits as it goes.
    const QString first = import.Portions().constFirst().path;
    m_library.reset();
    m_library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, first);
    m_engine.ResetGame();
    DictionaryChanged();
    tellIfUnreadable();
    if (m_listUi && m_listUi->ListView1->isVisible())
        m_listUi->ListView1->setFocus();
}
