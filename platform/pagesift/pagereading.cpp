#include "pagereading.h"

#include <cstring>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace conversion {
namespace {

// A PDF page that names a content stream MuPDF cannot find: it only warns
// and runs the rest, so the page looks empty rather than broken.
bool lostContentStream(fz_context* ctx, fz_page* page)
{
    pdf_page* pdfPage = pdf_page_from_fz_page(ctx, page);
    if (!pdfPage)
        return false;
    pdf_obj* contents = pdf_page_contents(ctx, pdfPage);
    if (!contents || pdf_is_stream(ctx, contents))
        return false;
    if (pdf_is_array(ctx, contents)) {
        for (int i = 0; i < pdf_array_len(ctx, contents); ++i)
            if (!pdf_is_stream(ctx, pdf_array_get(ctx, contents, i)))
                return true;
        return false;
    }
    return pdf_is_indirect(ctx, contents) != 0;
}

bool wasRepaired(fz_context* ctx, fz_document* doc)
{
    pdf_document* pdf = pdf_document_from_fz_document(ctx, doc);
    return pdf && pdf_was_repaired(ctx, pdf);
}

pageReading readOnce(fz_context* ctx, fz_document* doc, int index, pageParts parts, pageTarget& target)
{
    fz_page* page = nullptr;
    fz_device* device = nullptr;
    fz_cookie cookie = {};
    bool opened = false;
    bool lost = false;
    bool failed = false;
    char message[256] = {};
    fz_var(page);
    fz_var(device);
    fz_var(opened);
    fz_var(lost);
    fz_var(failed);
    pageReading reading;
    {
        const fitzListener listener(ctx);
        fz_try(ctx)
        {
            page = fz_load_page(ctx, doc, index);
            device = target.open(ctx, fz_bound_page(ctx, page));
            opened = true;
            if (parts == pageParts::contentsOnly)
                fz_run_page_contents(ctx, page, device, fz_identity, &cookie);
            else
                fz_run_page(ctx, page, device, fz_identity, &cookie);
            fz_close_device(ctx, device);
            lost = lostContentStream(ctx, page);
        }
        fz_always(ctx)
        {
            fz_drop_device(ctx, device);
            fz_drop_page(ctx, page);
        }
        fz_catch(ctx)
        {
            fz_strlcpy(message, fz_caught_message(ctx), sizeof message);
            failed = true;
        }
        reading.damage = listener.heard();
    }
    // A page that failed once it was loaded keeps what was recorded.
    reading.loaded = opened;
    if (!opened) {
        target.discard(ctx);
        reading.error = QString::fromUtf8(message);
        reading.damage.clear();
    } else if (reading.damage.isEmpty() && (failed || cookie.errors > 0 || lost)) {
        reading.damage = failed ? QString::fromUtf8(message) : QStringLiteral("the page's content could not be read");
    }
    return reading;
}

} // namespace

fitzListener::fitzListener(fz_context* ctx)
    : m_ctx(ctx)
{
    m_errorCallback = fz_error_callback(ctx, &m_errorUser);
    m_warningCallback = fz_warning_callback(ctx, &m_warningUser);
    // A warning repeated from before would otherwise be counted, not told.
    fz_flush_warnings(ctx);
    fz_set_error_callback(ctx, hearError, this);
    fz_set_warning_callback(ctx, hearWarning, this);
}

fitzListener::~fitzListener()
{
    fz_flush_warnings(m_ctx);
    fz_set_error_callback(m_ctx, m_errorCallback, m_errorUser);
    fz_set_warning_callback(m_ctx, m_warningCallback, m_warningUser);
}

QString fitzListener::heard() const
{
    return QString::fromStdString(m_firstError.empty() ? m_lastWarning : m_firstError);
}

void fitzListener::hearError(void* user, const char* message)
{
    auto* listener = static_cast<fitzListener*>(user);
    if (listener->m_firstError.empty())
        listener->m_firstError = message;
}

// "... repeated 3 times..." only counts a warning already heard.
void fitzListener::hearWarning(void* user, const char* message)
{
    if (std::strncmp(message, "... repeated ", 13) != 0)
        static_cast<fitzListener*>(user)->m_lastWarning = message;
}

pageReading readPage(fz_context* ctx, fz_document* doc, int index, pageParts parts, pageTarget& target)
{
    const bool repairedBefore = wasRepaired(ctx, doc);
    pageReading reading = readOnce(ctx, doc, index, parts, target);
    if (!repairedBefore && wasRepaired(ctx, doc)) {
        target.discard(ctx);
        reading = readOnce(ctx, doc, index, parts, target);
    }
    return reading;
}

} // namespace conversion
