#ifndef EPUB_COVER_H
#define EPUB_COVER_H

#include "epub_xml.h"

#include <QDomElement>

namespace ns_epub {

struct epubPubInfo;

// The cover of the book under way, made at close: the cover picture stored
// in the content folder as "cover.<suffix>" (suffix lower-cased) and the
// name of the page that shows it. Empty names mean the book has no cover.
class epubCoverHandle {
public:
    // Stores the cover picture named by pubInfo->coverImage. A core picture
    // (png, jpg, jpeg, gif) is copied as it is; any other one, BMP included,
    // is converted to PNG. A picture that cannot be read or stored leaves the
    // book without a cover, so nothing refers to a missing file. True.
    bool setPubinfo(const epubPubInfo* pubInfo);

    QString imageFile() const { return m_imageFile; }
    QString pageFile() const { return m_pageFile; }
    int imageType() const { return m_imageType; }

private:
    QString m_imageFile;
    QString m_pageFile;
    int m_imageType = 4;   // image/jpeg
};

// The cover page: the page template with the cover picture in its body.
// Made for one cover and dropped after its save.
class epubCoverWriter : public epubXmlWriter {
public:
    epubCoverWriter();
    ~epubCoverWriter() override;

    bool init() override;
    // Appends the picture, filling the page, inside a block of its own; false
    // without a template.
    bool addCoverImage(const QString& imagePath);

private:
    QDomElement m_body;
};

} // namespace ns_epub

#endif
