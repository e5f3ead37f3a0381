#include "fitzdocument.h"

#include "documentsource.h"
#include "fitzpicture.h"
#include "fitztextlines.h"
#include "pagecontent.h"
#include "pagereading.h"

#include <unordered_map>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace conversion {
namespace {

// Pictures narrower or lower than this on the page (in points) are rules and
// specks, not pictures a reader wants.
constexpr float kSmallestPicture = 2.0f;

bool isTextLine(const fz_stext_line* line)
{
    return line->first_char != nullptr;
}

void copyLine(fz_context* ctx, const fz_stext_line* source, pageContent& out,
              std::unordered_map<fz_font*, int>& fontIndex, int& storedGlyphs)
{
    glyphLine line;
    line.dirX = source->dir.x;
    line.dirY = source->dir.y;
    line.vertical = source->wmode != 0;
    line.x0 = source->bbox.x0;
    line.y0 = source->bbox.y0;
    line.x1 = source->bbox.x1;
    line.y1 = source->bbox.y1;
    for (const fz_stext_char* ch = source->first_char; ch; ch = ch->next) {
        glyph g;
        g.c = static_cast<char32_t>(ch->c);
        const fz_rect box = fz_rect_from_quad(ch->quad);
        g.x0 = box.x0;
        g.x1 = box.x1;
        g.top = box.y0;
        g.bottom = box.y1;
        g.originX = ch->origin.x;
        g.originY = ch->origin.y;
        g.size = ch->size;
        g.color = static_cast<std::uint32_t>(ch->color) & 0xFFFFFFu;
        auto found = fontIndex.find(ch->font);
        if (found == fontIndex.end()) {
            fontFace face;
            if (ch->font) {
                face.name = fz_font_name(ctx, ch->font);
                face.bold = fz_font_is_bold(ctx, ch->font) != 0;
                face.italic = fz_font_is_italic(ctx, ch->font) != 0;
            }
            found = fontIndex.emplace(ch->font, static_cast<int>(out.fonts.size())).first;
            out.fonts.push_back(face);
        }
        g.font = found->second;
        g.stored = storedGlyphs++;
        line.glyphs.push_back(g);
    }
    out.lines.push_back(std::move(line));
}

void copyPicture(fz_context* ctx, const fz_stext_block* block, const fz_rect& page, pageContent& out,
                 std::unordered_map<fz_image*, bool>& seen)
{
    const fz_rect box = fz_intersect_rect(block->bbox, page);
    if (fz_is_empty_rect(box) || box.x1 - box.x0 < kSmallestPicture || box.y1 - box.y0 < kSmallestPicture)
        return;
    // A picture drawn several times on one page (a bullet, a logo) is kept once.
    if (!seen.emplace(block->u.i.image, true).second)
        return;
    pagePicture picture;
    picture.x0 = box.x0;
    picture.y0 = box.y0;
    picture.x1 = box.x1;
    picture.y1 = box.y1;
    if (preparePicture(ctx, block->u.i.image, picture))
        out.pictures.push_back(std::move(picture));
}

// The page's text lines and pictures, as MuPDF runs the page.
class textTarget : public pageTarget {
public:
    fz_device* open(fz_context* ctx, fz_rect bounds) override
    {
        fz_stext_options options = {};
        // Ligatures come apart into letters and odd spaces become plain
        // ones, so the reader gets searchable text; pictures are kept;
        // glyphs placed outside the page cannot be seen and are dropped.
        options.flags = FZ_STEXT_PRESERVE_IMAGES | FZ_STEXT_MEDIABOX_CLIP;
        text = fz_new_stext_page(ctx, bounds);
        return fz_new_stext_device(ctx, text, &options);
    }
    void discard(fz_context* ctx) override
    {
        fz_drop_stext_page(ctx, text);
        text = nullptr;
    }

    fz_stext_page* text = nullptr;
};

} // namespace

fitzDocument::fitzDocument(finishedPages releases)
    : m_finishedPages(releases)
{
}

fitzDocument::~fitzDocument()
{
    close();
}

bool fitzDocument::hasContext() const
{
    return m_ctx != nullptr;
}

void fitzDocument::close()
{
    if (m_ctx)
        fz_drop_document(m_ctx, m_doc);
    m_doc = nullptr;
    m_lostContent.forget();
}

bool fitzDocument::open(const documentSource& source, QString* error)
{
    close();
    if (!source.file()) {
        if (error)
            *error = source.refusal();
        return false;
    }
    if (!m_ctx) {
        if (error)
            *error = QStringLiteral("MuPDF could not start (out of memory)");
        return false;
    }
    fz_document* doc = nullptr;
    char message[256] = {};
    fz_var(doc);
    fz_try(m_ctx)
    {
        doc = source.open(m_ctx);
        // A document whose page tree cannot be read is of no use; finding
        // out now keeps that from looking like a document without pages.
        if (!fz_needs_password(m_ctx, doc))
            fz_count_pages(m_ctx, doc);
    }
    fz_catch(m_ctx)
    {
        fz_strlcpy(message, fz_caught_message(m_ctx), sizeof message);
        fz_drop_document(m_ctx, doc);
        doc = nullptr;
    }
    m_doc = doc;
    if (!m_doc) {
        if (error)
            *error = QString::fromUtf8(message);
        return false;
    }
    return true;
}

bool fitzDocument::isOpen() const
{
    return m_doc != nullptr;
}

bool fitzDocument::needsPassword() const
{
    if (!m_doc)
        return false;
    int needs = 0;
    fz_var(needs);
    fz_try(m_ctx)
    {
        needs = fz_needs_password(m_ctx, m_doc);
    }
    fz_catch(m_ctx)
    {
        needs = 1;
    }
    return needs != 0;
}

bool fitzDocument::authenticate(const QByteArray& password)
{
    if (!m_doc)
        return false;
    int accepted = 0;
    fz_var(accepted);
    fz_try(m_ctx)
    {
        accepted = fz_authenticate_password(m_ctx, m_doc, password.constData());
    }
    fz_catch(m_ctx)
    {
        accepted = 0;
    }
    return accepted != 0;
}

int fitzDocument::pageCount() const
{
    if (!m_doc)
        return -1;
    int count = -1;
    fz_var(count);
    fz_try(m_ctx)
    {
        count = fz_count_pages(m_ctx, m_doc);
    }
    fz_catch(m_ctx)
    {
        count = -1;
    }
    return count;
}

bool fitzDocument::readPage(int index, pageContent& out, QString* error, QString* damage)
{
    out = pageContent();
    if (damage)
        damage->clear();
    if (!m_doc) {
        if (error)
            *error = QStringLiteral("no document is open");
        return false;
    }
    textTarget target;
    const pageReading reading =
        conversion::readPage(m_ctx, m_doc, index, pageParts::contentsOnly, target, m_lostContent);
    if (!reading.loaded) {
        if (error)
            *error = reading.error;
        return false;
    }
    const fz_stext_page* text = target.text;
    out.width = text->mediabox.x1 - text->mediabox.x0;
    out.height = text->mediabox.y1 - text->mediabox.y0;
    std::unordered_map<fz_font*, int> fontIndex;
    std::unordered_map<fz_image*, bool> seenImages;
    int storedGlyphs = 0;
    for (const fz_stext_block* block = text->first_block; block; block = block->next) {
        if (block->type == FZ_STEXT_BLOCK_TEXT) {
            for (const fz_stext_line* line = block->u.t.first_line; line; line = line->next) {
                if (isTextLine(line))
                    copyLine(m_ctx, line, out, fontIndex, storedGlyphs);
            }
        } else if (block->type == FZ_STEXT_BLOCK_IMAGE) {
            copyPicture(m_ctx, block, text->mediabox, out, seenImages);
        }
    }
    target.discard(m_ctx);
    if (damage)
        *damage = reading.damage;
    m_finishedPages.pageDone(m_context, m_doc);
    return true;
}

bool fitzDocument::readText(int index, std::vector<std::u32string>& lines, fz_cookie* cookie)
{
    lines.clear();
    // Always a PDF: the document source opens every file with MuPDF's PDF reader.
    pdf_document* pdf = m_doc ? pdf_document_from_fz_document(m_ctx, m_doc) : nullptr;
    if (!pdf)
        return false;
    bool read = false;
    fz_var(read);
    fz_try(m_ctx)
    {
        read = readPdfTextLines(m_ctx, pdf, index, lines, cookie);
    }
    fz_catch(m_ctx)
    {
        read = false;
    }
    fz_flush_warnings(m_ctx);
    m_finishedPages.pageDone(m_context, m_doc);
    return read;
}

} // namespace conversion
