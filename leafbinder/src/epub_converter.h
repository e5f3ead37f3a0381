#ifndef EPUB_CONVERTER_H
#define EPUB_CONVERTER_H

#include <QString>

#include <memory>

namespace ns_epub {

class convertStat;
class epubPage;
struct epubPubInfo;

// Writes the pages of one book into its work folder and, at close, the
// cover, the navigation and package documents and the style sheet. One per
// book (the creator variant makes it), so its page numbering and its
// identifier belong to that book alone.
class epubConverter {
public:
    epubConverter();
    virtual ~epubConverter();

    // The book's work folder; its content goes to "<folder>/OEBPS/".
    void setOutputFolder(const QString& folder) { m_outputFolder = folder; }
    QString outputFolder() const { return m_outputFolder; }
    // The title a book without one gets.
    void setBookName(const QString& name) { m_bookName = name; }

    // The book's identifier, "urn:uuid:" and a fresh UUID, made with the converter.
    QString bookIdentifier() const { return m_bookIdentifier; }
    const convertStat& stat() const { return *m_stat; }

    // Writes the page as the next "page-<n>.html". False for a null page or
    // when the page could not be written; such a page makes the book
    // incomplete (see allPagesWritten).
    bool convertPage(epubPage* page);
    bool allPagesWritten() const;
    // Whether the book has anything to show, a page or (once finishBook has
    // run) its cover page: a book with an empty spine opens blank.
    bool hasContent() const;

    // The finishing steps of close, in this order. Each returns false when a
    // template could not be loaded or a document could not be saved.
    // finishBook: the cover picture and page, the metadata, the cover's
    // package entries and navigation point, the book's identifier.
    bool finishBook(const epubPubInfo* pubInfo);
    // The manifest, spine and navigation points of the pages; saves "toc.ncx"
    // and then "content.opf".
    bool finishManifest();
    // "sheetstyle.css": the template's rules followed by those of the style
    // classes the book's pages use.
    bool finishStyleSheet();

private:
    QString contentPath(const QString& fileName) const;

    QString m_outputFolder;
    QString m_bookName;
    QString m_bookIdentifier;
    std::unique_ptr<convertStat> m_stat;
    bool m_coverPage = false;
};

} // namespace ns_epub

#endif
