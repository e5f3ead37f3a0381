#ifndef PAGEREADING_H
#define PAGEREADING_H

// How both modes read a page of a PDF and tell whether it is damaged: Text
// mode (fitzDocument) and Picture mode (PDFGraber) load and record a page
// here and judge it by the same rule, so a page one mode names as damaged
// the other names too.
//
// A page is damaged when, while MuPDF loads and runs it, MuPDF reports an
// error or a warning (a content stream that ends early says "premature end
// of data" or "PDF stream Length incorrect" and nothing else), counts
// content errors, or the page names a content stream that cannot be found.
// A damaged page keeps what could be read. When MuPDF repairs the file
// while the page loads, the page is read again from the repaired table, and
// only what is still wrong counts.
//
// Use on the thread that owns the context; the context's own error and
// warning callbacks are set aside while a reading or a listener lasts.

#include <QString>

#include <string>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {

// Hears MuPDF's errors and warnings on a context while it lives, in place of
// the context's own callbacks, which it gives back when it goes.
class fitzListener {
public:
    explicit fitzListener(fz_context* ctx);
    ~fitzListener();
    fitzListener(const fitzListener&) = delete;
    fitzListener& operator=(const fitzListener&) = delete;

    // MuPDF's first error, or else its last warning; empty when it said
    // nothing.
    QString heard() const;

private:
    static void hearError(void* user, const char* message);
    static void hearWarning(void* user, const char* message);

    fz_context* m_ctx;
    void* m_errorUser = nullptr;
    void* m_warningUser = nullptr;
    void (*m_errorCallback)(void*, const char*) = nullptr;
    void (*m_warningCallback)(void*, const char*) = nullptr;
    std::string m_firstError;
    std::string m_lastWarning;
};

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
    QString damage;       // empty when the page was read whole, else MuPDF's message
};

// Loads the page with 0-based index and runs it into the target, which
// keeps what could be read of a damaged page.
pageReading readPage(fz_context* ctx, fz_document* doc, int index, pageParts parts, pageTarget& target);

} // namespace conversion

#endif
