#ifndef EPUB_ZIP_H
#define EPUB_ZIP_H

#include <QString>

#include <functional>

namespace ns_epub {

class epubWorkFolder;

// Packs a book's work folder into "<outputFolder><bookName>.epub": first the
// template's "mimetype", stored, then every regular file of the work folder
// under its relative path, deflated. The book is written under a short
// reserved name of its own in the same folder, through the descriptor that
// reserved it, and only that file takes the book's name, when complete and
// only when the name is free; a failed run leaves no book and no reserved
// file behind.
class epubZip {
public:
    virtual ~epubZip();
    // workFolder is the work folder as the book's create made it, with the
    // output folder it lies in: both are reached only through it. Every
    // failure is logged.
    bool runZip(const QString& outputFolder, const QString& bookName, const epubWorkFolder& workFolder);

    // Test seam: called once the book's file is reserved, before anything
    // is written to it. Unset, it costs nothing.
    static void setReservedHook(std::function<void()> hook);
};

} // namespace ns_epub

#endif
