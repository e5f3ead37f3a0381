#include "epub_zip.h"

namespace ns_epub {

epubZip::~epubZip() = default;

// Packing arrives with the ZIP engine; until then no book file is made.
bool epubZip::runZip(const QString&, const QString&)
{
    return false;
}

} // namespace ns_epub
