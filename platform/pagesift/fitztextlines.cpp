#include "fitztextlines.h"

#include <cmath>
#include <new>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {
namespace {

// Gaps in multiples of the font size.
constexpr float kSpaceGap = 0.15f;      // wider: a space between the glyphs
constexpr float kBaselineShift = 0.3f;  // farther off the pen's baseline or behind it: a new line

struct textLineDevice {
    fz_device super;
    std::vector<std::u32string>* lines;
    fz_point pen;    // where the last glyph ended, in page space
    bool failed;     // out of memory: the lines stop growing
};

void addGlyph(fz_context* ctx, textLineDevice& device, const fz_text_span& span, const fz_text_item& item,
              fz_matrix ctm)
{
    std::vector<std::u32string>& lines = *device.lines;
    if (item.gid >= 0) {
        const fz_matrix glyph = fz_concat(fz_make_matrix(span.trm.a, span.trm.b, span.trm.c, span.trm.d, 0, 0), ctm);
        const fz_point origin = fz_transform_point_xy(item.x, item.y, ctm);
        const float size = fz_matrix_expansion(glyph);
        const float advance = fz_advance_glyph(ctx, span.font, item.gid, span.wmode);
        const fz_point step = fz_transform_vector(fz_make_point(advance, 0), glyph);
        const float along = (origin.x - device.pen.x) * step.x + (origin.y - device.pen.y) * step.y;
        const float across = (origin.y - device.pen.y) * step.x - (origin.x - device.pen.x) * step.y;
        const float length = std::max(std::hypot(step.x, step.y), 1e-3f);
        if (lines.empty() || std::fabs(across / length) > kBaselineShift * size
            || along / length < -kBaselineShift * size)
            lines.emplace_back();
        else if (along / length > kSpaceGap * size && !lines.back().empty() && lines.back().back() != U' ')
            lines.back() += U' ';
        device.pen = fz_make_point(origin.x + step.x, origin.y + step.y);
    }
    if (item.ucs > 0 && !lines.empty())
        lines.back() += static_cast<char32_t>(item.ucs);
}

void addText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm)
{
    auto& device = *reinterpret_cast<textLineDevice*>(dev);
    if (device.failed)
        return;
    try {
        for (const fz_text_span* span = text->head; span; span = span->next)
            for (int i = 0; i < span->len; ++i)
                addGlyph(ctx, device, *span, span->items[i], ctm);
    } catch (const std::bad_alloc&) {
        device.failed = true;
    }
}

void fillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace*, const float*,
              float, fz_color_params)
{
    addText(ctx, dev, text, ctm);
}

void strokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state*, fz_matrix ctm,
                fz_colorspace*, const float*, float, fz_color_params)
{
    addText(ctx, dev, text, ctm);
}

void clipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect)
{
    addText(ctx, dev, text, ctm);
}

void clipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state*, fz_matrix ctm,
                    fz_rect)
{
    addText(ctx, dev, text, ctm);
}

} // namespace

bool readPdfTextLines(fz_context* ctx, pdf_document* doc, int index, std::vector<std::u32string>& lines,
                      fz_cookie* cookie)
{
    pdf_obj* page = pdf_lookup_page_obj(ctx, doc, index);
    fz_matrix ctm;
    pdf_page_obj_transform(ctx, page, nullptr, &ctm);
    pdf_obj* resources = pdf_dict_get_inheritable(ctx, page, PDF_NAME(Resources));
    pdf_obj* contents = pdf_dict_get(ctx, page, PDF_NAME(Contents));
    textLineDevice* device = nullptr;
    pdf_processor* processor = nullptr;
    bool ok = true;
    bool failed = false;
    fz_var(device);
    fz_var(processor);
    fz_var(failed);
    fz_try(ctx)
    {
        device = fz_new_derived_device(ctx, textLineDevice);
        device->lines = &lines;
        device->super.fill_text = fillText;
        device->super.stroke_text = strokeText;
        device->super.clip_text = clipText;
        device->super.clip_stroke_text = clipStrokeText;
        device->super.ignore_text = addText;
        processor = pdf_new_run_processor(ctx, &device->super, ctm, "View", nullptr, nullptr, cookie);
        pdf_process_contents(ctx, processor, doc, resources, contents, cookie);
        pdf_close_processor(ctx, processor);
        fz_close_device(ctx, &device->super);
    }
    fz_always(ctx)
    {
        pdf_drop_processor(ctx, processor);
        if (device) {
            failed = device->failed;
            fz_drop_device(ctx, &device->super);
        }
    }
    fz_catch(ctx)
    {
        ok = false;
    }
    return ok && !failed && !(cookie && cookie->abort);
}

} // namespace conversion
