#ifndef EPUB_XML_H
#define EPUB_XML_H

#include <QByteArray>
#include <QDomDocument>
#include <QString>

namespace ns_epub {

// The text with every character that XML 1.0 forbids left out: control
// characters other than tab, line feed and carriage return, unpaired
// surrogates, U+FFFE and U+FFFF. Text from PDFs carries them, and a single
// one makes a whole document unreadable.
QString xmlSafeText(const QString& text);

// Base of the writers that make a book's documents: loads a template file
// (relative to the current folder) into a DOM document, lets the concrete
// writer add to the nodes it located, and saves the result. After every save
// the writer holds its template again, so nothing of one document reaches
// the next.
class epubXmlWriter {
public:
    virtual ~epubXmlWriter();

    // Loads the writer's template and locates its nodes; true when every node
    // the writer needs was found.
    virtual bool init();
    // Reads "<current folder><templatePath>" (templatePath begins with "/").
    // A file that cannot be opened leaves the document as it was.
    virtual bool load(const QString& templatePath);
    // Back to the template: the last template read is parsed again, then
    // init() reads the file afresh, so an edited template takes effect and a
    // template that was unreachable before is tried again.
    virtual bool reset();
    // Writes the document to path, a file of the book being built (see
    // epubStdMgr::saveFile), then resets. False, with a log entry, when
    // nothing could be written; a writer without a template writes nothing.
    virtual bool save(const QString& path);

    // True when the last init() found the template and its nodes.
    bool isReady() const { return m_ready; }
    const QDomDocument& document() const { return m_document; }

protected:
    explicit epubXmlWriter(int indent = 1);
    // Runs init() and remembers its result; concrete constructors call it.
    bool start();

    QDomDocument m_document;
    QByteArray m_templateBytes;

private:
    int m_indent;
    bool m_ready = false;
};

} // namespace ns_epub

#endif
