#ifndef EPUB_NCX_H
#define EPUB_NCX_H

#include "epub_xml.h"

#include <QDomElement>

#include <functional>

namespace ns_epub {

// What a page's navigation point shows and leads to.
struct pagePoint {
    QString label;
    QString src;
};

// The navigation document "toc.ncx": the template
// "epubTemplate/OEBPS/toc.ncx" with one navigation point per page (and one
// for the cover) appended to its navMap. One instance shared by every book,
// filled at close only and back at the template after its save.
class epubNcxWriter : public epubXmlWriter {
public:
    epubNcxWriter();
    ~epubNcxWriter() override;

    bool init() override;

    // The cover's point plays first: playOrder "1". It still counts, so the
    // pages that follow go on from 2 without a gap.
    bool addCoverPoint(const QString& id, const QString& label, const QString& src);
    // "navPoint-<n>" with playOrder n, n counting every point of the book.
    bool addPagePoint(const QString& label, const QString& src);
    // count page points at once, point i given by pointAt(i) only while the
    // document is saved, so that a book of any length costs no more memory
    // than a short one. They are numbered as count addPagePoint calls.
    bool addPagePoints(int count, std::function<pagePoint(int)> pointAt);
    // The book's identifier as "dtb:uid", the same one the package document carries.
    bool setBookIdentifier(const QString& identifier);

    int playCounter() const { return m_playCounter; }
    void setPlayCounter(int counter) { m_playCounter = counter; }

private:
    void appendPoint(const QString& id, int playOrder, const QString& label, const QString& src);
    static QDomElement pointElement(QDomDocument& document, int playOrder, const QString& id, const pagePoint& point);

    QDomElement m_ncx;
    QDomElement m_head;
    QDomElement m_docTitle;
    QDomElement m_navMap;
    int m_playCounter = 0;
};

} // namespace ns_epub

#endif
