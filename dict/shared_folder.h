#pragma once

#include <QString>

#include <optional>

// The folder a learner shares between computers with a file-sync engine:
// lexomat/ in the user's data folder ($XDG_DATA_HOME, else ~/.local/share),
// the working folder the lexomat command starts the program in. It holds the
// dictionaries (dict/) and what travels with them; what belongs to one
// computer alone stays in its settings and state folders.
namespace SharedFolder {

QString Path();

// How every computer names a dictionary of the shared folder whatever its
// home path: the dictionary's path inside root ("dict/tom_3.wrd"). None for
// a dictionary elsewhere.
std::optional<QString> NameOf(const QString &root, const QString &dictionaryPath);

} // namespace SharedFolder
