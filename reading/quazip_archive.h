#pragma once

#include "reading/zip_archive.h"

// Archives read through QuaZip, linked into the program that calls this:
// lexomat-wrd, the tests and the fuzz targets.
namespace QuaZipArchives {

void UseLinked();

ZipArchive *Create();

} // namespace QuaZipArchives
