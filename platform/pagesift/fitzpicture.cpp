#include "fitzpicture.h"

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {
namespace {

bool isGreyOrRgb(fz_context* ctx, fz_colorspace* colorspace)
{
    return colorspace && (fz_colorspace_is_gray(ctx, colorspace) || fz_colorspace_is_rgb(ctx, colorspace));
}

// The JPEG data of the image when a reader would show it the way the PDF
// does: plain grey or RGB, no colour-transform override, no decode array or
// colour key changing the pixels.
fz_buffer* standaloneJpeg(fz_context* ctx, fz_image* image)
{
    fz_compressed_buffer* compressed = fz_compressed_image_buffer(ctx, image);
    if (!compressed || !compressed->buffer || compressed->params.type != FZ_IMAGE_JPEG)
        return nullptr;
    if (compressed->params.u.jpeg.color_transform != -1 || image->use_decode || image->use_colorkey
        || image->imagemask || image->orientation > 1 || !isGreyOrRgb(ctx, image->colorspace))
        return nullptr;
    return compressed->buffer;
}

// A stencil mask carries only coverage: ink where it is set, paper elsewhere.
fz_pixmap* greyFromMask(fz_context* ctx, fz_pixmap* mask)
{
    const int w = fz_pixmap_width(ctx, mask);
    const int h = fz_pixmap_height(ctx, mask);
    fz_pixmap* grey = fz_new_pixmap(ctx, fz_device_gray(ctx), w, h, nullptr, 0);
    const unsigned char* in = fz_pixmap_samples(ctx, mask);
    unsigned char* out = fz_pixmap_samples(ctx, grey);
    const int inStride = fz_pixmap_stride(ctx, mask);
    const int outStride = fz_pixmap_stride(ctx, grey);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[y * outStride + x] = static_cast<unsigned char>(255 - in[y * inStride + x]);
    return grey;
}

} // namespace

bool encodePicture(fz_context* ctx, fz_image* image, QByteArray& bytes, QString& suffix)
{
    fz_buffer* jpeg = standaloneJpeg(ctx, image);
    if (jpeg) {
        unsigned char* data = nullptr;
        const size_t length = fz_buffer_storage(ctx, jpeg, &data);
        bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
        suffix = QStringLiteral("jpg");
        return true;
    }

    fz_pixmap* pixmap = nullptr;
    fz_pixmap* converted = nullptr;
    fz_buffer* png = nullptr;
    fz_var(pixmap);
    fz_var(converted);
    fz_var(png);
    fz_try(ctx)
    {
        pixmap = fz_get_pixmap_from_image(ctx, image, nullptr, nullptr, nullptr, nullptr);
        fz_colorspace* colorspace = fz_pixmap_colorspace(ctx, pixmap);
        if (!colorspace)
            converted = greyFromMask(ctx, pixmap);
        else if (!isGreyOrRgb(ctx, colorspace) || fz_pixmap_spots(ctx, pixmap) != 0)
            converted = fz_convert_pixmap(ctx, pixmap, fz_device_rgb(ctx), nullptr, nullptr,
                                          fz_default_color_params, 1);
        png = fz_new_buffer_from_pixmap_as_png(ctx, converted ? converted : pixmap, fz_default_color_params);
    }
    fz_always(ctx)
    {
        fz_drop_pixmap(ctx, converted);
        fz_drop_pixmap(ctx, pixmap);
    }
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, png);
        png = nullptr;
    }
    if (!png)
        return false;
    unsigned char* data = nullptr;
    const size_t length = fz_buffer_storage(ctx, png, &data);
    bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
    suffix = QStringLiteral("png");
    fz_drop_buffer(ctx, png);
    return true;
}

} // namespace conversion
