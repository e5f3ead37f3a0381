#ifndef FITZPICTURE_H
#define FITZPICTURE_H

#include <QByteArray>
#include <QString>

struct fz_context;
struct fz_image;

namespace conversion {

struct pagePicture;
struct picturePixels;

// Makes an image of a page a file any e-book reader shows: its own JPEG data
// when that stands alone as a plain grey or RGB JPEG, else a PNG of its
// pixels in grey or RGB. Pixels in device grey or RGB are only decoded
// here, into picture.pixels, for encodePng to encode on any thread with a
// context of its own; the rest is encoded here. False when the image
// cannot be decoded.
bool preparePicture(fz_context* ctx, fz_image* image, pagePicture& picture);

// The PNG file of the pixels; false when it cannot be made (out of memory).
bool encodePng(fz_context* ctx, const picturePixels& pixels, QByteArray& bytes);

} // namespace conversion

#endif
