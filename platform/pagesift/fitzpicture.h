#ifndef FITZPICTURE_H
#define FITZPICTURE_H

#include <QByteArray>
#include <QString>

struct fz_context;
struct fz_image;

namespace conversion {

// Encodes an image of a page as a file any e-book reader shows: its own JPEG
// data when that stands alone as a plain grey or RGB JPEG, else a PNG of its
// pixels in grey or RGB. False when the image cannot be decoded.
bool encodePicture(fz_context* ctx, fz_image* image, QByteArray& bytes, QString& suffix);

} // namespace conversion

#endif
