#pragma once

#include "dict/word_file.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

// Writes a dictionary with the program's own code.
inline void writeDictionary(const QString &path, const QStringList &lines)
{
    WordFile file(path);
    file.lines = lines;
    QCOMPARE(file.Save(), 1);
}

// Every entry of a folder with its bytes, to tell whether anything changed.
inline QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile file(dir.filePath(name));
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>"));
    }
    return files;
}
