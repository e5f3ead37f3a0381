#ifndef EPUB_ZIP_H
#define EPUB_ZIP_H

#include <QString>

namespace ns_epub {

// Packs a book's work folder into "<outputFolder><bookName>.epub": first the
// template's "mimetype", stored, then every regular file of the work folder
// under its relative path, deflated. The book is written under a temporary
// name beside it and takes its real name only when complete, so a failed
// run leaves no half-written book behind.
class epubZip {
public:
    virtual ~epubZip();
    bool runZip(const QString& outputFolder, const QString& bookName);
};

} // namespace ns_epub

#endif
