#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class WordFile;

// Appends dictionary lines to the dictionaries of a folder the way the word
// editor adds words: into the first dictionary with room, up to 70 lines each,
// then into new dictionaries with the lowest free numbers. All or nothing:
// when a dictionary cannot be written, every file the import touched is put
// back as it was and the files it created are removed.
class FolderImport
{
public:
    // Writes one dictionary; 1 on success, as WordFile::Save.
    using Saver = std::function<int(WordFile &)>;

    struct Portion
    {
        QString path;
        int added = 0;
        bool created = false;

        bool operator==(const Portion &) const = default;
    };

    explicit FolderImport(const QString &folder, Saver saver = {});

    bool Run(const QStringList &lines);
    // Where Run would put count lines, as the folder stands now; nothing is
    // written or created.
    QList<Portion> Plan(qsizetype count) const;

    // Each list of lines as a dictionary of its own, named with the lowest
    // numbers no file of the folder carries; nothing is added to the
    // dictionaries already there. All or nothing, as Run.
    bool RunIntoNew(const QList<QStringList> &dictionaries);
    // The names RunIntoNew would give dictionaries of these sizes.
    QList<Portion> PlanNew(const QList<qsizetype> &sizes) const;
    // Lines cut into dictionaries of size lines each, every one playable:
    // a last one too small to play takes lines from the one before.
    static QList<QStringList> SplitForNew(const QStringList &lines, qsizetype size);

    // Where the lines went, in the order they were written.
    const QList<Portion> &Portions() const { return m_portions; }
    // Why the last Run failed, and what could not be put back.
    const QStringList &Errors() const { return m_errors; }
    // The files a failed Run could not put back as they were.
    const QStringList &NotRestored() const { return m_notRestored; }

private:
    struct Touched
    {
        QString path;
        std::optional<QByteArray> original; // none: the import created it
    };

    bool fail(const QString &error);
    bool begin();
    void rollBack();

    QString m_folder;
    Saver m_saver;
    bool m_folderExisted = false;
    QStringList m_entriesBefore;
    QList<Touched> m_touched;
    QList<Portion> m_portions;
    QStringList m_errors;
    QStringList m_notRestored;
};
