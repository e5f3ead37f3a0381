#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

// What the benchmark programs share: a text-heavy test PDF and this
// process's memory figures.

#include <QString>

namespace bench {

// What a text-heavy PDF holds besides its text.
struct pdfExtras {
    // A small photograph of its own on every page, as a scanned or
    // illustrated book has.
    bool pictures = false;
    // About a third of the lines end in a word broken by the typesetter
    // ("conver-" / "sion"), some in a compound broken at its own hyphen
    // ("low-" / "level"), and the compounds also stand whole inside lines,
    // as in a book set justified.
    bool hyphenated = false;
};

// Writes a PDF of pageCount text-heavy pages (a centred heading and two
// columns of 9 pt text, about 1100 words a page, the same words on every
// run). Returns an empty text, or why the PDF could not be written.
QString makeTextHeavyPdf(const QString& path, int pageCount, pdfExtras extras = pdfExtras());

// A "<key> <n> kB" figure of /proc/self/status ("VmRSS:", "VmHWM:"), in KiB;
// -1 when there is none.
long statusKib(const char* key);

// Starts this process's peak resident memory ("VmHWM:") again from its
// present size. False when the system does not allow it.
bool restartPeak();

} // namespace bench

#endif
