#pragma once

#include "import/word_list.h"

#include <QByteArray>
#include <QString>

// Vocabulary files in KVTML, the XML format of several desktop trainers:
// identifiers name the languages, every entry holds one translation per
// identifier. The English translation gives the word; the Russian one the
// meanings, which may be several, separated by ',' ';' or '/'.
namespace Kvtml {

// Whether the bytes are a KVTML document (the file name may say so too).
bool Recognise(const QByteArray &data, const QString &fileName);

WordList::Parsed Read(const QByteArray &data, const QString &fileName);

} // namespace Kvtml
