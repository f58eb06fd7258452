#pragma once

#include <QString>

#include <optional>

// The "Исключить" and "Повтор" marks of the shared folder's dictionaries,
// kept in that folder so that they hold on every computer that shares it.
// Each computer writes only a file of its own, marks/<computer id>.tsv, so
// that file sync never has two versions of one file to choose between;
// reading takes, for each dictionary and mark, the latest change of all
// computers.
class SharedMarks
{
public:
    enum class Mark { Exclude, Repeat };

    struct Value
    {
        bool set = false;
        qint64 time = 0; // milliseconds since 1970, UTC
    };

    // root: the shared folder.
    explicit SharedMarks(const QString &root);

    QString Folder() const { return m_folder; }

    // The latest change of the mark of a dictionary (named as
    // SharedFolder::NameOf names it); none when no computer set it yet.
    std::optional<Value> Read(Mark mark, const QString &dictionary) const;

    // Stores a change in this computer's file. Nothing is written when the
    // latest change already says the same. False when the file could not be
    // written.
    bool Write(Mark mark, const QString &dictionary, bool set, qint64 time, const QString &computerId);

private:
    QString m_folder;
};
