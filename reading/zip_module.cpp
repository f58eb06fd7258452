// lexomat-zip: QuaZip for the program's books, loaded on the first one.
#include "reading/quazip_archive.h"

#include <QObject>

class ZipModule : public QObject, public ZipArchiveFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID LexomatZipArchiveFactory_iid)
    Q_INTERFACES(ZipArchiveFactory)

public:
    ZipArchive *createArchive() override { return QuaZipArchives::Create(); }
};

#include "zip_module.moc"
