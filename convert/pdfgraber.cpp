#include "convert/pdfgraber.h"

#include "convert/logwriter.h"
#include "convert/pathtext.h"
#include "convert/rendercap.h"
#include "fixed_field.h"
#include "platform/fitz/finishedpages.h"
#include "platform/vuframe0/vupaths.h"

#include <QFile>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>

#include <cstring>

extern "C" {
#include <mupdf/fitz.h>
}

// A BGR pixmap with alpha holds the bytes B, G, R, A per pixel, which is
// QImage's 32-bit word 0xAARRGGBB only on a little-endian machine.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the page pixmap is read as QImage::Format_RGB32");

namespace {

const char kSource[] = ".\\PDFGraber";

// Longest path the grabber takes, in UTF-16 units and in UTF-8 bytes.
constexpr int kPathLimit = 1023;

// MuPDF reports every failure that matters to us as an exception; its own
// printing to the terminal would only repeat it.
void quiet(void*, const char*)
{
}

// One MuPDF object, dropped when the owner goes or takes another. Owners are
// declared outside fz_try; inside, only reset() is called on them.
template <typename T, void (*Drop)(fz_context*, T*)>
class fitzOwner {
public:
    explicit fitzOwner(fz_context* ctx)
        : m_ctx(ctx)
    {
    }
    ~fitzOwner() { reset(); }
    fitzOwner(const fitzOwner&) = delete;
    fitzOwner& operator=(const fitzOwner&) = delete;

    T* get() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    void reset(T* ptr = nullptr)
    {
        T* old = m_ptr;
        m_ptr = ptr;
        if (old)
            Drop(m_ctx, old);
    }

private:
    fz_context* m_ctx;
    T* m_ptr = nullptr;
};

using documentOwner = fitzOwner<fz_document, fz_drop_document>;
using pageOwner = fitzOwner<fz_page, fz_drop_page>;
using displayListOwner = fitzOwner<fz_display_list, fz_drop_display_list>;
using pixmapOwner = fitzOwner<fz_pixmap, fz_drop_pixmap>;

class contextOwner {
public:
    contextOwner()
    {
        m_ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
        if (!m_ctx)
            return;
        fz_set_error_callback(m_ctx, quiet, nullptr);
        fz_set_warning_callback(m_ctx, quiet, nullptr);
        bool ok = true;
        fz_try(m_ctx)
        {
            fz_register_document_handlers(m_ctx);
        }
        fz_catch(m_ctx)
        {
            ok = false;
        }
        if (!ok) {
            fz_drop_context(m_ctx);
            m_ctx = nullptr;
        }
    }
    ~contextOwner() { fz_drop_context(m_ctx); }
    contextOwner(const contextOwner&) = delete;
    contextOwner& operator=(const contextOwner&) = delete;

    fz_context* get() const { return m_ctx; }

private:
    fz_context* m_ctx = nullptr;
};

// The file name after the last "/" or "\".
QString fileNameOf(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

// The part of the rendered picture to keep. The area is in page pixels at
// 100 %; the page was drawn scaled by factor, so the area is too. Its edges
// are rounded to whole pixels and clipped to the picture, so it never
// reaches past the page. No area, an empty or inside-out one, or one with
// nothing on the page keeps the whole picture.
QRect cutOut(const QRect* area, double factor, const QSize& picture)
{
    const QRect whole(QPoint(0, 0), picture);
    if (!area || area->isEmpty())
        return whole;
    const int left = qRound(area->left() * factor);
    const int top = qRound(area->top() * factor);
    const int right = qRound((area->left() + area->width()) * factor) - 1;
    const int bottom = qRound((area->top() + area->height()) * factor) - 1;
    const QRect scaled = QRect(QPoint(left, top), QPoint(right, bottom)).intersected(whole);
    return scaled.isEmpty() ? whole : scaled;
}

} // namespace

struct PDFGraber::renderState {
    renderState()
        : document(context.get())
        , page(context.get())
    {
    }

    fz_context* ctx() const { return context.get(); }

    bool openDocument(const char* path, const char* password);
    QString infoTitle();
    bool loadPage(int number);
    bool recordPage(int number, displayListOwner& list);
    float drawingScale(int number);
    bool drawPage(int number, fz_display_list* list, fz_matrix ctm, pixmapOwner& pixmap);
    QString picturePath(int number);
    void reportDrawError(int number) const;

    // Declared first, so the objects below are dropped while it still exists.
    contextOwner context;
    documentOwner document;
    pageOwner page;
    finishedPages finished;
    fz_rect pageBounds = fz_empty_rect;
    QString title;
    int pageCount = 0;
    int resolution = 72;
    // The last grabbed page's size at the resolution asked for.
    QSize requestedSize;
    std::unique_ptr<QTemporaryDir> pictureFolder;
};

// The document when it opens and the password (if it needs one) opens it,
// with its page count read, so that a damaged page tree fails here.
bool PDFGraber::renderState::openDocument(const char* path, const char* password)
{
    fz_stream* stream = nullptr;
    fz_document* doc = nullptr;
    int count = 0;
    bool ok = true;
    fz_var(stream);
    fz_var(doc);
    fz_var(count);
    fz_var(ok);
    fz_try(ctx())
    {
        stream = fz_open_file(ctx(), path);
        // Always the PDF reader: the file is a PDF whatever its name says.
        doc = fz_open_document_with_stream(ctx(), "application/pdf", stream);
        if (fz_needs_password(ctx(), doc))
            ok = fz_authenticate_password(ctx(), doc, password) != 0;
        if (ok)
            count = fz_count_pages(ctx(), doc);
    }
    fz_always(ctx())
    {
        fz_drop_stream(ctx(), stream);
    }
    fz_catch(ctx())
    {
        ok = false;
    }
    if (!ok) {
        fz_drop_document(ctx(), doc);
        return false;
    }
    document.reset(doc);
    pageCount = count;
    return true;
}

// The Info dictionary's Title, or an empty text.
QString PDFGraber::renderState::infoTitle()
{
    char buffer[1024] = {};
    int length = -1;
    fz_var(length);
    fz_try(ctx())
    {
        length = fz_lookup_metadata(ctx(), document.get(), FZ_META_INFO_TITLE, buffer, sizeof buffer);
    }
    fz_catch(ctx())
    {
        length = -1;
    }
    if (length <= 1)
        return QString();
    return QString::fromUtf8(buffer, static_cast<qsizetype>(strnlen(buffer, sizeof buffer - 1)));
}

// Replaces the loaded page with page number (1-based) and its bounds in
// page space, which already point down and include the page's rotation.
bool PDFGraber::renderState::loadPage(int number)
{
    page.reset();
    finished.pageDone(ctx(), document.get());
    fz_page* loaded = nullptr;
    fz_rect bounds = fz_empty_rect;
    fz_var(loaded);
    fz_var(bounds);
    fz_try(ctx())
    {
        loaded = fz_load_page(ctx(), document.get(), number - 1);
        bounds = fz_bound_page(ctx(), loaded);
    }
    fz_catch(ctx())
    {
        fz_drop_page(ctx(), loaded);
        loaded = nullptr;
    }
    page.reset(loaded);
    pageBounds = bounds;
    return loaded != nullptr;
}

// Runs the page's content into a display list. A content error is logged
// and the page keeps what was recorded up to it; false only when no list
// could be made.
bool PDFGraber::renderState::recordPage(int number, displayListOwner& list)
{
    fz_device* device = nullptr;
    fz_cookie cookie = {};
    bool failed = false;
    fz_var(device);
    fz_var(failed);
    fz_try(ctx())
    {
        list.reset(fz_new_display_list(ctx(), pageBounds));
        device = fz_new_list_device(ctx(), list.get());
        fz_run_page(ctx(), page.get(), device, fz_identity, &cookie);
        fz_close_device(ctx(), device);
    }
    fz_always(ctx())
    {
        fz_drop_device(ctx(), device);
    }
    fz_catch(ctx())
    {
        failed = true;
    }
    if (failed || cookie.errors > 0)
        reportDrawError(number);
    return static_cast<bool>(list);
}

// The scale the loaded page is drawn at: the resolution's, or for a page
// too large for the pixel cap at that resolution the largest scale within
// it (logged). 0 when the page cannot be drawn within the cap at all.
float PDFGraber::renderState::drawingScale(int number)
{
    const float wanted = static_cast<float>(resolution) / 72.0f;
    const fz_irect box = rendercap::pixmapBox(pageBounds, wanted);
    requestedSize = QSize(box.x1 - box.x0, box.y1 - box.y0);
    const float scale = rendercap::cappedScale(pageBounds, wanted);
    if (scale < wanted) {
        const fz_irect drawn = rendercap::pixmapBox(pageBounds, scale);
        writeLogSite(kSource, __LINE__, "PDFGraber::grabImage");
        writeLogLine("page %d of '%s' is %d x %d pixels at %d dpi, more than %lld; drawn at %d x %d", number,
                     title.toUtf8().constData(), requestedSize.width(), requestedSize.height(), resolution,
                     rendercap::kMaxPixels, drawn.x1 - drawn.x0, drawn.y1 - drawn.y0);
    }
    return scale;
}

// Draws the list into a new white pixmap of the page's size at ctm. A
// drawing error is logged and the pixmap keeps what was drawn; false only
// when there is no pixmap (no pixels at this zoom, more than the pixel cap,
// or no memory for them).
bool PDFGraber::renderState::drawPage(int number, fz_display_list* list, fz_matrix ctm, pixmapOwner& pixmap)
{
    const fz_irect box = fz_round_rect(fz_transform_rect(pageBounds, ctm));
    if (fz_is_empty_irect(box) || !rendercap::fits(box))
        return false;
    fz_device* device = nullptr;
    fz_cookie cookie = {};
    bool failed = false;
    fz_var(device);
    fz_var(failed);
    fz_try(ctx())
    {
        pixmap.reset(fz_new_pixmap_with_bbox(ctx(), fz_device_bgr(ctx()), box, nullptr, 1));
        fz_clear_pixmap_with_value(ctx(), pixmap.get(), 255);
        device = fz_new_draw_device(ctx(), fz_identity, pixmap.get());
        fz_run_display_list(ctx(), list, device, ctm, fz_infinite_rect, &cookie);
        fz_close_device(ctx(), device);
    }
    fz_always(ctx())
    {
        fz_drop_device(ctx(), device);
    }
    fz_catch(ctx())
    {
        failed = true;
    }
    if (pixmap && (failed || cookie.errors > 0))
        reportDrawError(number);
    return static_cast<bool>(pixmap);
}

void PDFGraber::renderState::reportDrawError(int number) const
{
    writeLogSite(kSource, 240, "PDFGraber::grabImage");
    writeLogLine("cannot draw page %d in '%s'", number, title.toUtf8().constData());
}

// "<folder>/p-<number>.jpg", the folder made on first use; empty (logged)
// when there is no temporary folder to make it in.
QString PDFGraber::renderState::picturePath(int number)
{
    if (!pictureFolder) {
        const QString temp = Vu::tempPath();
        if (!temp.isEmpty()) {
            pictureFolder =
                std::make_unique<QTemporaryDir>(utils::joinPath(temp, QStringLiteral("pages-XXXXXX")));
            if (!pictureFolder->isValid())
                pictureFolder.reset();
        }
        if (!pictureFolder) {
            writeLogSite(kSource, __LINE__, "PDFGraber::grabImage");
            writeLogLine("no folder for page pictures in '%s'", temp.toUtf8().constData());
            return QString();
        }
    }
    const QString name = QLatin1String("p-") + QString::number(number) + QLatin1String(".jpg");
    return utils::joinPath(pictureFolder->path(), name);
}

PDFGraber::PDFGraber()
    : m_state(std::make_unique<renderState>())
{
}

PDFGraber::~PDFGraber()
{
    close();
}

bool PDFGraber::open(const QString& path, const QString& password)
{
    close();
    renderState& s = *m_state;
    if (!s.ctx() || path.isEmpty() || path.size() > kPathLimit)
        return false;
    const QByteArray nativePath = QFile::encodeName(path);
    if (nativePath.size() > kPathLimit)
        return false;
    // The password field holds 127 bytes; a longer password cut to fit
    // would be another password, so it is refused.
    char secret[128];
    if (!ns_epub::setFieldText(secret, password)) {
        writeLogSite(kSource, __LINE__, "PDFGraber::open");
        writeLogLine("password longer than %d bytes", static_cast<int>(sizeof secret - 1));
        return false;
    }
    const bool opened = s.openDocument(nativePath.constData(), secret);
    std::memset(secret, 0, sizeof secret);
    if (!opened)
        return false;
    // The outline is not read: no picture needs it, and a hostile one (nested
    // deeper than the stack reaches) would end the program.
    s.title = s.infoTitle();
    if (s.title.isEmpty())
        s.title = fileNameOf(path);
    s.resolution = 72;
    return true;
}

QString PDFGraber::grabImage(int page, int zoom, const QRect* area)
{
    renderState& s = *m_state;
    if (!s.document || page < 1 || page > s.pageCount || zoom <= 0)
        return QString();
    s.resolution = static_cast<int>(static_cast<qint64>(zoom) * 72 / 100);
    s.requestedSize = QSize();
    if (s.resolution < 1 || !s.loadPage(page))
        return QString();
    const QString path = s.picturePath(page);
    if (path.isEmpty())
        return QString();

    const float scale = s.drawingScale(page);
    if (scale <= 0)
        return QString();
    const fz_matrix ctm = fz_scale(scale, scale);
    displayListOwner list(s.ctx());
    pixmapOwner pixmap(s.ctx());
    if (!s.recordPage(page, list) || !s.drawPage(page, list.get(), ctm, pixmap))
        return QString();
    list.reset();

    // The picture reads the pixmap's samples in place; only a cut-out is copied.
    fz_pixmap* pix = pixmap.get();
    const QImage picture(fz_pixmap_samples(s.ctx(), pix), fz_pixmap_width(s.ctx(), pix),
                         fz_pixmap_height(s.ctx(), pix), fz_pixmap_stride(s.ctx(), pix), QImage::Format_RGB32);
    // The area follows the page as drawn: resolution / 72, which differs from
    // zoom / 100 where the resolution was cut to whole dots (20 % is 14 dpi),
    // or the smaller scale of a page too large to draw at the resolution.
    const QRect cut = cutOut(area, scale, picture.size());
    const bool saved = cut == picture.rect() ? picture.save(path) : picture.copy(cut).save(path);
    if (!saved) {
        // The caller skips the page; a half-written file must not stay behind.
        QFile::remove(path);
        writeLogSite(kSource, __LINE__, "PDFGraber::grabImage");
        writeLogLine("cannot save %s", path.toUtf8().constData());
        return QString();
    }
    return path;
}

void PDFGraber::close()
{
    renderState& s = *m_state;
    s.page.reset();
    s.pageBounds = fz_empty_rect;
    s.document.reset();
    s.title.clear();
    s.pageCount = 0;
    s.requestedSize = QSize();
}

bool PDFGraber::isOpen() const
{
    return static_cast<bool>(m_state->document);
}

int PDFGraber::pageCount() const
{
    return m_state->pageCount;
}

QSize PDFGraber::requestedSize() const
{
    return m_state->requestedSize;
}
