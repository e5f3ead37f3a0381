#ifndef EPUB_XHTML_H
#define EPUB_XHTML_H

#include "epub_xml.h"

#include <QDomElement>

namespace ns_epub {

class convertStat;
class epubPage;
struct epubColumn;
struct epubLine;
struct epubPicture;
struct epubSection;

// Turns one page record into the body of an XHTML page made from
// "epubTemplate/OEBPS/template.html": each section a borderless table row
// whose cells alternate between a column of paragraphs and a spacer, then
// each picture in a block of its own. One instance shared by every book;
// the converter saves it after every page, which returns it to the template.
class epubXhtmlWriter : public epubXmlWriter {
public:
    epubXhtmlWriter();
    ~epubXhtmlWriter() override;

    bool init() override;

    // Appends the page to the body; false without a template. Pictures are
    // stored in the book and the style classes used are noted, both in stat.
    bool writePage(epubPage* page, convertStat& stat);
    bool writeSection(QDomElement& parent, const epubSection* section, convertStat& stat);
    bool writeColumn(QDomElement& table, const epubColumn* column, convertStat& stat);
    bool writeLine(QDomElement& parent, const epubLine* line, convertStat& stat);
    bool addWords(QDomElement& p, const epubLine* line, convertStat& stat);
    bool writePicture(QDomElement& parent, const epubPicture* picture, convertStat& stat);

private:
    QDomElement m_body;
    // endsParagraph of the last line written: the next line in the same
    // cell opens a new paragraph when it is set.
    bool m_paragraphEnded = false;
};

} // namespace ns_epub

#endif
