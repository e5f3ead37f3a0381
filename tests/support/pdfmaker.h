#ifndef PDFMAKER_H
#define PDFMAKER_H

// Test PDFs made with MuPDF's own writing calls, so no sample file from
// elsewhere is needed. Coordinates are PDF points with the origin at the
// bottom left of the page, as in a content stream.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

namespace testpdf {

struct TextRun {
    QString text;
    double x = 72;
    double y = 720;           // baseline, from the bottom of the page
    double size = 12;
    // A base-14 font name ("Helvetica", "Times-Bold", "Courier-Oblique", ...)
    // for Latin-1 text, the path of a TrueType file, embedded as a CID font,
    // for any other text, or cjkFont() for Chinese, Japanese and Korean text.
    QString font = QStringLiteral("Helvetica");
    QColor color = Qt::black;
    // Which point of the text x names: its left end, its middle
    // (Qt::AlignHCenter) or its right end (Qt::AlignRight).
    Qt::Alignment align = Qt::AlignLeft;
};

struct ImageSpec {
    QImage image;
    QRectF rect;              // where the image is placed, in points
    QByteArray format = "PNG";  // how the image is stored: "PNG" (deflated pixels) or "JPEG" (as is)
};

struct FilledRect {
    QRectF rect;              // in points
    QColor color = Qt::black;
};

struct PageSpec {
    double width = 612;
    double height = 792;
    int rotate = 0;
    QList<TextRun> runs;
    QList<ImageSpec> images;
    QList<FilledRect> rects;
    QByteArray rawContent;    // appended to the page's content stream as it is
    QString linkTo;           // when set, a link over the page to the named destination (the document defines none)
};

struct DocSpec {
    QList<PageSpec> pages;
    QString title;            // the Info dictionary's Title, when not empty
    QString userPassword;     // encrypts with AES-256 when not empty
    QString ownerPassword;
    int outlineDepth = 0;     // outline items, each the only child of the one before
    // Streams deflated and each page's dictionary before its content, as in
    // files made for download: a file broken off part way keeps pages whose
    // content is cut or gone.
    bool forDownload = false;
};

// Writes the document; false with *error set on failure.
bool writePdf(const QString& path, const DocSpec& spec, QString* error = nullptr);

// A document of `count` pages, each holding the line "Page <n>" and, when
// given, the extra lines below it.
DocSpec simpleDoc(int count, const QStringList& extraLines = {});

// A TrueType font with Latin, Greek and Cyrillic glyphs (DejaVu Sans).
QString unicodeFontPath();

// MuPDF's own font for Chinese (simplified) text; the PDF names the Adobe
// character collection and does not embed it. Japanese and Korean text use
// "cjk:Japan1" and "cjk:Korea1".
QString cjkFont();

// The advance width of the run's text in points.
double textWidth(const TextRun& run);

} // namespace testpdf

#endif
