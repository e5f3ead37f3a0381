#ifndef PDFDAMAGE_H
#define PDFDAMAGE_H

// Damaged copies of PDFs that pdfmaker wrote (objects, content streams and
// the cross-reference table as plain text), for tests of broken files.

#include <QByteArray>

namespace testpdf {

// Broken off, like a download, in the middle of the object holding text
// (a page's content stream holds the text it draws).
QByteArray truncatedAt(const QByteArray& pdf, const QByteArray& text);

// Without the object holding text. Removed, the objects after it move and the cross-reference table
// points beside them; blanked with spaces, every offset stays right.
QByteArray withoutObjectHolding(const QByteArray& pdf, const QByteArray& text, bool blanked);

// The second half of the data of the stream holding text in its
// dictionary overwritten, every offset kept: the stream is there but cannot
// be decoded whole.
QByteArray withStreamDataSpoiled(const QByteArray& pdf, const QByteArray& text);

// The cross-reference table's offset of one object (every object for -1)
// a few bytes off.
QByteArray withShiftedXref(const QByteArray& pdf, int object = -1);

// "startxref" pointing into the middle of the file.
QByteArray withWrongStartxref(const QByteArray& pdf);

} // namespace testpdf

#endif
