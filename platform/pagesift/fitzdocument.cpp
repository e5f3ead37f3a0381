#include "fitzdocument.h"

#include "fitzpicture.h"
#include "fitztextlines.h"
#include "pagecontent.h"

#include <QFile>

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
    if (encodePicture(ctx, block->u.i.image, picture.bytes, picture.suffix))
        out.pictures.push_back(std::move(picture));
}

void recordError(void* user, const char* message)
{
    fitzMessages& messages = *static_cast<fitzMessages*>(user);
    if (messages.listening && messages.firstError.empty())
        messages.firstError = message;
}

void recordWarning(void* user, const char* message)
{
    fitzMessages& messages = *static_cast<fitzMessages*>(user);
    if (messages.listening)
        messages.lastWarning = message;
}

// Loads the page and runs its content into a new text page: null when the
// page cannot be loaded or run at all. Errors MuPDF caught on its own,
// content errors and a content stream that is missing leave *damage with
// its message.
fz_stext_page* runPage(fz_context* ctx, fz_document* doc, fitzMessages& messages, int index, QString* error,
                       QString* damage)
{
    fz_page* page = nullptr;
    fz_stext_page* text = nullptr;
    fz_device* device = nullptr;
    fz_cookie cookie = {};
    bool lost = false;
    char message[256] = {};
    fz_stext_options options = {};
    // Ligatures come apart into letters and odd spaces become plain ones, so
    // the reader gets searchable text; pictures are kept; glyphs placed
    // outside the page cannot be seen and are dropped.
    options.flags = FZ_STEXT_PRESERVE_IMAGES | FZ_STEXT_MEDIABOX_CLIP;
    fz_var(page);
    fz_var(text);
    fz_var(device);
    fz_var(lost);
    // A warning repeated from the page before would otherwise be swallowed.
    fz_flush_warnings(ctx);
    messages = fitzMessages();
    messages.listening = true;
    fz_try(ctx)
    {
        page = fz_load_page(ctx, doc, index);
        text = fz_new_stext_page(ctx, fz_bound_page(ctx, page));
        device = fz_new_stext_device(ctx, text, &options);
        fz_run_page_contents(ctx, page, device, fz_identity, &cookie);
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
        fz_drop_stext_page(ctx, text);
        text = nullptr;
    }
    messages.listening = false;
    fz_flush_warnings(ctx);
    if (!text) {
        if (error)
            *error = QString::fromUtf8(message);
        return nullptr;
    }
    if (damage && (!messages.firstError.empty() || cookie.errors > 0 || lost)) {
        const std::string& why = messages.firstError.empty() ? messages.lastWarning : messages.firstError;
        *damage = why.empty() ? QStringLiteral("the page's content could not be read") : QString::fromStdString(why);
    }
    return text;
}

} // namespace

fitzDocument::fitzDocument()
{
    m_ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!m_ctx)
        return;
    // MuPDF's messages go nowhere but to the page being read; its own
    // printing to the terminal would only repeat what the log says.
    fz_set_error_callback(m_ctx, recordError, &m_messages);
    fz_set_warning_callback(m_ctx, recordWarning, &m_messages);
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

fitzDocument::~fitzDocument()
{
    close();
    fz_drop_context(m_ctx);
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
}

bool fitzDocument::open(const QString& path, QString* error)
{
    close();
    if (!m_ctx) {
        if (error)
            *error = QStringLiteral("MuPDF could not start (out of memory)");
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    fz_document* doc = nullptr;
    char message[256] = {};
    fz_var(doc);
    fz_try(m_ctx)
    {
        doc = fz_open_document(m_ctx, native.constData());
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
    if (!m_doc && error)
        *error = QString::fromUtf8(message);
    return m_doc != nullptr;
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

bool fitzDocument::wasRepaired() const
{
    pdf_document* pdf = pdf_document_from_fz_document(m_ctx, m_doc);
    return pdf && pdf_was_repaired(m_ctx, pdf);
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
    const bool repairedBefore = wasRepaired();
    QString firstDamage;
    fz_stext_page* text = runPage(m_ctx, m_doc, m_messages, index, error, &firstDamage);
    // MuPDF repairs a broken cross-reference table where it meets it; the
    // page is then read again from the repaired table, and only what is
    // still wrong counts.
    if (!repairedBefore && wasRepaired()) {
        fz_drop_stext_page(m_ctx, text);
        text = runPage(m_ctx, m_doc, m_messages, index, error, damage);
    } else if (damage) {
        *damage = firstDamage;
    }
    if (!text)
        return false;

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
    fz_drop_stext_page(m_ctx, text);
    return true;
}

bool fitzDocument::readText(int index, std::vector<std::u32string>& lines)
{
    lines.clear();
    if (!m_doc)
        return false;
    fz_page* page = nullptr;
    fz_var(page);
    fz_try(m_ctx)
    {
        page = fz_load_page(m_ctx, m_doc, index);
    }
    fz_catch(m_ctx)
    {
        page = nullptr;
    }
    const bool read = page && readTextLines(m_ctx, page, lines);
    fz_drop_page(m_ctx, page);
    fz_flush_warnings(m_ctx);
    return read;
}

} // namespace conversion
