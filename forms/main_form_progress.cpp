// The main window's side of the record of answers: it opens the record when
// the first answer comes (or "Успехи" opens), writes each turn's outcome into
// it, shows "Успехи" and turns the hardest words into a dictionary of their
// own. A start that plays nothing never loads the database at all, so the
// window starts as fast and as small as without the record.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "dict/dict_library.h"
#include "forms/message_box.h"
#include "forms/progress_form.h"
#include "progress/drill_dictionary.h"
#include "progress/journal_indexer.h"
#include "progress/progress_report.h"
#include "progress/progress_store.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString NotRecording = u"\n\nИгра идёт дальше, но ответы не записываются."_s;

} // namespace

// Said after the handler that found the trouble has returned: a box opened in
// the middle of a turn would let the game's timers run into that turn.
void TForm1::tellAboutRecord(const QString &text)
{
    if (m_progressTold)
        return;
    m_progressTold = true;
    QTimer::singleShot(0, this, [this, text] { MessageBoxes::information(this, text); });
}

// The record may find damage at its opening or later, when a read or a
// write reaches it; either way it has begun anew beside the damaged file,
// and is built again from the journals.
void TForm1::tellIfRenewed()
{
    if (m_progress && !m_progress->DamagedCopy().isEmpty() && !m_progressTold && m_journalIndexer)
        m_journalIndexer->Refresh();
    if (m_progress && !m_progress->DamagedCopy().isEmpty())
        tellAboutRecord(u"Журнал успехов был повреждён и начат заново.\nПрежний файл сохранён как\n"_s
                        + QDir::toNativeSeparators(m_progress->DamagedCopy()));
}

void TForm1::OpenProgressRecord()
{
    if (m_progressTried)
        return;
    m_progressTried = true;
    const JournalIndexer::Places places = JournalIndexer::DefaultPlaces(computerId());
    // A record from before the journals first becomes this computer's
    // journal: answering before would start a journal of its own and the
    // record's answers would have nowhere to go.
    QString error;
    if (!JournalIndexer::MigrateFormer(places, &error)) {
        tellAboutRecord(u"Не удалось перенести журнал успехов в папку\n"_s + QDir::toNativeSeparators(places.folder)
                        + u"\n("_s + error + u")."_s + NotRecording);
        return;
    }
    auto store = std::make_unique<ProgressStore>();
    auto journal = std::make_unique<AnswerJournal>(QDir(places.folder).filePath(AnswerJournal::FileName(places.computer)),
                                                   places.computer);
    if (!journal->Open()) {
        tellAboutRecord(u"Не удалось открыть журнал успехов\n"_s + QDir::toNativeSeparators(journal->Path()) + u"\n("_s
                        + journal->ErrorText() + u")."_s + NotRecording);
        return;
    }
    switch (store->Open(places.index)) {
    case ProgressStore::OpenResult::Opened:
    case ProgressStore::OpenResult::Renewed:
        store->SetJournal(std::move(journal));
        m_progress = std::move(store);
        tellIfRenewed();
        break;
    case ProgressStore::OpenResult::Failed:
        tellAboutRecord(u"Не удалось открыть журнал успехов\n"_s + QDir::toNativeSeparators(store->Path()) + u"\n("_s
                        + store->ErrorText() + u")."_s + NotRecording);
        break;
    }
}

void TForm1::startJournals()
{
    // The computer's id is made (and written into the settings) only when
    // something needs it: the first answer, or a record from before journals
    // to be made this computer's journal.
    const QString computer = QFileInfo::exists(ProgressStore::FormerPath()) ? computerId() : m_computerId;
    m_journalIndexer = new JournalIndexer(JournalIndexer::DefaultPlaces(computer), this);
    connect(m_journalIndexer, &JournalIndexer::Updated, this, [this](const JournalIndexer::Result &result) {
        if (!result.notices.isEmpty())
            MessageBoxes::information(this, result.notices.join(u"\n\n"_s));
    });
    m_journalIndexer->Start();
}

void TForm1::RecordAnswer(const AnswerEvent &event)
{
    OpenProgressRecord();
    if (!m_progress)
        return;
    const QString dictionary = m_library && m_library->file ? QFileInfo(m_library->file->path).fileName() : QString();
    const bool written = m_progress->Record(event, dictionary, QDateTime::currentMSecsSinceEpoch());
    tellIfRenewed();
    if (!written) {
        tellAboutRecord(u"Не удалось записать ответ в журнал успехов\n"_s + QDir::toNativeSeparators(m_progress->Path())
                        + u"\n("_s + m_progress->ErrorText() + u")."_s + NotRecording);
        m_progress.reset();
    }
}

void TForm1::ShowProgressWindow()
{
    if (!m_objects.state->mainWindowInCharge)
        return;
    // As with the settings: no turn runs out behind the window.
    if (m_objects.state->gameState >= 1)
        m_engine.BStartClick();
    OpenProgressRecord();
    QList<WordKey> drill;
    bool review = false;
    {
        const WordFile &file = *m_library->file;
        const ProgressReport report =
            ProgressReport::Gather(m_progress.get(), m_library->folder, file.path, file.lines, QDate::currentDate());
        tellIfRenewed();
        ShowDueCount(report.review.dueCount);
        TProgressForm window(report, this);
        const int result = window.exec();
        if (result == TProgressForm::DrillResult)
            drill = window.report().HardestKeys();
        review = result == TProgressForm::ReviewResult;
    }
    if (!drill.isEmpty())
        MakeDrillDictionary(drill);
    if (review)
        ReviewToday();
}

void TForm1::MakeDrillDictionary(const QList<WordKey> &words)
{
    const QString path = WriteDrillDictionary(*m_library, words);
    if (path.isEmpty()) {
        MessageBoxes::information(this, u"Не удалось записать новый словарь в папку\n"_s
                                            + QDir::toNativeSeparators(m_library->folder));
        return;
    }
    if (m_objects.state->gameState >= 1)
        m_engine.BStartClick();
    // The library is replaced whole, as for a full dictionary: the old one
    // saves its edited dictionary, the new one lists the new file.
    PRG_STAT &state = *m_objects.state;
    m_library.reset();
    m_library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, path);
    m_engine.ResetGame();
    DictionaryChanged();
    const int count = static_cast<int>(std::min<qsizetype>(words.size(), WordFile::FullAt));
    MessageBoxes::information(this, u"Трудные слова (%1) записаны в словарь %2.\nТеперь он текущий."_s.arg(count).arg(
                                        QFileInfo(path).fileName()));
}
