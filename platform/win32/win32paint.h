#ifndef WIN32PAINT_H
#define WIN32PAINT_H

// The painting calls of the other platform that the preview uses, drawing
// with the QPainter that stands for the device context.

#include "platform/win32/win32types.h"

namespace win32 {

// The header of a device-independent bitmap: 40 bytes, as there. A negative
// height means the rows are stored top row first.
struct BITMAPINFOHEADER {
    DWORD biSize = 0;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 0;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the bitmap header has its fixed size");

struct RGBQUAD {
    quint8 rgbBlue = 0;
    quint8 rgbGreen = 0;
    quint8 rgbRed = 0;
    quint8 rgbReserved = 0;
};

// The header with room for four colour entries.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[4];
};

constexpr DWORD BI_RGB = 0;

HBRUSH createSolidBrush(COLORREF color);

// Fills the rectangle; an empty or inside-out one draws nothing, as there.
// 1 when something was filled.
int fillRect(HDC dc, const RECT& rect, const HBRUSH& brush);

// Draws width x height pixels of a 32-bit uncompressed bitmap (bytes blue,
// green, red, unused per pixel, rows of biWidth * 4 bytes), from (xSrc,
// ySrc) of the bitmap to (x, y) of the device, all rows at once. Rows stored
// bottom row first (a positive height) are turned the right way up. The
// number of rows drawn; 0 for any other kind of bitmap.
int setDIBitsToDevice(HDC dc, int x, int y, int width, int height, int xSrc, int ySrc,
                      const void* bits, const BITMAPINFO& info);

} // namespace win32

#endif
