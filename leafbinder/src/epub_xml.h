#ifndef EPUB_XML_H
#define EPUB_XML_H

#include <QByteArray>
#include <QDomDocument>
#include <QString>

#include <functional>
#include <vector>

class QIODevice;

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

    // Makes entry index of a run of like elements, in document.
    using entryMaker = std::function<QDomElement(QDomDocument& document, int index)>;
    // Appends count elements to parent that are made only while the document
    // is saved, one at a time, each written and dropped before the next: a
    // long book has entries for every page, and held as nodes until the save
    // they would cost several KiB a page. The saved file is the same as if
    // they had been appended here; reset() drops them unmade.
    void appendOnSave(QDomElement& parent, int count, entryMaker make);

    QDomDocument m_document;
    QByteArray m_templateBytes;

private:
    struct savedEntries {
        int count;
        entryMaker make;
    };

    bool writeDocument(QIODevice& file) const;
    QString entryText(QDomDocument& scratch, const savedEntries& entries, int index,
                      const QString& indentation) const;

    int m_indent;
    bool m_ready = false;
    std::vector<savedEntries> m_onSave;   // in the order of their markers' numbers
};

} // namespace ns_epub

#endif
