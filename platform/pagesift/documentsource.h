#ifndef DOCUMENTSOURCE_H
#define DOCUMENTSOURCE_H

#include <QByteArray>
#include <QString>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {

// The PDF a parse reads, and the one place that opens it, for each reading
// of it on a context of its own: the pages read ahead and the hyphenated
// words read alongside. A copy opens the same document.
class documentSource {
public:
    explicit documentSource(const QString& path);

    // The document, opened on ctx. Throws MuPDF's error when it cannot be
    // opened: call it inside fz_try.
    fz_document* open(fz_context* ctx) const;

private:
    QByteArray m_native;
};

} // namespace conversion

#endif
