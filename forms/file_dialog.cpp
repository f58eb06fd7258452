#include "forms/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

std::function<QString(const QString &, const QString &)> &fileHandler()
{
    static std::function<QString(const QString &, const QString &)> handler;
    return handler;
}

std::function<QString(const QString &, const QString &)> &saveHandler()
{
    static std::function<QString(const QString &, const QString &)> handler;
    return handler;
}

QString &lastChosenName()
{
    static QString name;
    return name;
}

// "Name|*.a;*.b|Other|*.c" becomes the name filters "Name (*.a *.b)" and
// "Other (*.c)"; a filter without '|' is taken as Qt name filters already.
QStringList nameFilters(const QString &filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return {filter};
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QString(parts.at(i) + QLatin1String(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

// The extension of the first filter's first "*.ext" pattern: a name typed
// without an extension gets it.
QString defaultSuffix(const QString &nameFilter)
{
    const QString patterns = nameFilter.section(QLatin1Char('('), -1).section(QLatin1Char(')'), 0, 0);
    const QString first = patterns.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    if (!first.startsWith(QLatin1String("*.")))
        return {};
    const QString suffix = first.mid(2);
    if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')))
        return {};
    return suffix;
}

} // namespace

QString FileDialogs::openFile(QWidget *parent, const QString &folder, const QString &filter)
{
    if (const auto &handler = fileHandler())
        return handler(folder, filter);

    QFileDialog dialog(parent, QString(), folder);
    // A dialog that opens or saves a file never deletes or renames one of
    // the learner's (its Delete key and context menu would).
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = nameFilters(filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix(filters.constFirst()));
    if (!lastChosenName().isEmpty())
        dialog.selectFile(lastChosenName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    lastChosenName() = QFileInfo(path).fileName();
    return path;
}

void FileDialogs::setHandler(std::function<QString(const QString &, const QString &)> handler)
{
    fileHandler() = std::move(handler);
}

QString FileDialogs::saveFile(QWidget *parent, const QString &suggestedPath, const QString &filter)
{
    if (const auto &handler = saveHandler())
        return handler(suggestedPath, filter);

    const QFileInfo suggested(suggestedPath);
    QFileDialog dialog(parent, QString(), suggested.absolutePath());
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = nameFilters(filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix(filters.constFirst()));
    dialog.selectFile(suggested.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void FileDialogs::setSaveHandler(std::function<QString(const QString &, const QString &)> handler)
{
    saveHandler() = std::move(handler);
}
