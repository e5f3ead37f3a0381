#include "preview/pdfapp.h"

#include "convert/logwriter.h"
#include "convert/rendercap.h"
#include "platform/pagesift/documentsource.h"

#include <QGuiApplication>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <string.h>

extern "C" {
#include <mupdf/fitz.h>
}

namespace {

const char kSource[] = ".\\pdfapp";

// The password buffer's size: 127 bytes and the terminating NUL.
constexpr std::size_t kPasswordSize = 128;

// Resolutions the fitting stays within, so that neither a huge fit area nor
// a page of no size can run it out of range.
constexpr int kMinResolution = 1;
constexpr int kMaxResolution = 100000;

// The viewer reports its failures itself; MuPDF's own printing to the
// terminal would only repeat them.
void quiet(void*, const char*)
{
}

fz_context* newContext()
{
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx)
        return nullptr;
    fz_set_error_callback(ctx, quiet, nullptr);
    fz_set_warning_callback(ctx, quiet, nullptr);
    bool ok = true;
    fz_try(ctx)
    {
        fz_register_document_handlers(ctx);
    }
    fz_catch(ctx)
    {
        ok = false;
    }
    if (!ok) {
        fz_drop_context(ctx);
        return nullptr;
    }
    return ctx;
}

// The wait cursor while a page is loaded or drawn; the arrow comes back
// however the work ends.
class busyCursor {
public:
    busyCursor() { QGuiApplication::setOverrideCursor(pdfapp_globals()->waitcurs); }
    ~busyCursor() { QGuiApplication::restoreOverrideCursor(); }
    busyCursor(const busyCursor&) = delete;
    busyCursor& operator=(const busyCursor&) = delete;
};

// The password in a zero-filled buffer of its own, wiped when done. A
// password that does not fit is refused rather than cut: cut, it would be
// another password.
class passwordBuffer {
public:
    passwordBuffer(const char* password, const char* function)
    {
        const std::size_t length = password ? std::strlen(password) : 0;
        m_fits = length < kPasswordSize;
        if (m_fits && length > 0)
            std::memcpy(m_text, password, length);
        if (!m_fits) {
            writeLogSite(kSource, __LINE__, function);
            writeLogLine("password longer than %d bytes", static_cast<int>(kPasswordSize - 1));
        }
    }
    ~passwordBuffer() { explicit_bzero(m_text, sizeof m_text); }
    passwordBuffer(const passwordBuffer&) = delete;
    passwordBuffer& operator=(const passwordBuffer&) = delete;

    bool fits() const { return m_fits; }
    const char* text() const { return m_text; }

private:
    char m_text[kPasswordSize] = {};
    bool m_fits = false;
};

bool authenticate(pdfapp_t* app, const passwordBuffer& password)
{
    if (!password.fits())
        return false;
    int accepted = 0;
    fz_var(accepted);
    fz_try(app->ctx)
    {
        accepted = fz_authenticate_password(app->ctx, app->doc, password.text());
    }
    fz_catch(app->ctx)
    {
        accepted = 0;
    }
    return accepted != 0;
}

// MuPDF's PDF reader repairs a damaged cross-reference table by itself.
bool openDocument(pdfapp_t* app, const std::shared_ptr<const RegularFile>& file)
{
    const conversion::documentSource source(file);
    fz_context* ctx = app->ctx;
    fz_document* doc = nullptr;
    fz_var(doc);
    fz_try(ctx)
    {
        doc = source.open(ctx);
    }
    fz_catch(ctx)
    {
        doc = nullptr;
    }
    app->doc = doc;
    return doc != nullptr;
}

// The file name of the path (after its last "\", then after its last "/"),
// or the document's Info Title when it has one.
QByteArray documentTitle(pdfapp_t* app, const char* filename)
{
    char info[1024] = {};
    int length = -1;
    fz_var(length);
    fz_try(app->ctx)
    {
        length = fz_lookup_metadata(app->ctx, app->doc, FZ_META_INFO_TITLE, info, sizeof info);
    }
    fz_catch(app->ctx)
    {
        length = -1;
    }
    if (length > 1 && info[0] != '\0')
        return QByteArray(info, static_cast<qsizetype>(strnlen(info, sizeof info - 1)));
    const char* name = filename ? filename : "";
    if (const char* backslash = std::strrchr(name, '\\'))
        name = backslash + 1;
    if (const char* slash = std::strrchr(name, '/'))
        name = slash + 1;
    return QByteArray(name);
}

int countPages(pdfapp_t* app)
{
    int count = -1;
    fz_var(count);
    fz_try(app->ctx)
    {
        count = fz_count_pages(app->ctx, app->doc);
    }
    fz_catch(app->ctx)
    {
        count = -1;
    }
    return count;
}

// Title, page count and a fresh view. False when the page tree cannot be
// read. The outline is not read: nothing shows it, and a hostile one (nested
// deeper than the stack reaches) would end the program.
bool finishOpen(pdfapp_t* app, const char* filename)
{
    app->doctitle = documentTitle(app, filename);
    const int count = countPages(app);
    if (count < 0)
        return false;
    app->pagecount = count;
    app->shrinkwrap = 1;
    if (app->pageno < 1)
        app->pageno = 1;
    if (app->pageno > app->pagecount)
        app->pageno = app->pagecount;
    app->resolution = 72;
    app->rotate = 0;
    app->panx = 0;
    app->pany = 0;
    return true;
}

void dropPage(pdfapp_t* app)
{
    fz_drop_stext_page(app->ctx, app->pagetext);
    app->pagetext = nullptr;
    fz_drop_display_list(app->ctx, app->pagelist);
    app->pagelist = nullptr;
    fz_drop_page(app->ctx, app->page);
    app->page = nullptr;
}

void dropImage(pdfapp_t* app)
{
    fz_drop_pixmap(app->ctx, app->image);
    app->image = nullptr;
}

bool loadPage(pdfapp_t* app)
{
    fz_page* page = nullptr;
    fz_var(page);
    fz_try(app->ctx)
    {
        page = fz_load_page(app->ctx, app->doc, app->pageno - 1);
    }
    fz_catch(app->ctx)
    {
        page = nullptr;
    }
    app->page = page;
    return page != nullptr;
}

void reportDrawError(pdfapp_t* app)
{
    char message[1024];
    std::snprintf(message, sizeof message, "cannot draw page %d in '%s'", app->pageno,
                  app->doctitle.constData());
    winerror(app, message);
}

// Records the page once into a display list, which both the text and the
// drawing are made from. A page whose content fails part way keeps what was
// recorded up to the failure; a content error MuPDF steps over is only logged.
bool recordPage(pdfapp_t* app)
{
    fz_context* ctx = app->ctx;
    fz_display_list* list = nullptr;
    fz_device* device = nullptr;
    fz_cookie cookie = {};
    bool failed = false;
    fz_var(list);
    fz_var(device);
    fz_var(failed);
    fz_try(ctx)
    {
        list = fz_new_display_list(ctx, fz_bound_page(ctx, app->page));
        device = fz_new_list_device(ctx, list);
        fz_run_page(ctx, app->page, device, fz_identity, &cookie);
        fz_close_device(ctx, device);
    }
    fz_always(ctx)
    {
        fz_drop_device(ctx, device);
    }
    fz_catch(ctx)
    {
        failed = true;
    }
    app->pagelist = list;
    if (failed) {
        reportDrawError(app);
    } else if (cookie.errors > 0) {
        writeLogSite(kSource, __LINE__, "pdfapp_showpage");
        writeLogLine("%d errors in page %d of '%s'", cookie.errors, app->pageno, app->doctitle.constData());
    }
    return list != nullptr;
}

// Page space points down and holds the page's own rotation; the view adds
// its resolution and its own turn.
fz_matrix scaleTransform(const pdfapp_t* app, float scale)
{
    return fz_pre_rotate(fz_scale(scale, scale), static_cast<float>(app->rotate));
}

fz_matrix viewTransform(const pdfapp_t* app, int resolution)
{
    return scaleTransform(app, static_cast<float>(resolution) / 72.0f);
}

fz_irect pageBox(const pdfapp_t* app, int resolution)
{
    const fz_rect bounds = fz_bound_display_list(app->ctx, app->pagelist);
    return fz_round_rect(fz_transform_rect(bounds, viewTransform(app, resolution)));
}

int clampResolution(double resolution)
{
    if (!(resolution >= kMinResolution))
        return kMinResolution;
    if (resolution >= kMaxResolution)
        return kMaxResolution;
    return static_cast<int>(resolution);
}

// The fitting: the page's larger proportion is scaled to the fit area. Each
// pass measures the page at the current resolution and divides that by the
// larger ratio of page to area; a page too large is measured again until it
// fits, and a fitting page is measured once more and drawn on the second
// fitting pass. *drawn is the resolution the page is drawn at, *kept the one
// its last pass computed, which the record keeps. A page of no size or an
// empty fit area is drawn as it is.
void fitPage(const pdfapp_t* app, int resolution, int fitw, int fith, int* drawn, int* kept)
{
    bool fittedOnce = false;
    for (;;) {
        const fz_irect box = pageBox(app, resolution);
        const double rw = double(box.x1 - box.x0) / fitw;
        const double rh = double(box.y1 - box.y0) / fith;
        const double ratio = std::max(rw, rh);
        if (fitw <= 0 || fith <= 0 || !(ratio > 0) || !std::isfinite(ratio)) {
            *drawn = *kept = resolution;
            return;
        }
        const int next = clampResolution(resolution / ratio);
        if (rw > 1 || rh > 1) {
            if (next >= resolution) {
                // Already at the smallest resolution: drawn as large as it is.
                *drawn = *kept = resolution;
                return;
            }
            resolution = next;
            continue;
        }
        if (fittedOnce) {
            *drawn = resolution;
            *kept = next;
            return;
        }
        fittedOnce = true;
        resolution = next;
    }
}

// The scale a page is drawn at: the fitted resolution's, or for a page too
// large for the cap at it the largest whole resolution within the cap, and
// where not even one dot per inch fits, the largest scale within it
// (logged). *resolution becomes the whole resolution drawn at, at least 1.
float drawingScale(const pdfapp_t* app, int* resolution)
{
    const float wanted = static_cast<float>(*resolution) / 72.0f;
    const fz_rect bounds = fz_bound_display_list(app->ctx, app->pagelist);
    const float turn = static_cast<float>(app->rotate);
    const float capped = rendercap::cappedScale(bounds, wanted, turn);
    if (capped >= wanted)
        return wanted;
    const int whole = static_cast<int>(capped * 72.0f);
    const float scale = whole >= kMinResolution ? static_cast<float>(whole) / 72.0f : capped;
    rendercap::logCapped(kSource, __LINE__, "pdfapp_showpage", app->pageno, app->doctitle.constData(),
                         rendercap::pixmapBox(bounds, wanted, turn), *resolution,
                         rendercap::pixmapBox(bounds, scale, turn));
    *resolution = std::max(kMinResolution, whole);
    return scale;
}

// Up to 255 bytes of "<title> - <page>/<count> (<dpi> dpi)": the title is
// cut (never inside a character) so that the rest always fits.
QString windowText(const pdfapp_t* app, int resolution)
{
    char tail[64];
    std::snprintf(tail, sizeof tail, " - %d/%d (%d dpi)", app->pageno, app->pagecount, resolution);
    const qsizetype room = 255 - static_cast<qsizetype>(std::strlen(tail));
    QByteArray title = app->doctitle;
    if (title.size() > room) {
        qsizetype cut = room;
        while (cut > 0 && (static_cast<unsigned char>(title.at(cut)) & 0xC0) == 0x80)
            --cut;
        title.truncate(cut);
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s%s", title.constData(), tail);
    return QString::fromUtf8(text).left(255);
}

void showTitle(const pdfapp_t* app, int resolution)
{
    win32::setWindowText(pdfapp_globals()->framewindow, windowText(app, resolution));
}

// The page's text, for a search; nothing starts one yet, so a failure here
// only leaves it out.
void extractText(pdfapp_t* app)
{
    fz_drop_stext_page(app->ctx, app->pagetext);
    app->pagetext = nullptr;
    fz_stext_page* text = nullptr;
    fz_var(text);
    fz_try(app->ctx)
    {
        text = fz_new_stext_page_from_display_list(app->ctx, app->pagelist, nullptr);
    }
    fz_catch(app->ctx)
    {
        text = nullptr;
    }
    app->pagetext = text;
}

// A new white pixmap of the page at the scale with the page drawn in; none
// for a page beyond the pixel cap.
bool drawPage(pdfapp_t* app, float scale)
{
    fz_context* ctx = app->ctx;
    dropImage(app);
    const fz_matrix ctm = scaleTransform(app, scale);
    const fz_irect box = fz_round_rect(fz_transform_rect(fz_bound_display_list(ctx, app->pagelist), ctm));
    if (fz_is_empty_irect(box) || !rendercap::fits(box))
        return false;
    fz_pixmap* pixmap = nullptr;
    fz_device* device = nullptr;
    fz_cookie cookie = {};
    bool failed = false;
    fz_var(pixmap);
    fz_var(device);
    fz_var(failed);
    fz_try(ctx)
    {
        fz_colorspace* colors = app->grayscale ? fz_device_gray(ctx) : fz_device_bgr(ctx);
        pixmap = fz_new_pixmap_with_bbox(ctx, colors, box, nullptr, 1);
        fz_clear_pixmap_with_value(ctx, pixmap, 0xFF);
        device = fz_new_draw_device(ctx, fz_identity, pixmap);
        fz_run_display_list(ctx, app->pagelist, device, ctm, fz_infinite_rect, &cookie);
        fz_close_device(ctx, device);
    }
    fz_always(ctx)
    {
        fz_drop_device(ctx, device);
    }
    fz_catch(ctx)
    {
        failed = true;
    }
    app->image = pixmap;
    if (failed)
        reportDrawError(app);
    return pixmap != nullptr;
}

// The end of every show: the image placed in the window and repainted.
void placeImage(pdfapp_t* app)
{
    pdfapp_panview(app, app->panx, app->pany);
    if (app->shrinkwrap && app->image) {
        if (app->winw == fz_pixmap_width(app->ctx, app->image))
            app->panx = 0;
        if (app->winh == fz_pixmap_height(app->ctx, app->image))
            app->pany = 0;
    }
    win32::invalidateRect(pdfapp_globals()->viewwindow);
}

} // namespace

pdfapp_t* pdfapp_record()
{
    static pdfapp_t record;
    return &record;
}

pdfapp_globals_t* pdfapp_globals()
{
    static pdfapp_globals_t globals;
    return &globals;
}

bool pdfapp_init(pdfapp_t* app)
{
    pdfapp_close(app);
    fz_context* ctx = app->ctx ? app->ctx : newContext();
    *app = pdfapp_t();
    app->ctx = ctx;
    app->resolution = 72;
    return ctx != nullptr;
}

void pdfapp_uninit(pdfapp_t* app)
{
    pdfapp_close(app);
    fz_drop_context(app->ctx);
    app->ctx = nullptr;
}

bool pdfapp_openstart(pdfapp_t* app, const std::shared_ptr<const RegularFile>& file)
{
    if (!file)
        return false;
    if (!app->ctx)
        app->ctx = newContext();
    if (!app->ctx)
        return false;
    // One document at a time: whatever was open goes first, and so does
    // its picture.
    pdfapp_close(app);
    win32::invalidateRect(pdfapp_globals()->viewwindow);
    return openDocument(app, file);
}

bool pdfapp_open(pdfapp_t* app, const char* filename, const char* password,
                 const std::shared_ptr<const RegularFile>& file)
{
    const passwordBuffer secret(password, "pdfapp_open");
    if (!secret.fits())
        return false;
    if (!pdfapp_openstart(app, file))
        return false;
    if (pdfapp_needspassword(app) && !authenticate(app, secret))
        return false;
    if (!finishOpen(app, filename))
        return false;
    pdfapp_showpage(app, true, true);
    return true;
}

bool pdfapp_needspassword(pdfapp_t* app)
{
    if (!app->ctx || !app->doc)
        return false;
    int needs = 0;
    fz_var(needs);
    fz_try(app->ctx)
    {
        needs = fz_needs_password(app->ctx, app->doc);
    }
    fz_catch(app->ctx)
    {
        needs = 0;
    }
    return needs != 0;
}

bool pdfapp_checkpassword(pdfapp_t* app, const char* password)
{
    if (!app->ctx || !app->doc)
        return false;
    return authenticate(app, passwordBuffer(password, "pdfapp_checkpassword"));
}

bool pdfapp_openfinish(pdfapp_t* app, const char* filename)
{
    if (!app->ctx || !app->doc)
        return false;
    if (finishOpen(app, filename))
        return true;
    winerror(app, "cannot load page tree");
    return false;
}

bool pdfapp_showpage(pdfapp_t* app, bool loadpage, bool drawpage)
{
    if (!app->ctx || !app->doc || app->pageno < 1 || app->pageno > app->pagecount)
        return false;
    if (!loadpage && !drawpage) {
        showTitle(app, app->resolution);
        placeImage(app);
        return true;
    }
    const busyCursor busy;
    if (loadpage) {
        dropPage(app);
        if (!loadPage(app)) {
            win32::invalidateRect(pdfapp_globals()->viewwindow);
            return false;
        }
        const bool recorded = recordPage(app);
        app->hit = -1;
        app->hitlen = 0;
        if (!recorded)
            return false;
    }
    if (!drawpage) {
        showTitle(app, app->resolution);
        placeImage(app);
        return true;
    }
    if (!app->pagelist)
        return false;

    const pdfapp_globals_t* globals = pdfapp_globals();
    int drawn = app->resolution;
    int kept = app->resolution;
    fitPage(app, app->resolution, globals->fitw, globals->fith, &drawn, &kept);
    const int fitted = drawn;
    const float scale = drawingScale(app, &drawn);
    if (drawn < fitted)
        kept = std::min(kept, drawn);
    showTitle(app, drawn);
    extractText(app);
    const bool drew = drawPage(app, scale);
    app->resolution = kept;
    placeImage(app);
    return drew;
}

void pdfapp_close(pdfapp_t* app)
{
    fz_context* ctx = app->ctx;
    if (!ctx)
        return;
    fz_purge_glyph_cache(ctx);
    dropPage(app);
    dropImage(app);
    if (app->doc) {
        fz_empty_store(ctx);
        fz_drop_document(ctx, app->doc);
        app->doc = nullptr;
    }
    // Nothing is open: no pages to count or to move to.
    app->pagecount = 0;
}
