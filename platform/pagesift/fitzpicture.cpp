#include "fitzpicture.h"

#include "pagecontent.h"

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

// Device grey and RGB are the same in every context, so their pixels make
// the same PNG wherever they are encoded.
bool isDeviceGreyOrRgb(fz_context* ctx, fz_colorspace* colorspace)
{
    return colorspace == fz_device_gray(ctx) || colorspace == fz_device_rgb(ctx);
}

picturePixels pixelsOf(fz_context* ctx, fz_pixmap* pixmap)
{
    picturePixels pixels;
    pixels.width = fz_pixmap_width(ctx, pixmap);
    pixels.height = fz_pixmap_height(ctx, pixmap);
    pixels.alpha = fz_pixmap_alpha(ctx, pixmap) != 0;
    pixels.grey = fz_pixmap_colorspace(ctx, pixmap) == fz_device_gray(ctx);
    pixels.stride = fz_pixmap_stride(ctx, pixmap);
    pixels.xres = pixmap->xres;
    pixels.yres = pixmap->yres;
    pixels.samples = QByteArray(reinterpret_cast<const char*>(fz_pixmap_samples(ctx, pixmap)),
                                static_cast<qsizetype>(pixels.stride) * pixels.height);
    return pixels;
}

QByteArray bufferBytes(fz_context* ctx, fz_buffer* buffer)
{
    unsigned char* data = nullptr;
    const size_t length = fz_buffer_storage(ctx, buffer, &data);
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
}

} // namespace

bool preparePicture(fz_context* ctx, fz_image* image, pagePicture& picture)
{
    fz_buffer* jpeg = standaloneJpeg(ctx, image);
    if (jpeg) {
        picture.bytes = bufferBytes(ctx, jpeg);
        picture.suffix = QStringLiteral("jpg");
        return true;
    }

    fz_pixmap* pixmap = nullptr;
    fz_pixmap* converted = nullptr;
    fz_pixmap* device = nullptr;
    fz_buffer* png = nullptr;
    fz_var(pixmap);
    fz_var(converted);
    fz_var(device);
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
        fz_pixmap* encoded = converted ? converted : pixmap;
        if (isDeviceGreyOrRgb(ctx, fz_pixmap_colorspace(ctx, encoded)))
            device = fz_keep_pixmap(ctx, encoded);
        else
            png = fz_new_buffer_from_pixmap_as_png(ctx, encoded, fz_default_color_params);
    }
    fz_always(ctx)
    {
        fz_drop_pixmap(ctx, converted);
        fz_drop_pixmap(ctx, pixmap);
    }
    fz_catch(ctx)
    {
        fz_drop_pixmap(ctx, device);
        device = nullptr;
        fz_drop_buffer(ctx, png);
        png = nullptr;
    }
    // Copied out of MuPDF's error handling, which C++ exceptions must not cross.
    if (device) {
        picture.pixels = pixelsOf(ctx, device);
        fz_drop_pixmap(ctx, device);
        return true;
    }
    if (!png)
        return false;
    picture.bytes = bufferBytes(ctx, png);
    picture.suffix = QStringLiteral("png");
    fz_drop_buffer(ctx, png);
    return true;
}

bool encodePng(fz_context* ctx, const picturePixels& pixels, QByteArray& bytes)
{
    fz_pixmap* pixmap = nullptr;
    fz_buffer* png = nullptr;
    fz_var(pixmap);
    fz_var(png);
    fz_try(ctx)
    {
        // MuPDF only reads the samples here.
        auto* samples = reinterpret_cast<unsigned char*>(const_cast<char*>(pixels.samples.constData()));
        pixmap = fz_new_pixmap_with_data(ctx, pixels.grey ? fz_device_gray(ctx) : fz_device_rgb(ctx), pixels.width,
                                         pixels.height, nullptr, pixels.alpha ? 1 : 0, pixels.stride, samples);
        fz_set_pixmap_resolution(ctx, pixmap, pixels.xres, pixels.yres);
        png = fz_new_buffer_from_pixmap_as_png(ctx, pixmap, fz_default_color_params);
    }
    fz_always(ctx)
    {
        fz_drop_pixmap(ctx, pixmap);
    }
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, png);
        png = nullptr;
    }
    if (!png)
        return false;
    bytes = bufferBytes(ctx, png);
    fz_drop_buffer(ctx, png);
    return true;
}

} // namespace conversion
