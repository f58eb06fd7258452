#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// A dictionary that could not be written. Its edited lines went to a copy of
// their own, so that the learner can take them back.
struct SaveFailure
{
    QString path;      // the dictionary that was not written
    int error = 0;     // why: an error number, or WordFile::NotLoaded
    QString rescuedTo; // the copy with every edited line; empty when even that failed
};

namespace SaveRescue {

// Where the copies go: "lexomat/recovered" in the user's data folder, never
// in a dictionary folder.
QString folder();

// Writes lines as a dictionary named after the original and the time, in
// folder(), else in the temporary folder; its path, or empty.
QString write(const QString &dictionaryPath, const QStringList &lines);

// Tells whoever listens; without a listener the failure goes to standard
// error.
void report(const SaveFailure &failure);
void setHandler(std::function<void(const SaveFailure &)> handler);

} // namespace SaveRescue
