#include "platform/win32/win32paint.h"

#include <QImage>
#include <QPainter>

#include <cstdlib>

// The bitmap's bytes blue, green, red, unused are QImage's 32-bit word
// 0xffRRGGBB only on a little-endian machine.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "bitmaps are read as QImage::Format_RGB32");

namespace win32 {

HBRUSH createSolidBrush(COLORREF color)
{
    return QBrush(QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)));
}

int fillRect(HDC dc, const RECT& rect, const HBRUSH& brush)
{
    if (!dc || rect.right <= rect.left || rect.bottom <= rect.top)
        return 0;
    dc->fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), brush);
    return 1;
}

int setDIBitsToDevice(HDC dc, int x, int y, int width, int height, int xSrc, int ySrc,
                      const void* bits, const BITMAPINFO& info)
{
    const BITMAPINFOHEADER& header = info.bmiHeader;
    if (!dc || !bits || header.biBitCount != 32 || header.biCompression != BI_RGB
        || header.biWidth <= 0 || header.biHeight == 0 || width <= 0 || height <= 0) {
        return 0;
    }
    const int rows = std::abs(header.biHeight);
    const QImage stored(static_cast<const uchar*>(bits), header.biWidth, rows,
                        qsizetype(header.biWidth) * 4, QImage::Format_RGB32);
    const QRect source = QRect(xSrc, ySrc, width, height).intersected(stored.rect());
    if (source.isEmpty())
        return 0;
    if (header.biHeight > 0)
        dc->drawImage(QPoint(x, y), stored.mirrored(false, true), source);
    else
        dc->drawImage(QPoint(x, y), stored, source);
    return source.height();
}

} // namespace win32
