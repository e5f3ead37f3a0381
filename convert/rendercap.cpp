#include "convert/rendercap.h"

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
    return width * height <= kMaxPixels;
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

} // namespace rendercap
