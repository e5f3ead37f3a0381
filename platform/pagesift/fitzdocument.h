#ifndef FITZDOCUMENT_H
#define FITZDOCUMENT_H

#include "finishedpages.h"
#include "fitzcontext.h"
#include "lostcontent.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {

class documentSource;
struct pageContent;

// The parser's one door to MuPDF: a context made on the thread that builds
// this object, and at most one open document. Use it on that thread only.
// Every operation on a closed document does nothing and says so.
class fitzDocument {
public:
    // releases: when the parsed objects of pages done are let go.
    explicit fitzDocument(finishedPages releases = finishedPages());
    ~fitzDocument();
    fitzDocument(const fitzDocument&) = delete;
    fitzDocument& operator=(const fitzDocument&) = delete;

    // False when MuPDF could not make its context (out of memory).
    bool hasContext() const;

    // Opens the source's document on this object's context: a reading of
    // its own, whichever thread the source was made on. False when the
    // source's file was refused or MuPDF cannot read it (*error says why).
    bool open(const documentSource& source, QString* error);
    bool isOpen() const;
    // True while the document still waits for a password.
    bool needsPassword() const;
    // True when the password (UTF-8) opens the document.
    bool authenticate(const QByteArray& password);
    // -1 when nothing is open or the page tree cannot be read.
    int pageCount() const;

    // The text lines, fonts and pictures of the page with 0-based index,
    // pictures in device grey or RGB with their pixels still to be encoded
    // (fitzpicture.h). False when the page cannot be loaded at all (*error
    // says why). True otherwise, with *damage empty when the page was read
    // whole, or what was lost when it is damaged by the list of
    // lostcontent.h (the page then holds what could be read).
    bool readPage(int index, pageContent& out, QString* error, QString* damage);

    // Only the characters of each line of text of the page, for a quick
    // look at the whole document; nothing is reported. False when the page
    // cannot be read. The cookie, when given, may end the reading early
    // from another thread (its abort field).
    bool readText(int index, std::vector<std::u32string>& lines, fz_cookie* cookie = nullptr);

private:
    void close();

    fitzContext m_context;
    fz_context* const m_ctx = m_context.get();
    fz_document* m_doc = nullptr;
    finishedPages m_finishedPages;
    lostContent m_lostContent;
};

} // namespace conversion

#endif
