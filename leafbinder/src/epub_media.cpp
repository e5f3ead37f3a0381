#include "epub_media.h"

namespace ns_epub {

QString mediaTypeText(int code)
{
    static const char* const types[] = {
        "application/x-dtbncx+xml", "text/css", "application/xhtml+xml", "image/svg+xml",
        "image/jpeg", "image/png", "image/gif", "image/bmp", "", "",
    };
    if (code < 0 || code >= int(sizeof(types) / sizeof(types[0])))
        return QString();
    return QString::fromLatin1(types[code]);
}

bool isCorePictureSuffix(const QString& suffix)
{
    return suffix == QLatin1String("png") || suffix == QLatin1String("jpg")
        || suffix == QLatin1String("jpeg") || suffix == QLatin1String("gif")
        || suffix == QLatin1String("svg");
}

int pictureMediaType(const QString& suffix)
{
    if (suffix == QLatin1String("png"))
        return mediaPng;
    if (suffix == QLatin1String("gif"))
        return mediaGif;
    if (suffix == QLatin1String("svg"))
        return mediaSvg;
    return mediaJpeg;
}

} // namespace ns_epub
