#ifndef PAGEREADING_H
#define PAGEREADING_H

// How both modes read a page of a PDF and tell whether it is damaged: Text
// mode (fitzDocument) and Picture mode (PDFGraber) load and record a page
// here and judge it by the one list of lostcontent.h, so a page one mode
// names as damaged the other names too, whatever either read before.
//
// A damaged page keeps what could be read. When MuPDF repairs the file
// while the page loads, the page is read again from the repaired table, and
// only what is still wrong counts.
//
// Use on the thread that owns the context; the context's own error and
// warning callbacks are set aside while a reading lasts.

#include <QString>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {

class lostContent;

enum class pageParts {
    contentsOnly,     // the page's own content streams
    withAnnotations,  // and its annotations and form fields, as a viewer shows it
};

// What a page is run into: Text mode's text page, Picture mode's display
// list. Both calls happen inside MuPDF's error handling and may throw.
class pageTarget {
public:
    virtual ~pageTarget() = default;
    // A device over a new, empty target for a page with these bounds.
    virtual fz_device* open(fz_context* ctx, fz_rect bounds) = 0;
    // Drops the target open made, before a page is read again.
    virtual void discard(fz_context* ctx) = 0;
};

struct pageReading {
    bool loaded = false;  // false: the page could not be loaded, and target holds nothing
    QString error;        // why the page could not be loaded
    QString damage;       // empty when the page was read whole, else what was lost
};

// Loads the page with 0-based index and runs it into the target, which
// keeps what could be read of a damaged page. lost belongs to the open
// document and keeps what it learnt of its objects.
pageReading readPage(fz_context* ctx, fz_document* doc, int index, pageParts parts, pageTarget& target,
                     lostContent& lost);

} // namespace conversion

#endif
