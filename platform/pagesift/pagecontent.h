#ifndef PAGECONTENT_H
#define PAGECONTENT_H

// What MuPDF's structured text says about one page, copied into plain records
// so that the layout code needs no MuPDF. Coordinates are page space in
// points: origin at the top left of the page as shown, y pointing down.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace conversion {

struct glyph {
    char32_t c = 0;
    float x0 = 0, x1 = 0;           // horizontal extent of the glyph's box
    float top = 0, bottom = 0;      // vertical extent of the glyph's box
    float originX = 0, originY = 0; // pen position; originY is the baseline
    float size = 0;                 // font size in points
    std::uint32_t color = 0;        // 0xRRGGBB
    int font = 0;                   // index into pageContent::fonts
    int stored = 0;                 // place in the order the page draws its glyphs
};

// A run of glyphs along one baseline, as MuPDF grouped them.
struct glyphLine {
    float dirX = 1, dirY = 0;       // direction of the baseline
    bool vertical = false;          // vertical writing mode
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::vector<glyph> glyphs;
};

struct fontFace {
    std::string name;               // as the document names it, subset prefix and all
    bool bold = false;              // from the font's own flags
    bool italic = false;
};

// The pixels of a picture in device grey or RGB, to be encoded as PNG.
struct picturePixels {
    int width = 0, height = 0;
    bool alpha = false;
    bool grey = false;              // else RGB
    int stride = 0;
    int xres = 0, yres = 0;         // dots per inch
    QByteArray samples;
};

// An image of the page, encoded as a file, or with pixels yet to be encoded.
struct pagePicture {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    QByteArray bytes;
    QString suffix;                 // "png" or "jpg"; empty while pixels waits
    picturePixels pixels;
};

struct pageContent {
    float width = 0, height = 0;
    std::vector<glyphLine> lines;   // in the order the page draws them
    std::vector<fontFace> fonts;
    std::vector<pagePicture> pictures;
};

} // namespace conversion

#endif
