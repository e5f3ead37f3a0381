#ifndef FINISHEDPAGES_H
#define FINISHEDPAGES_H

#include <cstddef>

struct fz_document;

namespace conversion {

class fitzContext;

// MuPDF keeps every object of a PDF it parsed until the document is closed,
// so a long document read page after page would end up holding what all of
// its pages used. Told after each page, this lets go of the parsed objects
// nothing else holds, and of the least recently used half of MuPDF's store
// of fonts and pictures (bounded itself, fitzcontext.h), once what the
// context holds has grown by a bound since the last time; MuPDF loads
// anything needed again afresh. A document whose pages soon need again what
// was let go gets a larger bound. Use it on the thread that owns the
// context, with no page loaded.
class finishedPages {
public:
    // The first bound on growth, in bytes, and the pages within which a
    // release counts as too soon and doubles the bound; the defaults suit
    // every document (a test lets go after every page with 0 and 0).
    explicit finishedPages(std::size_t firstGrowth = 4u << 20, int fewPages = 100);

    void pageDone(const fitzContext& context, fz_document* doc);

private:
    int m_fewPages;
    std::size_t m_growth;
    bool m_started = false;
    std::size_t m_heldAfterRelease = 0;
    int m_pagesSinceRelease = 0;
};

} // namespace conversion

#endif
