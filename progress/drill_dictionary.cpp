#include "progress/drill_dictionary.h"

#include "dict/dict_library.h"
#include "dict/word_file.h"

#include <QFile>
#include <QFileInfo>

QString WriteDrillDictionary(DictLibrary &library, const QList<WordKey> &words)
{
    const QString path = library.NewFileName();
    if (QFileInfo::exists(path))
        return {};
    bool written = false;
    {
        WordFile file(path);
        if (file.status != WordFile::Unreadable) {
            for (qsizetype i = 0; i < words.size() && i < WordFile::FullAt; ++i)
                file.lines.append(words[i].ToLine());
            written = file.Save() == 1;
        }
    }
    if (!written) {
        QFile::remove(path);
        return {};
    }
    return path;
}
