#include "reading/quazip_archive.h"

namespace QuaZipArchives {

void UseLinked()
{
    ZipArchives::SetMaker([] { return std::unique_ptr<ZipArchive>(Create()); });
}

} // namespace QuaZipArchives
