#include "lostcontent.h"

#include "contentuse.h"
#include "fitzlistener.h"

#include <cstring>
#include <set>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace conversion {
namespace {

// Forms and patterns drawn inside one another are followed this deep;
// deeper ones are taken as whole.
constexpr int kDeepestForm = 32;

// Entries that are never drawn, and lead away from what a resource is made
// of (to the page tree, annotations, the structure tree).
// (A stream's Length is not followed either: where its data ends is checked
// on the data.)
bool isNeverDrawn(fz_context* ctx, pdf_obj* key)
{
    static const char* const kKeys[] = {"Parent", "P",   "Metadata",   "PieceInfo",    "Annots",        "AA",
                                        "Thumb",  "OPI", "Alternates", "StructParent", "StructParents", "Length"};
    const char* name = pdf_to_name(ctx, key);
    for (const char* skipped : kKeys)
        if (std::strcmp(name, skipped) == 0)
            return true;
    return false;
}

// Pages, the page tree, the catalogue and annotations are never part of a
// resource, whatever refers to them.
bool isPartOfDocument(fz_context* ctx, pdf_obj* dict)
{
    pdf_obj* type = pdf_dict_get(ctx, dict, PDF_NAME(Type));
    return pdf_name_eq(ctx, type, PDF_NAME(Page)) || pdf_name_eq(ctx, type, PDF_NAME(Pages))
        || pdf_name_eq(ctx, type, PDF_NAME(Catalog)) || pdf_name_eq(ctx, type, PDF_NAME(Annot));
}

// A form XObject or a tiling pattern: content of its own, drawn with
// resources of its own or those of the content that draws it.
bool holdsContent(fz_context* ctx, pdf_obj* obj)
{
    return pdf_is_stream(ctx, obj)
        && (pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Subtype)), PDF_NAME(Form))
            || pdf_dict_get_int(ctx, obj, PDF_NAME(PatternType)) == 1);
}

// A font that may carry a program of its own and that MuPDF loads as a
// whole: not a Type 3 font, nor the descendant of a Type 0 font.
bool isWholeFont(fz_context* ctx, pdf_obj* obj)
{
    pdf_obj* subtype = pdf_dict_get(ctx, obj, PDF_NAME(Subtype));
    return pdf_name_eq(ctx, subtype, PDF_NAME(Type1)) || pdf_name_eq(ctx, subtype, PDF_NAME(MMType1))
        || pdf_name_eq(ctx, subtype, PDF_NAME(TrueType)) || pdf_name_eq(ctx, subtype, PDF_NAME(Type0));
}

const resourceKind kKinds[] = {resourceKind::font,          resourceKind::xobject,    resourceKind::shading,
                               resourceKind::graphicsState, resourceKind::colorSpace, resourceKind::pattern};

pdf_obj* categoryOf(resourceKind kind)
{
    switch (kind) {
    case resourceKind::font:
        return PDF_NAME(Font);
    case resourceKind::xobject:
        return PDF_NAME(XObject);
    case resourceKind::shading:
        return PDF_NAME(Shading);
    case resourceKind::graphicsState:
        return PDF_NAME(ExtGState);
    case resourceKind::colorSpace:
        return PDF_NAME(ColorSpace);
    case resourceKind::pattern:
        return PDF_NAME(Pattern);
    }
    return nullptr;
}

// What the content draws as a whole: when the resources lack it, MuPDF
// says so and draws nothing in its place. A font they lack is drawn with
// MuPDF's own (the text is all there); a graphics state, colour space or
// pattern they lack only changes how things look.
bool drawnWhole(resourceKind kind)
{
    return kind == resourceKind::xobject || kind == resourceKind::shading;
}

// Decoding these costs as much as drawing the picture; their data is only
// checked to be all there.
bool isPictureCoding(int type)
{
    return type == FZ_IMAGE_JPEG || type == FZ_IMAGE_JPX || type == FZ_IMAGE_JBIG2 || type == FZ_IMAGE_FAX
        || type == FZ_IMAGE_JXR;
}

struct streamReading {
    bool threw = false;
    bool cut = false;  // the data runs into the end of the file
    char message[256] = {};
};

// The stream's data as stored (decrypted), noting whether it runs into the
// end of the file; null (message set) when MuPDF cannot read it.
fz_buffer* loadData(fz_context* ctx, pdf_document* pdf, pdf_obj* ref, streamReading& out)
{
    fz_buffer* raw = nullptr;
    fz_var(raw);
    fz_try(ctx)
    {
        raw = pdf_load_raw_stream(ctx, ref);
        const pdf_xref_entry* entry = pdf_get_xref_entry(ctx, pdf, pdf_to_num(ctx, ref));
        if (entry && entry->stm_ofs > 0 && !entry->stm_buf && pdf->file_size > 0) {
            const int64_t end = entry->stm_ofs + static_cast<int64_t>(fz_buffer_storage(ctx, raw, nullptr));
            out.cut = end + static_cast<int64_t>(std::strlen("endstream")) > pdf->file_size;
        }
    }
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, raw);
        raw = nullptr;
        out.threw = true;
        fz_strlcpy(out.message, fz_caught_message(ctx), sizeof out.message);
    }
    return raw;
}

// Decodes the data to its end, giving the decoded bytes to names when there
// are any; pictures in their own coding are left as they are.
void decodeData(fz_context* ctx, pdf_document* pdf, pdf_obj* ref, fz_buffer* raw, contentUse* names,
                streamReading& out)
{
    fz_stream* chain = nullptr;
    fz_stream* filtered = nullptr;
    fz_stream* decoded = nullptr;
    fz_var(chain);
    fz_var(filtered);
    fz_var(decoded);
    fz_try(ctx)
    {
        fz_compression_params params;
        std::memset(&params, 0, sizeof params);
        params.type = FZ_IMAGE_RAW;
        chain = fz_open_buffer(ctx, raw);
        filtered = pdf_open_inline_stream(ctx, pdf, ref, static_cast<int>(fz_buffer_storage(ctx, raw, nullptr)),
                                          chain, &params);
        if (!isPictureCoding(params.type)) {
            decoded = fz_open_image_decomp_stream(ctx, filtered, &params, nullptr);
            unsigned char block[16384];
            size_t got;
            while ((got = fz_read(ctx, decoded, block, sizeof block)) > 0)
                if (names)
                    names->feed(block, got);
        }
    }
    fz_always(ctx)
    {
        fz_drop_stream(ctx, decoded);
        fz_drop_stream(ctx, filtered);
        fz_drop_stream(ctx, chain);
    }
    fz_catch(ctx)
    {
        out.threw = true;
        fz_strlcpy(out.message, fz_caught_message(ctx), sizeof out.message);
    }
}

// Reads the stream's data and, when asked or when the data was cut,
// decodes it. What MuPDF says while it finds where the data ends ("PDF
// stream Length incorrect") is forgotten: whether the data was cut is told
// by where it ends. What it says while decoding stays with the listener.
void readStream(fz_context* ctx, pdf_document* pdf, pdf_obj* ref, contentUse* names, bool decode,
                fitzListener& listener, streamReading& out)
{
    fz_buffer* raw = loadData(ctx, pdf, ref, out);
    listener.clear();
    if (raw && (decode || out.cut))
        decodeData(ctx, pdf, ref, raw, names, out);
    fz_drop_buffer(ctx, raw);
}

bool loadsEmbedded(fz_context* ctx, pdf_document* pdf, pdf_obj* font)
{
    pdf_font_desc* desc = nullptr;
    bool embedded = false;
    fz_var(desc);
    fz_var(embedded);
    fz_try(ctx)
    {
        desc = pdf_load_font(ctx, pdf, nullptr, font);
        embedded = desc->is_embedded != 0;
    }
    fz_always(ctx)
    {
        pdf_drop_font(ctx, desc);
    }
    fz_catch(ctx)
    {
        embedded = false;
    }
    return embedded;
}

} // namespace

QString lostContent::find(fz_context* ctx, fz_document* doc, fz_page* page, const contentRun& run)
{
    // 1 and 2: what running the content told.
    if (run.threw || run.skipped)
        return run.message;
    pdf_document* pdf = pdf_document_from_fz_document(ctx, doc);
    pdf_page* pdfPage = pdf_page_from_fz_page(ctx, page);
    if (!pdf || !pdfPage)
        return QString();
    // What was learnt before a repair may name objects the repair found.
    const bool repaired = pdf_was_repaired(ctx, pdf) != 0;
    if (repaired != m_repaired)
        forget();
    m_repaired = repaired;
    fitzListener listener(ctx);
    m_ctx = ctx;
    m_pdf = pdf;
    m_listener = &listener;
    // 3 to 5: the page's own dictionary, its content and what it names.
    QString lost = missing(pdfPage->obj);
    if (lost.isEmpty())
        lost = checkPage(pdf_page_contents(ctx, pdfPage), pdf_page_resources(ctx, pdfPage), run.quiet);
    m_listener = nullptr;
    return lost;
}

void lostContent::forget()
{
    m_trees.clear();
    m_forms.clear();
    m_streams.clear();
    m_formsEntered.clear();
}

// The page's content streams (3), then the resources its content names (4,
// 5). The content is decoded and its names read only when a resource the
// page lists is lost, or when MuPDF said anything while it ran the content:
// run quietly, the content decoded whole and named no XObject or shading
// the resources lack (MuPDF always says so), and when nothing the page
// lists is lost, nothing it names is.
QString lostContent::checkPage(pdf_obj* contents, pdf_obj* resources, bool quiet)
{
    QString lost = streamsThere(contents);
    if (lost.isEmpty())
        lost = missing(resources);
    if (!lost.isEmpty())
        return lost;
    const bool listedWhole = listedLost(resources, 0).isEmpty();
    if (quiet && listedWhole)
        return QString();
    contentUse names;
    lost = readContents(contents, names, true);
    if (!lost.isEmpty())
        return lost;
    names.finish();
    for (const auto& use : names.uses()) {
        lost = judgeUse(use.first, use.second, resources, true);
        if (!lost.isEmpty())
            return lost;
    }
    return listedWhole ? QString() : drawnWithPage(names, resources);
}

// What the forms and patterns the page draws without resources of their
// own name of the page's resources (the page's content may name none of
// it), and so on for those they draw.
QString lostContent::drawnWithPage(const contentUse& names, pdf_obj* resources)
{
    std::set<std::pair<resourceKind, std::string>> judged = names.uses();
    std::vector<std::pair<resourceKind, std::string>> pending(judged.begin(), judged.end());
    std::unordered_set<int> read;
    while (!pending.empty()) {
        const auto use = pending.back();
        pending.pop_back();
        pdf_obj* value = pdf_dict_gets(m_ctx, pdf_dict_get(m_ctx, resources, categoryOf(use.first)),
                                       use.second.c_str());
        if (!holdsContent(m_ctx, value) || pdf_dict_get(m_ctx, value, PDF_NAME(Resources))
            || !read.insert(pdf_to_num(m_ctx, value)).second)
            continue;
        contentUse drawn;
        readContents(value, drawn, false);
        drawn.finish();
        for (const auto& more : drawn.uses()) {
            if (!judged.insert(more).second)
                continue;
            const QString lost = judgeUse(more.first, more.second, resources, false);
            if (!lost.isEmpty())
                return lost;
            pending.push_back(more);
        }
    }
    return QString();
}

// The first resource the dictionary lists that is lost, or its category.
QString lostContent::listedLost(pdf_obj* resources, int depth)
{
    for (const resourceKind kind : kKinds) {
        pdf_obj* category = pdf_dict_get(m_ctx, resources, categoryOf(kind));
        QString lost = missing(category);
        for (int i = 0; lost.isEmpty() && i < pdf_dict_len(m_ctx, category); ++i)
            lost = judgeResource(pdf_dict_get_val(m_ctx, category, i), depth);
        if (!lost.isEmpty())
            return lost;
    }
    return QString();
}

// absentCounts: whether an XObject or shading the resources lack counts;
// MuPDF says so when the page's own content names one.
QString lostContent::judgeUse(resourceKind kind, const std::string& name, pdf_obj* resources, bool absentCounts)
{
    pdf_obj* category = pdf_dict_get(m_ctx, resources, categoryOf(kind));
    QString lost = missing(category);
    if (!lost.isEmpty())
        return lost;
    pdf_obj* value = pdf_dict_gets(m_ctx, category, name.c_str());
    if (value)
        return judgeResource(value, 0);
    if (!absentCounts || !drawnWhole(kind))
        return QString();
    return QStringLiteral("cannot find %1 resource '%2'")
        .arg(QString::fromUtf8(pdf_to_name(m_ctx, categoryOf(kind))), QString::fromStdString(name));
}

// Forms and tiling patterns by their content's streams and what they list,
// anything else by all it refers to.
QString lostContent::judgeResource(pdf_obj* value, int depth)
{
    if (holdsContent(m_ctx, value))
        return checkForm(value, depth + 1);
    return checkTree(value, depth);
}

// Each content stream there, a stream, and not cut off by the end of the
// file; its data is not decoded.
QString lostContent::streamsThere(pdf_obj* contents)
{
    const bool several = pdf_is_array(m_ctx, contents);
    const int count = several ? pdf_array_len(m_ctx, contents) : (contents ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        pdf_obj* stream = several ? pdf_array_get(m_ctx, contents, i) : contents;
        if (!pdf_is_stream(m_ctx, stream)) {
            const QString lost = missing(stream);
            return lost.isEmpty() ? QStringLiteral("a content stream is not a stream") : lost;
        }
        streamReading reading;
        readStream(m_ctx, m_pdf, stream, nullptr, false, *m_listener, reading);
        if (reading.threw)
            return QString::fromUtf8(reading.message);
        if (reading.cut && !m_listener->heard().isEmpty())
            return m_listener->heard();
        if (reading.cut)
            return QStringLiteral("content stream %1 0 R is cut off at the end of the file")
                .arg(pdf_to_num(m_ctx, stream));
    }
    return QString();
}

// A page's content may be one stream or an array of them, read as one.
// complaints: whether what MuPDF says while decoding counts.
QString lostContent::readContents(pdf_obj* contents, contentUse& names, bool complaints)
{
    const bool several = pdf_is_array(m_ctx, contents);
    const int count = several ? pdf_array_len(m_ctx, contents) : (contents ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        streamReading reading;
        readStream(m_ctx, m_pdf, several ? pdf_array_get(m_ctx, contents, i) : contents, &names, true,
                   *m_listener, reading);
        if (complaints && reading.threw)
            return QString::fromUtf8(reading.message);
        if (complaints && !m_listener->heard().isEmpty())
            return m_listener->heard();
        names.feed(reinterpret_cast<const unsigned char*>("\n"), 1);
    }
    return QString();
}

// A form's or tiling pattern's content is there whole and so is every
// resource it lists; its content is decoded only by MuPDF as it draws it
// (what goes wrong there counts when MuPDF gives up on it). One without
// resources of its own draws with the page's, which the page judges.
QString lostContent::checkForm(pdf_obj* form, int depth)
{
    const int number = pdf_to_num(m_ctx, form);
    auto known = m_forms.find(number);
    if (known != m_forms.end())
        return known->second;
    if (depth > kDeepestForm || !m_formsEntered.insert(number).second)
        return QString();
    QString lost = streamsThere(form);
    pdf_obj* own = pdf_dict_get(m_ctx, form, PDF_NAME(Resources));
    if (lost.isEmpty())
        lost = missing(own);
    if (lost.isEmpty() && own)
        lost = listedLost(own, depth);
    m_formsEntered.erase(number);
    m_forms.emplace(number, lost);
    return lost;
}

QString lostContent::checkTree(pdf_obj* root, int depth)
{
    const int number = pdf_is_indirect(m_ctx, root) ? pdf_to_num(m_ctx, root) : 0;
    auto known = m_trees.find(number);
    if (number > 0 && known != m_trees.end())
        return known->second;
    const QString lost = walk(root, depth);
    if (number > 0)
        m_trees.emplace(number, lost);
    return lost;
}

// Everything the resource refers to, each object once; then the programs of
// the fonts among them.
QString lostContent::walk(pdf_obj* root, int depth)
{
    std::vector<pdf_obj*> pending{root};
    std::unordered_set<int> seen;
    std::vector<pdf_obj*> fonts;
    while (!pending.empty()) {
        pdf_obj* obj = pending.back();
        pending.pop_back();
        if (pdf_is_indirect(m_ctx, obj)) {
            if (!seen.insert(pdf_to_num(m_ctx, obj)).second)
                continue;
            QString lost = missing(obj);
            if (lost.isEmpty() && holdsContent(m_ctx, obj)) {
                lost = checkForm(obj, depth + 1);
                if (lost.isEmpty())
                    continue;
            }
            if (lost.isEmpty() && pdf_is_stream(m_ctx, obj))
                lost = checkStream(obj);
            if (!lost.isEmpty())
                return lost;
        }
        if (pdf_is_dict(m_ctx, obj)) {
            if (isPartOfDocument(m_ctx, obj))
                continue;
            if (pdf_is_indirect(m_ctx, obj) && isWholeFont(m_ctx, obj))
                fonts.push_back(obj);
            for (int i = pdf_dict_len(m_ctx, obj) - 1; i >= 0; --i)
                if (!isNeverDrawn(m_ctx, pdf_dict_get_key(m_ctx, obj, i)))
                    pending.push_back(pdf_dict_get_val(m_ctx, obj, i));
        } else if (pdf_is_array(m_ctx, obj)) {
            for (int i = pdf_array_len(m_ctx, obj) - 1; i >= 0; --i)
                pending.push_back(pdf_array_get(m_ctx, obj, i));
        }
    }
    for (pdf_obj* font : fonts) {
        const QString lost = checkFontProgram(font);
        if (!lost.isEmpty())
            return lost;
    }
    return QString();
}

QString lostContent::checkStream(pdf_obj* ref)
{
    const int number = pdf_to_num(m_ctx, ref);
    auto known = m_streams.find(number);
    if (known != m_streams.end())
        return known->second;
    streamReading reading;
    readStream(m_ctx, m_pdf, ref, nullptr, true, *m_listener, reading);
    QString lost;
    if (reading.threw)
        lost = QString::fromUtf8(reading.message);
    else if (!m_listener->heard().isEmpty())
        lost = m_listener->heard();
    else if (reading.cut)
        lost = QStringLiteral("stream %1 0 R is cut off at the end of the file").arg(number);
    m_streams.emplace(number, lost);
    return lost;
}

// A font whose descriptor names a program of its own that MuPDF could not
// use: it draws the text with a stand-in font.
QString lostContent::checkFontProgram(pdf_obj* font)
{
    pdf_obj* described = font;
    if (pdf_name_eq(m_ctx, pdf_dict_get(m_ctx, font, PDF_NAME(Subtype)), PDF_NAME(Type0)))
        described = pdf_array_get(m_ctx, pdf_dict_get(m_ctx, font, PDF_NAME(DescendantFonts)), 0);
    pdf_obj* descriptor = pdf_dict_get(m_ctx, described, PDF_NAME(FontDescriptor));
    if (!pdf_dict_get(m_ctx, descriptor, PDF_NAME(FontFile)) && !pdf_dict_get(m_ctx, descriptor, PDF_NAME(FontFile2))
        && !pdf_dict_get(m_ctx, descriptor, PDF_NAME(FontFile3)))
        return QString();
    if (loadsEmbedded(m_ctx, m_pdf, font))
        return QString();
    return QStringLiteral("the embedded font %1 cannot be used")
        .arg(QString::fromUtf8(pdf_to_name(m_ctx, pdf_dict_get(m_ctx, font, PDF_NAME(BaseFont)))));
}

// MuPDF's words when the object is lost; empty when it is there. In a file
// that needed no repair, a reference to an object the file does not define
// stands for null, as the format has it: the file was made so, and nothing
// was lost.
QString lostContent::missing(pdf_obj* ref)
{
    if (!pdf_is_indirect(m_ctx, ref))
        return QString();
    m_listener->clear();
    pdf_obj* found = pdf_resolve_indirect(m_ctx, ref);
    if ((found && !pdf_is_null(m_ctx, found)) || !m_repaired)
        return QString();
    const QString heard = m_listener->heard();
    return heard.isEmpty() ? QStringLiteral("object %1 0 R is missing").arg(pdf_to_num(m_ctx, ref)) : heard;
}

} // namespace conversion
