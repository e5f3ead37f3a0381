#ifndef EPUB_MEDIA_H
#define EPUB_MEDIA_H

#include <QString>

namespace ns_epub {

// Media type codes of the package document's manifest.
enum epubMediaType {
    mediaNcx = 0,      // "application/x-dtbncx+xml"
    mediaCss = 1,      // "text/css"
    mediaXhtml = 2,    // "application/xhtml+xml"
    mediaSvg = 3,      // "image/svg+xml"
    mediaJpeg = 4,     // "image/jpeg"
    mediaPng = 5,      // "image/png"
    mediaGif = 6,      // "image/gif"
    mediaBmp = 7,      // "image/bmp"
};

// The media type text of a code; empty for an unknown code.
QString mediaTypeText(int code);

// True for the picture suffixes (lower case) that every reading system must
// show: png, jpg, jpeg, gif, svg. Any other picture is stored as PNG.
bool isCorePictureSuffix(const QString& suffix);

// The code for a core picture suffix (lower case); image/jpeg for anything else.
int pictureMediaType(const QString& suffix);

} // namespace ns_epub

#endif
