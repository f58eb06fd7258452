#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QtPlugin>

#include <functional>
#include <memory>

// The entries of a ZIP archive, as EPUB books need them. They are read
// through QuaZip, which lexomat-wrd and the tests link; the program loads it
// as a module (lexomat-zip) on its first book, so that its start loads
// nothing of it.
class ZipArchive
{
public:
    virtual ~ZipArchive() = default;
    // Opens the archive on device; false when it is no sound ZIP.
    virtual bool open(QIODevice *device) = 0;
    // What the ZIP library said about the last failure.
    virtual QString errorText() const = 0;
    // Makes the entry of that name current (its case ignored when no entry
    // has it exactly); false when there is none.
    virtual bool select(const QString &name) = 0;
    // Hands the current entry's bytes to sink piece by piece as they unpack,
    // until sink answers false; false when the entry is damaged.
    virtual bool read(const std::function<bool(const char *data, qint64 size)> &sink) = 0;
};

// What the module offers.
class ZipArchiveFactory
{
public:
    virtual ~ZipArchiveFactory() = default;
    virtual ZipArchive *createArchive() = 0;
};

#define LexomatZipArchiveFactory_iid "org.example.lexomat.ZipArchiveFactory/1"
Q_DECLARE_INTERFACE(ZipArchiveFactory, LexomatZipArchiveFactory_iid)

namespace ZipArchives {

using Maker = std::function<std::unique_ptr<ZipArchive>()>;

// Where archives come from from now on.
void SetMaker(Maker maker);
// Archives from the first of these module files that loads, loaded when the
// first archive is made; unless archives come from somewhere already.
void UseModule(const QStringList &candidates);
// The module beside the program, then where the installation puts it.
QStringList ModuleCandidates(const QString &programDir);

// A new archive; none, with problem saying why, when none can be made.
// Any thread may ask.
std::unique_ptr<ZipArchive> Make(QString *problem = nullptr);

} // namespace ZipArchives
