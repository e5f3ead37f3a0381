#include "convert/pdfgraber.h"

#include "convert/logwriter.h"
#include "convert/pathtext.h"
#include "convert/rendercap.h"
#include "fixed_field.h"
#include "platform/pagesift/documentsource.h"
#include "platform/pagesift/finishedpages.h"
#include "platform/pagesift/fitzcontext.h"
#include "platform/pagesift/lostcontent.h"
#include "platform/pagesift/pagereading.h"
#include "platform/vuframe0/vupaths.h"

#include <QFile>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>

#include <algorithm>
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
using displayListOwner = fitzOwner<fz_display_list, fz_drop_display_list>;
using pixmapOwner = fitzOwner<fz_pixmap, fz_drop_pixmap>;

// The page recorded as MuPDF runs it, to be drawn from.
class listTarget : public conversion::pageTarget {
public:
    explicit listTarget(displayListOwner& list)
        : m_list(list)
    {
    }
    fz_device* open(fz_context* ctx, fz_rect bounds) override
    {
        m_list.reset(fz_new_display_list(ctx, bounds));
        return fz_new_list_device(ctx, m_list.get());
    }
    void discard(fz_context*) override { m_list.reset(); }

private:
    displayListOwner& m_list;
};

// The file name after the last "/" or "\".
QString fileNameOf(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

// The part of the rendered picture to keep. The area is in page pixels at
// 100 %, where the page is page pixels large; the picture is the page as
// drawn, so each edge of the area moves to the same share of the picture,
// rounded to whole pixels. An area that reaches a page edge reaches the
// picture's edge at every zoom, and one that holds the whole page keeps the
// whole picture. The cut is kept within the picture. No area, an empty or
// inside-out one, or one with nothing on the page keeps the whole picture.
QRect cutOut(const QRect* area, const QSize& page, const QSize& picture)
{
    const QRect whole(QPoint(0, 0), picture);
    if (!area || area->isEmpty() || page.isEmpty())
        return whole;
    const double fx = double(picture.width()) / page.width();
    const double fy = double(picture.height()) / page.height();
    const int left = qRound(area->left() * fx);
    const int top = qRound(area->top() * fy);
    const int right = qRound((area->left() + area->width()) * fx) - 1;
    const int bottom = qRound((area->top() + area->height()) * fy) - 1;
    const QRect scaled = QRect(QPoint(left, top), QPoint(right, bottom)).intersected(whole);
    return scaled.isEmpty() ? whole : scaled;
}

// Zoom percent as whole dots per inch (20 % is 14 dpi); 0 for no zoom.
int resolutionOf(int zoom)
{
    return static_cast<int>(static_cast<qint64>(std::max(zoom, 0)) * 72 / 100);
}

QSize sizeOf(const fz_irect& box)
{
    return QSize(box.x1 - box.x0, box.y1 - box.y0);
}

} // namespace

struct PDFGraber::renderState {
    renderState()
        : document(context.get())
    {
    }

    fz_context* ctx() const { return context.get(); }

    bool openDocument(const conversion::documentSource& source, const char* password);
    QString infoTitle();
    bool readPage(int number, displayListOwner& list);
    float drawingScale(int number);
    bool drawPage(fz_display_list* list, fz_matrix ctm, pixmapOwner& pixmap);
    QString drawPicture(int number, fz_display_list* list, const QRect* area);
    // The last grabbed page's size in page pixels at 100 %.
    QSize pageSize() const { return sizeOf(rendercap::pixmapBox(pageBounds, 1.0f)); }
    QString picturePath(int number);
    void reportDamage(int number) const;

    // Declared first, so the objects below are dropped while it still exists.
    conversion::fitzContext context;
    documentOwner document;
    conversion::finishedPages finished;
    conversion::lostContent lostContent;
    // The last grabbed page's bounds in page space, which already point down
    // and include the page's rotation.
    fz_rect pageBounds = fz_empty_rect;
    QString title;
    int pageCount = 0;
    int resolution = 72;
    // The last grabbed page's size at the resolution asked for.
    QSize requestedSize;
    // MuPDF's message when the last grabbed page was damaged.
    QString damage;
    std::unique_ptr<QTemporaryDir> pictureFolder;
};

// The document when it opens and the password (if it needs one) opens it,
// with its page count read, so that a damaged page tree fails here.
bool PDFGraber::renderState::openDocument(const conversion::documentSource& source, const char* password)
{
    fz_document* doc = nullptr;
    int count = 0;
    bool ok = true;
    fz_var(doc);
    fz_var(count);
    fz_var(ok);
    fz_try(ctx())
    {
        doc = source.open(ctx());
        if (fz_needs_password(ctx(), doc))
            ok = fz_authenticate_password(ctx(), doc, password) != 0;
        if (ok)
            count = fz_count_pages(ctx(), doc);
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

// Loads page number (1-based) and records it into list, by the rule that
// Text mode reads its pages by, so both modes find the same pages damaged.
// A damaged page keeps what was recorded; false only when the page cannot
// be loaded.
bool PDFGraber::renderState::readPage(int number, displayListOwner& list)
{
    finished.pageDone(context, document.get());
    listTarget target(list);
    const conversion::pageReading reading =
        conversion::readPage(ctx(), document.get(), number - 1, conversion::pageParts::withAnnotations, target,
                             lostContent);
    damage = reading.loaded ? reading.damage : reading.error;
    pageBounds = list ? fz_bound_display_list(ctx(), list.get()) : fz_empty_rect;
    return reading.loaded;
}

// The scale the loaded page is drawn at: the resolution's, or for a page
// too large for the pixel cap at that resolution the largest scale within
// it (logged). 0 when the page cannot be drawn within the cap at all.
float PDFGraber::renderState::drawingScale(int number)
{
    const float wanted = static_cast<float>(resolution) / 72.0f;
    const fz_irect box = rendercap::pixmapBox(pageBounds, wanted);
    requestedSize = sizeOf(box);
    const float scale = rendercap::cappedScale(pageBounds, wanted);
    if (scale < wanted)
        rendercap::logCapped(kSource, __LINE__, "PDFGraber::grabImage", number, title.toUtf8().constData(), box,
                             resolution, rendercap::pixmapBox(pageBounds, scale));
    return scale;
}

// The picture of the recorded page, written; empty when none was.
QString PDFGraber::renderState::drawPicture(int number, fz_display_list* list, const QRect* area)
{
    const QString path = picturePath(number);
    if (path.isEmpty())
        return QString();
    const float scale = drawingScale(number);
    if (scale <= 0)
        return QString();
    pixmapOwner pixmap(ctx());
    if (!drawPage(list, fz_scale(scale, scale), pixmap))
        return QString();

    // The picture reads the pixmap's samples in place; only a cut-out is copied.
    fz_pixmap* pix = pixmap.get();
    const QImage picture(fz_pixmap_samples(ctx(), pix), fz_pixmap_width(ctx(), pix),
                         fz_pixmap_height(ctx(), pix), fz_pixmap_stride(ctx(), pix), QImage::Format_RGB32);
    const QRect cut = cutOut(area, pageSize(), picture.size());
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

// Draws the list into a new white pixmap of the page's size at ctm; the
// pixmap keeps what was drawn. Whether the page lost anything was told when
// it was read; drawing it only fails for want of memory. False only when
// there is no pixmap (no pixels at this zoom, more than the pixel cap, or
// no memory for them).
bool PDFGraber::renderState::drawPage(fz_display_list* list, fz_matrix ctm, pixmapOwner& pixmap)
{
    const fz_irect box = fz_round_rect(fz_transform_rect(pageBounds, ctm));
    if (fz_is_empty_irect(box) || !rendercap::fits(box))
        return false;
    fz_device* device = nullptr;
    bool failed = false;
    fz_var(device);
    fz_var(failed);
    fz_try(ctx())
    {
        pixmap.reset(fz_new_pixmap_with_bbox(ctx(), fz_device_bgr(ctx()), box, nullptr, 1));
        fz_clear_pixmap_with_value(ctx(), pixmap.get(), 255);
        device = fz_new_draw_device(ctx(), fz_identity, pixmap.get());
        fz_run_display_list(ctx(), list, device, ctm, fz_infinite_rect, nullptr);
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
    if (damage.isEmpty() && failed)
        damage = QStringLiteral("the page could not be drawn");
    return static_cast<bool>(pixmap);
}

// One entry for a damaged page or one that cannot be loaded, with MuPDF's
// message.
void PDFGraber::renderState::reportDamage(int number) const
{
    writeLogSite(kSource, 240, "PDFGraber::grabImage");
    writeLogLine("cannot draw page %d in '%s': %s", number, title.toUtf8().constData(), damage.toUtf8().constData());
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
    if (QFile::encodeName(path).size() > kPathLimit)
        return false;
    // The password field holds 127 bytes; a longer password cut to fit
    // would be another password, so it is refused.
    char secret[128];
    if (!ns_epub::setFieldText(secret, password)) {
        writeLogSite(kSource, __LINE__, "PDFGraber::open");
        writeLogLine("password longer than %d bytes", static_cast<int>(sizeof secret - 1));
        return false;
    }
    // Opened once and read only through that opening: a named pipe in the
    // PDF's place would hold the worker, or the dialog, for good.
    const conversion::documentSource source(path);
    if (!source.file()) {
        std::memset(secret, 0, sizeof secret);
        writeLogSite(kSource, __LINE__, "PDFGraber::open");
        writeLogLine("cannot open %s: %s", path.toUtf8().constData(), source.refusal().toUtf8().constData());
        return false;
    }
    const bool opened = s.openDocument(source, secret);
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
    s.requestedSize = QSize();
    s.damage.clear();
    if (!s.document || page < 1 || page > s.pageCount || zoom <= 0)
        return QString();
    s.resolution = resolutionOf(zoom);
    if (s.resolution < 1)
        return QString();
    displayListOwner list(s.ctx());
    if (!s.readPage(page, list)) {
        s.reportDamage(page);
        return QString();
    }
    const QString picture = s.drawPicture(page, list.get(), area);
    if (!s.damage.isEmpty())
        s.reportDamage(page);
    return picture;
}

void PDFGraber::close()
{
    renderState& s = *m_state;
    s.pageBounds = fz_empty_rect;
    s.document.reset();
    s.lostContent.forget();
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

QString PDFGraber::damage() const
{
    return m_state->damage;
}

QSize PDFGraber::pictureSize(int zoom, const QRect* area) const
{
    const renderState& s = *m_state;
    const int resolution = resolutionOf(zoom);
    if (fz_is_empty_rect(s.pageBounds) || resolution < 1)
        return QSize();
    const float scale = rendercap::cappedScale(s.pageBounds, static_cast<float>(resolution) / 72.0f);
    if (scale <= 0)
        return QSize();
    const QSize picture = sizeOf(rendercap::pixmapBox(s.pageBounds, scale));
    return cutOut(area, s.pageSize(), picture).size();
}
