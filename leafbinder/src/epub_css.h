#ifndef EPUB_CSS_H
#define EPUB_CSS_H

#include <QHash>
#include <QString>
#include <QStringList>

namespace ns_epub {

struct epubLine;
struct epubWord;

// Gives each distinct look of a run or a paragraph one CSS class, "style1",
// "style2" and so on. The style text of a look (a declaration block in
// braces) decides which runs share a class; the rule written into a book's
// style sheet comes with it. One instance for the library's life: class
// names are never reused for another look, and a look met again in a later
// book keeps its class. Used on the thread that builds the current book.
class epubCssGenerator {
public:
    static epubCssGenerator* instance();
    virtual ~epubCssGenerator();

    // "{font-size:<n>;color:<c>;font-family:<f>;[font-weight:bold;][font-style:italic;]}";
    // empty for a null word.
    QString createFontStyle(const epubWord* word) const;
    // "{text-align:center;}" for a centred line, otherwise empty.
    QString createLineStyle(const epubLine* line) const;

    QString wordStyleClass(const epubWord* word);
    QString lineStyleClass(const epubLine* line);

    // The style sheet rules of the given classes, one line each, in the order
    // given; names this generator did not hand out are left out.
    QString styleRules(const QStringList& classNames) const;

private:
    epubCssGenerator();
    QString classFor(const QString& style, const QString& declarations);

    QHash<QString, QString> m_classes;        // style text -> class name
    QHash<QString, QString> m_declarations;   // class name -> CSS declarations
    int m_counter = 0;
};

} // namespace ns_epub

#endif
