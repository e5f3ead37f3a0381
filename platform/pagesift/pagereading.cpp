#include "pagereading.h"

#include "fitzlistener.h"
#include "lostcontent.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace conversion {
namespace {

// MuPDF's words when it skips the rest of a content stream, after too many
// syntax errors or one it cannot recover from.
const char kRestIgnored[] = "ignoring rest of page";

bool wasRepaired(fz_context* ctx, fz_document* doc)
{
    pdf_document* pdf = pdf_document_from_fz_document(ctx, doc);
    return pdf && pdf_was_repaired(ctx, pdf);
}

// The page and a device over a new target; false (message set) when the
// page cannot be loaded.
bool loadPage(fz_context* ctx, fz_document* doc, int index, pageTarget& target, fz_page** page, fz_device** device,
              char* message, size_t size)
{
    bool loaded = false;
    fz_var(loaded);
    fz_try(ctx)
    {
        *page = fz_load_page(ctx, doc, index);
        *device = target.open(ctx, fz_bound_page(ctx, *page));
        loaded = true;
    }
    fz_catch(ctx)
    {
        fz_strlcpy(message, fz_caught_message(ctx), size);
    }
    return loaded;
}

// False (message set) when MuPDF threw part way.
bool runContents(fz_context* ctx, fz_page* page, fz_device* device, char* message, size_t size)
{
    bool whole = true;
    fz_var(whole);
    fz_try(ctx)
    {
        fz_run_page_contents(ctx, page, device, fz_identity, nullptr);
    }
    fz_catch(ctx)
    {
        whole = false;
        fz_strlcpy(message, fz_caught_message(ctx), size);
    }
    return whole;
}

// Annotations and form fields as a viewer shows them; what goes wrong with
// them never counts.
void runAnnotations(fz_context* ctx, fz_page* page, fz_device* device)
{
    fz_try(ctx)
    {
        fz_run_page_annots(ctx, page, device, fz_identity, nullptr);
        fz_run_page_widgets(ctx, page, device, fz_identity, nullptr);
    }
    fz_catch(ctx)
    {
    }
}

void closeDevice(fz_context* ctx, fz_device* device)
{
    fz_try(ctx)
    {
        fz_close_device(ctx, device);
    }
    fz_catch(ctx)
    {
    }
}

pageReading readOnce(fz_context* ctx, fz_document* doc, int index, pageParts parts, pageTarget& target,
                     lostContent& lost)
{
    fz_page* page = nullptr;
    fz_device* device = nullptr;
    char message[256] = {};
    pageReading reading;
    reading.loaded = loadPage(ctx, doc, index, target, &page, &device, message, sizeof message);
    if (reading.loaded) {
        // What MuPDF says while it loads the page (its links and
        // annotations) never counts; only its run of the content may.
        contentRun run;
        {
            const fitzListener listener(ctx, kRestIgnored);
            run.threw = !runContents(ctx, page, device, message, sizeof message);
            run.quiet = listener.heard().isEmpty();
            run.message = listener.watched();
            run.skipped = !run.message.isEmpty();
        }
        if (run.threw)
            run.message = QString::fromUtf8(message);
        if (parts == pageParts::withAnnotations)
            runAnnotations(ctx, page, device);
        closeDevice(ctx, device);
        reading.damage = lost.find(ctx, doc, page, run);
    } else {
        reading.error = QString::fromUtf8(message);
        target.discard(ctx);
    }
    fz_drop_device(ctx, device);
    fz_drop_page(ctx, page);
    return reading;
}

} // namespace

pageReading readPage(fz_context* ctx, fz_document* doc, int index, pageParts parts, pageTarget& target,
                     lostContent& lost)
{
    const bool repairedBefore = wasRepaired(ctx, doc);
    pageReading reading = readOnce(ctx, doc, index, parts, target, lost);
    if (!repairedBefore && wasRepaired(ctx, doc)) {
        target.discard(ctx);
        reading = readOnce(ctx, doc, index, parts, target, lost);
    }
    return reading;
}

} // namespace conversion
