#ifndef EPUB_ZIP_H
#define EPUB_ZIP_H

#include <QString>

namespace ns_epub {

// Packs a book's work folder into "<outputFolder><bookName>.epub".
class epubZip {
public:
    virtual ~epubZip();
    bool runZip(const QString& outputFolder, const QString& bookName);
};

} // namespace ns_epub

#endif
