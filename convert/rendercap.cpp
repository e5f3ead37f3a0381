#include "convert/rendercap.h"

#include "convert/logwriter.h"

namespace rendercap {

fz_irect pixmapBox(fz_rect bounds, float scale, float degrees)
{
    const fz_matrix ctm = fz_pre_rotate(fz_scale(scale, scale), degrees);
    return fz_round_rect(fz_transform_rect(bounds, ctm));
}

bool fits(fz_irect box)
{
    if (fz_is_empty_irect(box))
        return true;
    const long long width = static_cast<long long>(box.x1) - box.x0;
    const long long height = static_cast<long long>(box.y1) - box.y0;
    return width * height <= kMaxPixels && width <= kMaxSide && height <= kMaxSide;
}

float cappedScale(fz_rect bounds, float scale, float degrees)
{
    if (fits(pixmapBox(bounds, scale, degrees)))
        return scale;
    // The box grows with the scale, so the largest scale that fits is found
    // by halving the range between one that fits and one that does not.
    float low = 0;
    float high = scale;
    for (int step = 0; step < 48; ++step) {
        const float middle = low + (high - low) / 2;
        if (middle <= low || middle >= high)
            break;
        if (fits(pixmapBox(bounds, middle, degrees)))
            low = middle;
        else
            high = middle;
    }
    return low > 0 && fits(pixmapBox(bounds, low, degrees)) ? low : 0;
}

void logCapped(const char* source, int line, const char* function, int page, const char* title,
               fz_irect wanted, int dpi, fz_irect drawn)
{
    writeLogSite(source, line, function);
    writeLogLine("page %d of '%s' is %d x %d pixels at %d dpi, more than %lld pixels or %d a side; drawn at %d x %d",
                 page, title, wanted.x1 - wanted.x0, wanted.y1 - wanted.y0, dpi, kMaxPixels, kMaxSide,
                 drawn.x1 - drawn.x0, drawn.y1 - drawn.y0);
}

} // namespace rendercap
