#ifndef PDFPARSER_H
#define PDFPARSER_H

#include <QString>

#include <functional>
#include <vector>

namespace conversion {

class compoundsReading;
struct pdfParseConf;
class pdfParseProgress;

// Turns the requested pages of a PDF into book pages (ns_epub::epubPage, the
// records of leafbinder/src/epub_page.h): text sections in reading order,
// split into columns, lines and runs of one look, and the page's pictures.
//
// The object only holds settings. parse() reads the document on threads of
// its own, each with a MuPDF context made there: the pages, ahead of their
// delivery, and, once a page has a word broken at a line end, the
// document's hyphenated words. It calls the progress object and the page
// function on the calling thread only, and every reading has ended when it
// returns. Each page is handed to the page function as an epubPage* passed
// as void*. The page, its items and its picture files belong to the parser:
// the function may read them and hand them on, but must keep nothing; they
// are freed and the pictures deleted as soon as it returns. A page function
// that returns false ends the parse after that page.
//
// Failures: see pdfParseProgress. Why the last parse failed, or which pages
// it could not read, is in lastError(); the parser itself writes no log.
class pdfParser {
public:
    using pageParseFunc = bool (*)(void*);

    // conf is the request used when parse() is given none; it may be null.
    explicit pdfParser(pdfParseConf* conf = nullptr);

    void setParseProgress(pdfParseProgress* progress);
    void setPageParseFunc(pageParseFunc func);

    // Where page pictures are written while their page is being delivered.
    // Empty (the default): a private folder (mode 0700) made under
    // QDir::tempPath() for each parse and removed after it. A folder given
    // here is made when missing and never removed; only the parser's own
    // files in it are.
    void setPictureFolder(const QString& folder);
    QString pictureFolder() const;

    // Test seam: called on the thread of the reading alongside before each
    // page it reads, with that reading.
    void setCompoundsHook(std::function<void(compoundsReading&)> hook);

    // Reads conf (or the constructor's request when conf is null) and
    // delivers its pages; returns when done, cancelled or failed.
    void parse(pdfParseConf* conf);

    // Empty when the last parse opened the document and read every page it
    // asked for whole; otherwise one line per problem: why it failed, each
    // page it could not read in full.
    QString lastError() const;
    // The requested pages the last parse left out or found damaged (each
    // named in lastError()), each once, rising; the book holds what could
    // be read of them.
    std::vector<int> unreadPages() const;

private:
    pdfParseConf* m_conf = nullptr;
    pdfParseProgress* m_progress = nullptr;
    pageParseFunc m_pageFunc = nullptr;
    QString m_pictureFolder;
    std::function<void(compoundsReading&)> m_compoundsHook;
    QString m_lastError;
    std::vector<int> m_unreadPages;
};

} // namespace conversion

#endif
