#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// One dictionary file in memory: its lines in their real text, the result of
// the last load and whether the lines were edited.
class WordFile
{
public:
    // Load results.
    static constexpr int Playable = 1;     // 6 to 69 lines
    static constexpr int TooFew = 0;       // fewer than 6 lines
    static constexpr int Full = -2;        // 70 lines or more
    static constexpr int Unreadable = -1;  // the file cannot be read
    static constexpr int FullAt = 70;
    static constexpr int MinPlayable = 6;
    // saveError of a file that is not written because it could not be read.
    static constexpr int NotLoaded = -1;

    // Loads the file at once, creating it empty when it is missing.
    explicit WordFile(const QString &path);
    // Saves first when the lines were edited.
    ~WordFile();
    WordFile(const WordFile &) = delete;
    WordFile &operator=(const WordFile &) = delete;

    // The bytes of a file that holds lines, as Save writes them.
    static QByteArray StoredForm(const QStringList &lines);

    // Reads the file into lines; returns the new status.
    int Load();
    // Writes lines to the file; 1 on success, -1 when it cannot be written
    // (the file on disk then keeps its old content, and saveError says why).
    // A file that could not be read is never written: what is in it would
    // be lost. When the file changed on disk since it was read (another
    // program, or file sync from another computer), the two versions are
    // merged first: lines then holds the merge, and MergeReport tells it.
    int Save();
    // Save, and when it fails, the lines go to a recovered copy and the
    // failure is reported (SaveRescue), once for the same lines.
    int SaveOrRescue();

    std::int32_t modified = 0;
    std::int32_t status = 0;
    QString path;
    QStringList lines;
    // Indices of the lines that the last Load found not in the stored form
    // and kept as they were read.
    QList<qsizetype> undecoded;
    // Why the last Load found the file unreadable (an error number), else 0.
    int loadError = 0;
    // Why the last Save failed, else 0.
    int saveError = 0;

private:
    // Merges what is on disk now into lines when it differs from what was
    // last read or written.
    void mergeWithDisk();

    // The lines as last read from or written to the file, and a digest of
    // its bytes then; empty while the file was never read.
    QStringList m_base;
    QByteArray m_baseDigest;
    // The lines of the last recovered copy, so that a second failed save of
    // the same lines does not make a second copy.
    std::optional<QStringList> m_rescued;
};
