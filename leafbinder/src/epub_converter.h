#ifndef EPUB_CONVERTER_H
#define EPUB_CONVERTER_H

#include <QString>

namespace ns_epub {

class epubPage;
struct epubPubInfo;

// Writes the pages of one book into its work folder and finishes the book's
// documents at close.
class epubConverter {
public:
    virtual ~epubConverter();

    void setOutputFolder(const QString& folder) { m_outputFolder = folder; }
    QString outputFolder() const { return m_outputFolder; }

    bool convertPage(epubPage* page);
    bool finishBook(const epubPubInfo* pubInfo);
    bool finishManifest();

private:
    QString m_outputFolder;
};

} // namespace ns_epub

#endif
