#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

// What the benchmark programs share: a text-heavy test PDF and this
// process's memory figures.

#include <QString>

namespace bench {

// Writes a PDF of pageCount text-heavy pages (a centred heading and two
// columns of 9 pt text, about 1100 words a page, the same words on every
// run), with pictures a small photograph of its own on every page, as a
// scanned or illustrated book has. Returns an empty text, or why the PDF
// could not be written.
QString makeTextHeavyPdf(const QString& path, int pageCount, bool pictures = false);

// A "<key> <n> kB" figure of /proc/self/status ("VmRSS:", "VmHWM:"), in KiB;
// -1 when there is none.
long statusKib(const char* key);

// Starts this process's peak resident memory ("VmHWM:") again from its
// present size. False when the system does not allow it.
bool restartPeak();

} // namespace bench

#endif
