#ifndef PDFPARSEPROGRESS_H
#define PDFPARSEPROGRESS_H

#include <atomic>

namespace conversion {

// The parser's line back to its caller: progress, cancel and the result of
// opening the document. The parser calls every virtual member on the thread
// that runs pdfParser::parse; setCancel may be called from any thread, which
// is why the flag is atomic.
//
// What the parser does, in order:
// - setSuccess(false) and return when the request is unusable or the PDF
//   cannot be opened or authenticated: no page is delivered. Otherwise
//   setSuccess(true) once the document is open and authenticated, before the
//   first page.
// - setPageNumber(n) with the number of requested pages that exist, then
//   after each of them parseProgressInfo(progressMessage, "k"), k pages done.
//   A page that exists but cannot be loaded is skipped, and one whose
//   content could be loaded or run only in part is delivered with what was
//   read; each is named in a noticeMessage "cannot read page <n> in
//   '<file>': <MuPDF's message>".
// - isNeedCancel() before every page, and every few milliseconds while the
//   next page is still being read or waits for the document's hyphenated
//   words; true ends the parse at once.
// - setSuccess(false) at the end when pages were requested and not one of
//   them could be read: each was left out, or lost its content in part and
//   gave neither text nor a picture.
// So the caller reads isSuccess() after parse returns: false means the task
// failed and must end as failed, never as an empty book that looks done.
class pdfParseProgress {
public:
    enum messageType {
        progressMessage = 0,   // the text is a count of pages done, or ":" and a percentage
        noticeMessage = 1      // the text says which page could not be read, and why; not progress
    };

    pdfParseProgress() = default;
    pdfParseProgress(const pdfParseProgress& other)
        : pageNumber(other.pageNumber), percent(other.percent), cancel(other.cancel.load())
    {
    }
    pdfParseProgress& operator=(const pdfParseProgress& other)
    {
        pageNumber = other.pageNumber;
        percent = other.percent;
        cancel = other.cancel.load();
        return *this;
    }
    virtual ~pdfParseProgress() = default;

    virtual void parseProgressInfo(messageType type, char* text)
    {
        (void)type;
        (void)text;
    }
    virtual bool isNeedCancel() { return cancel; }
    virtual void setCancel(bool value) { cancel = value; }
    virtual void setSuccess(bool value) { (void)value; }
    virtual bool isSuccess() { return false; }

    // The total that page-count messages count against; 0 until the parser sets it.
    void setPageNumber(int count) { pageNumber = count; }

protected:
    int pageNumber = 0;
    float percent = 0.0f;               // the last percentage computed from a page count
    std::atomic<bool> cancel{false};
};

} // namespace conversion

#endif
