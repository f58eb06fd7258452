#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class WordFile;

// Adds the starter course to a dictionary folder that a learner may already
// have filled, changing nothing that is there: the words of the starter
// dictionaries that the folder does not hold yet go, in the order of the
// course, into new dictionaries named with the lowest free numbers. Starter
// dictionaries left with few new words share one new dictionary, up to the
// size of a course dictionary, so that none is too small to play. All or
// nothing: when a dictionary cannot be written, the ones already written are
// removed, and so is a folder made for them.
class StarterCourse
{
public:
    // Writes one dictionary; 1 on success, as WordFile::Save.
    using Saver = std::function<int(WordFile &)>;

    // As full as a dictionary of the course, leaving the learner room.
    static constexpr qsizetype SharedSize = 66;

    struct Written
    {
        QString path;
        int words = 0;
    };

    StarterCourse(const QString &starterFolder, const QString &folder, Saver saver = {});

    bool Run();

    // The new dictionaries, in the order of the course.
    const QList<Written> &Dictionaries() const { return m_written; }
    // Words of the course that the folder held before.
    int KnownWords() const { return m_known; }
    // Words the course has in all.
    int CourseWords() const { return m_courseWords; }
    // Why the last Run failed, and what could not be put back.
    const QStringList &Errors() const { return m_errors; }

private:
    bool readCourse(QList<QStringList> &course);
    bool readFolder(QStringList &knownWords, QList<qint64> &numbers);
    bool fail(const QString &error);

    QString m_starterFolder;
    QString m_folder;
    Saver m_saver;
    QList<Written> m_written;
    QStringList m_errors;
    int m_known = 0;
    int m_courseWords = 0;
};
