// Two computers, one learner: the main window's part in sharing the data
// folder through a file-sync engine. The marks of the shared folder's
// dictionaries travel in that folder, conflict copies that the engine made
// of a dictionary are shown on the dictionaries tab and merged there, and
// both folders are watched while the program runs. None of it runs before
// the window shows.
#include "forms/main_form.h"

#include "app/computer_id.h"
#include "app/process_objects.h"
#include "dict/conflict_copies.h"
#include "dict/dict_library.h"
#include "dict/shared_folder.h"
#include "forms/file_notices.h"
#include "forms/message_box.h"
#include "platform/machine_identity.h"
#include "ui_dictionary_list.h"
#include "ui_main_form.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QScopedValueRollback>

namespace {

// Changes come in bursts (a sync engine writes a temporary file, renames
// it, sets its time): one look after they settle.
constexpr int SettleMs = 300;

} // namespace

void TForm1::startSharing()
{
    m_sharingReady = true;
    m_sharingWatcher = new QFileSystemWatcher(this);
    m_sharingRefresh = new QTimer(this);
    m_sharingRefresh->setSingleShot(true);
    m_sharingRefresh->setInterval(SettleMs);
    connect(m_sharingRefresh, &QTimer::timeout, this, &TForm1::refreshSharing);
    connect(m_sharingWatcher, &QFileSystemWatcher::directoryChanged, m_sharingRefresh,
            qOverload<>(&QTimer::start));
    connect(m_ui->BMergeConflict, &QPushButton::clicked, this, &TForm1::BMergeConflictClick);
    QPalette barPalette = m_ui->SyncConflictBar->palette();
    barPalette.setColor(QPalette::Window, QColor(255, 244, 196));
    barPalette.setColor(QPalette::WindowText, Qt::black);
    m_ui->SyncConflictBar->setPalette(barPalette);
    refreshSharing();
    startJournals();
}

void TForm1::refreshSharing()
{
    // The dictionary folder (conflict copies), the shared folder (its marks
    // folder may appear) and the marks folder.
    const QString root = SharedFolder::Path();
    QStringList wanted;
    for (const QString &folder : {m_library->folder, root, SharedMarks(root).Folder()}) {
        const QString clean = QFileInfo(folder).absoluteFilePath();
        if (QFileInfo(clean).isDir() && !wanted.contains(clean))
            wanted.append(clean);
    }
    const QStringList watched = m_sharingWatcher->directories();
    for (const QString &folder : watched) {
        if (!wanted.contains(folder))
            m_sharingWatcher->removePath(folder);
    }
    for (const QString &folder : std::as_const(wanted)) {
        if (!watched.contains(folder))
            m_sharingWatcher->addPath(folder);
    }
    syncSharedMarks();
    showConflictCopies();
}

QString TForm1::computerId()
{
    if (m_computerId.isEmpty())
        m_computerId = ComputerId::Get(*m_objects.registry, MachineIdentity::tag());
    return m_computerId;
}

void TForm1::writeSharedMark(SharedMarks::Mark mark, bool set)
{
    if (!m_sharingReady || m_marksFromStore)
        return;
    const QString root = SharedFolder::Path();
    const std::optional<QString> name = SharedFolder::NameOf(root, m_library->file->path);
    if (!name)
        return;
    SharedMarks(root).Write(mark, *name, set, QDateTime::currentMSecsSinceEpoch(), computerId());
}

// The check boxes take the marks of the shared folder, the later change
// last, so that where checking one clears the other the later one holds.
// Marks set on this computer before it shared anything go into the folder.
void TForm1::syncSharedMarks()
{
    const QString root = SharedFolder::Path();
    const std::optional<QString> name = SharedFolder::NameOf(root, m_library->file->path);
    if (!name)
        return;
    const SharedMarks marks(root);
    const std::optional<SharedMarks::Value> exclude = marks.Read(SharedMarks::Mark::Exclude, *name);
    const std::optional<SharedMarks::Value> repeat = marks.Read(SharedMarks::Mark::Repeat, *name);
    {
        const QScopedValueRollback fromStore(m_marksFromStore, true);
        const auto applyExclude = [&] {
            if (exclude)
                m_ui->CBExclude->setChecked(exclude->set);
        };
        const auto applyRepeat = [&] {
            if (repeat)
                m_ui->CBRepeat->setChecked(repeat->set);
        };
        if (exclude && repeat && repeat->time < exclude->time) {
            applyRepeat();
            applyExclude();
        } else {
            applyExclude();
            applyRepeat();
        }
    }
    if (!exclude && m_ui->CBExclude->isChecked())
        writeSharedMark(SharedMarks::Mark::Exclude, true);
    if (!repeat && m_ui->CBRepeat->isChecked())
        writeSharedMark(SharedMarks::Mark::Repeat, true);
}

void TForm1::showConflictCopies()
{
    QList<ConflictCopies::Copy> copies;
    for (const ConflictCopies::Copy &copy : ConflictCopies::Find(m_library->folder)) {
        if (copy.dictionary)
            copies.append(copy);
    }
    QFrame *bar = m_ui->SyncConflictBar;
    if (copies.isEmpty() && !m_listUi) {
        m_conflictCopy.clear();
        bar->hide();
        return;
    }
    // The bar is placed by the list, which is made now if need be.
    QTreeWidget *list = dictionaryList();
    if (m_listHeight == 0)
        m_listHeight = list->height();
    if (copies.isEmpty()) {
        m_conflictCopy.clear();
        bar->hide();
        list->resize(list->width(), m_listHeight);
        return;
    }
    // The bar takes the bottom of the list's place, so that every row can
    // still be scrolled to.
    m_conflictCopy = copies.constFirst().path;
    m_ui->SyncConflictText->setText(FileNotices::conflictCopyFound(copies.constFirst(), copies.size() - 1));
    bar->setGeometry(list->x(), list->y() + m_listHeight - bar->height(), list->width(), bar->height());
    list->resize(list->width(), m_listHeight - bar->height());
    bar->show();
    bar->raise();
}

void TForm1::BMergeConflictClick()
{
    std::optional<ConflictCopies::Copy> chosen;
    for (const ConflictCopies::Copy &copy : ConflictCopies::Find(m_library->folder)) {
        if (copy.path == m_conflictCopy)
            chosen = copy;
    }
    if (!chosen) {
        refreshSharing();
        return;
    }

    // Into the current dictionary: its edits reach the disk first, so that
    // the merge adds to them and the next save does not undo the merge.
    WordFile &current = *m_library->file;
    const bool intoCurrent = QFileInfo(chosen->originalPath).absoluteFilePath() == QFileInfo(current.path).absoluteFilePath();
    if (intoCurrent && current.modified != 0 && current.status != WordFile::Unreadable && current.SaveOrRescue() != 1)
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ConflictCopies::Merged merged = ConflictCopies::Merge(*chosen);
    QApplication::restoreOverrideCursor();
    if (intoCurrent && merged.added > 0) {
        current.Load();
        m_engine.ResetGame();
        DictionaryChanged();
    } else {
        refreshSharing();
    }
    MessageBoxes::information(this, FileNotices::conflictCopyMerged(*chosen, merged));
}
