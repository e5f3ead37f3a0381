#ifndef PARSEDOBJECTS_H
#define PARSEDOBJECTS_H

struct fz_context;
struct fz_document;

// MuPDF keeps every object of a PDF it has parsed until the document is
// closed, so a long document read page after page would end up holding the
// objects of all its pages. Told after each page, this lets go of those that
// nothing uses any more every few pages; MuPDF parses one again should it be
// needed. Use it on the thread that owns the context, with no page loaded.
class parsedObjects {
public:
    void pageDone(fz_context* ctx, fz_document* doc);

private:
    int m_pages = 0;
};

#endif
