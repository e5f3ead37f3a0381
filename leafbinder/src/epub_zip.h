#ifndef EPUB_ZIP_H
#define EPUB_ZIP_H

#include <QString>

namespace ZipPlatform {
class CDirectory;
}

namespace ns_epub {

// Packs a book's work folder into "<outputFolder><bookName>.epub": first the
// template's "mimetype", stored, then every regular file of the work folder
// under its relative path, deflated. The book is written under a short
// reserved name of its own in the same folder and takes its real name only
// when complete, so a failed run leaves no half-written book behind.
class epubZip {
public:
    virtual ~epubZip();
    // workFolder is the work folder as the book's create made it: the folder
    // at "<outputFolder><bookName>" must still be that one, or nothing is
    // packed. Every failure is logged.
    bool runZip(const QString& outputFolder, const QString& bookName, const ZipPlatform::CDirectory& workFolder);
};

} // namespace ns_epub

#endif
