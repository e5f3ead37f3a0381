#ifndef EPUB_OPF_H
#define EPUB_OPF_H

#include "epub_xml.h"

#include <QDomElement>

#include <functional>

namespace ns_epub {

class epubCoverHandle;
struct epubPubInfo;

// One "item" of the manifest; type is a media type code.
struct manifestItem {
    QString id;
    QString href;
    int type;
};

// The package document "content.opf": the template
// "epubTemplate/OEBPS/content.opf" with the book's metadata, manifest items,
// spine entries and guide reference added. One instance shared by every
// book, filled at close only and back at the template after its save.
class epubOpfWriter : public epubXmlWriter {
public:
    epubOpfWriter();
    ~epubOpfWriter() override;

    bool init() override;

    // Each add returns false and does nothing when its parent element is
    // missing from the template; the guide is made when first needed, since
    // an empty guide is not allowed.
    bool addManifestItem(const QString& id, const QString& href, int type);
    bool addSpineItem(const QString& idref);
    bool addGuideReference(const QString& title, const QString& href, int type);
    // Runs of count items or spine entries, entry i given by itemAt(i) or
    // idrefAt(i) only while the document is saved, so that a book of any
    // length costs no more memory than a short one.
    bool addManifestItems(int count, std::function<manifestItem(int)> itemAt);
    bool addSpineItems(int count, std::function<QString(int)> idrefAt);

    // The book's metadata and, with a cover, its meta, manifest, spine and
    // guide entries. Texts lose the characters XML forbids; an empty
    // identifier is left out, an empty title becomes fallbackTitle, and a
    // date is written only in the W3C form the format requires.
    bool setPubinfo(const epubPubInfo* pubInfo, const epubCoverHandle& cover, const QString& fallbackTitle);
    // Puts the book's own identifier into the element the package names as
    // its unique identifier ("BookId" in the template).
    bool setBookIdentifier(const QString& identifier);

    // The guide reference type of a code: 0 = "cover" ... 16 = "text".
    static QString guideType(int code);
    // A publication date as the package format wants it, or an empty text.
    static QString packageDate(const QString& date);

private:
    QDomElement addMetadata(const QString& name, const QString& text);
    static QDomElement manifestElement(QDomDocument& document, const manifestItem& item);
    static QDomElement spineElement(QDomDocument& document, const QString& idref);

    QDomElement m_package;
    QDomElement m_metadata;
    QDomElement m_manifest;
    QDomElement m_spine;
    QDomElement m_guide;
};

} // namespace ns_epub

#endif
