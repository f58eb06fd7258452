#pragma once

#include "reading/document.h"

class QIODevice;

// The text of an EPUB book: its XHTML parts in the order of the package's
// spine. Parts the spine names that are missing from the archive, or that
// it names a second time, are passed over and listed in the document; the
// text all parts unpack to is capped at Reading::MaxTextBytes.
namespace EpubReader {

Reading::ReadResult Read(QIODevice &zip, const QString &path, const Reading::ProgressFunction &progress);

} // namespace EpubReader
