#ifndef TEXTLAYOUT_H
#define TEXTLAYOUT_H

// Lays out test text the way a typesetter would, so the tests know which
// line of the PDF holds which words.

#include "pdfmaker.h"

#include <QStringList>

namespace testpdf {

struct paragraphStyle {
    double x = 72;
    double width = 468;
    double size = 11;
    double pitch = 0;         // baseline to baseline; 0: 1.2 times the size
    double indent = 0;        // of the first line
    QString font = QStringLiteral("Helvetica");
};

// Breaks the words into ragged-right lines that fit the width, writes them
// from baseline y down and leaves y one pitch below the last line. Returns
// the lines.
QStringList addParagraph(PageSpec& page, const QStringList& words, const paragraphStyle& style, double& y);

// count words made of the stem and a number: "left1 left2 ...".
QStringList numberedWords(const QString& stem, int count, int first = 1);

} // namespace testpdf

#endif
