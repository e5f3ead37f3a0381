#ifndef FINISHEDPAGES_H
#define FINISHEDPAGES_H

struct fz_context;
struct fz_document;

// MuPDF keeps what it made for a page after the page is gone: every object
// of a PDF it parsed stays until the document is closed, and the fonts and
// pictures it loaded stay in its store (up to 256 MB). A long document read
// page after page would so end up holding what all of its pages used. Told
// after each page, this lets go of it every few pages; MuPDF loads anything
// needed again afresh. Use it on the thread that owns the context, with no
// page loaded.
class finishedPages {
public:
    void pageDone(fz_context* ctx, fz_document* doc);

private:
    int m_pages = 0;
};

#endif
