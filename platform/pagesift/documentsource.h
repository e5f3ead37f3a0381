#ifndef DOCUMENTSOURCE_H
#define DOCUMENTSOURCE_H

#include <QString>

#include <memory>

extern "C" {
#include <mupdf/fitz.h>
}

class RegularFile;

namespace conversion {

// The PDF a parse reads, opened once as a RegularFile, and the one place
// that opens the document in it for each reading on a context of its own:
// the pages read ahead, the hyphenated words read alongside, Picture mode's
// pages and the preview's. No reading
// opens the path again, so both read the same file whatever is later put at
// its path. A copy shares the file.
class documentSource {
public:
    // A named pipe or anything else that is no regular file is refused
    // without waiting; refusal() then says why.
    explicit documentSource(const QString& path);
    // The PDF in a file already opened.
    explicit documentSource(std::shared_ptr<const RegularFile> file);

    // Null when the file was refused.
    const std::shared_ptr<const RegularFile>& file() const { return m_file; }
    const QString& refusal() const { return m_refusal; }

    // The document, opened on ctx with the PDF reader whatever the file is
    // called. Throws MuPDF's error when it cannot be opened (or the file was
    // refused): call it inside fz_try.
    fz_document* open(fz_context* ctx) const;

private:
    // Before the file, which is opened with it.
    QString m_refusal;
    std::shared_ptr<const RegularFile> m_file;
};

} // namespace conversion

#endif
