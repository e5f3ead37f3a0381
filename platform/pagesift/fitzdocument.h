#ifndef FITZDOCUMENT_H
#define FITZDOCUMENT_H

#include "finishedpages.h"
#include "lostcontent.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <vector>

struct fz_context;
struct fz_document;

class RegularFile;

namespace conversion {

struct pageContent;

// The parser's one door to MuPDF: a context made on the thread that builds
// this object, and at most one open document. Use it on that thread only.
// Every operation on a closed document does nothing and says so.
class fitzDocument {
public:
    fitzDocument();
    ~fitzDocument();
    fitzDocument(const fitzDocument&) = delete;
    fitzDocument& operator=(const fitzDocument&) = delete;

    // False when MuPDF could not make its context (out of memory).
    bool hasContext() const;

    // Opens the PDF at path as a RegularFile: a named pipe or anything else
    // that is no regular file is refused (*error says so) without waiting.
    bool open(const QString& path, QString* error);
    // Opens the PDF in a file already open, read through a stream of this
    // document's own: a second reading of the same file, on another thread
    // with a document of its own, never opens the path again.
    bool open(const std::shared_ptr<const RegularFile>& file, QString* error);
    // The file the open document is read from; null when none is open.
    // Take it on this object's thread and hand the copy to the other one.
    const std::shared_ptr<const RegularFile>& file() const { return m_file; }
    bool isOpen() const;
    // True while the document still waits for a password.
    bool needsPassword() const;
    // True when the password (UTF-8) opens the document.
    bool authenticate(const QByteArray& password);
    // -1 when nothing is open or the page tree cannot be read.
    int pageCount() const;

    // The text lines, fonts and pictures of the page with 0-based index.
    // False when the page cannot be loaded at all (*error says why). True
    // otherwise, with *damage empty when the page was read whole, or what
    // was lost when it is damaged by the list of lostcontent.h (the page
    // then holds what could be read).
    bool readPage(int index, pageContent& out, QString* error, QString* damage);

    // Only the characters of each line of text of the page, for a quick
    // look at the whole document; nothing is reported. False when the page
    // cannot be read.
    bool readText(int index, std::vector<std::u32string>& lines);

private:
    void close();

    fz_context* m_ctx = nullptr;
    fz_document* m_doc = nullptr;
    std::shared_ptr<const RegularFile> m_file;
    finishedPages m_finishedPages;
    lostContent m_lostContent;
};

} // namespace conversion

#endif
