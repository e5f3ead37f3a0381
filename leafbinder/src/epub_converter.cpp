#include "epub_converter.h"

namespace ns_epub {

epubConverter::~epubConverter() = default;

// The page, package and navigation writers come with the document writers;
// until then a book has no pages.
bool epubConverter::convertPage(epubPage*)
{
    return false;
}

bool epubConverter::finishBook(const epubPubInfo*)
{
    return false;
}

bool epubConverter::finishManifest()
{
    return false;
}

} // namespace ns_epub
