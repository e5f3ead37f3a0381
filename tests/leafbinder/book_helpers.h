#ifndef BOOK_HELPERS_H
#define BOOK_HELPERS_H

// Helpers for tests that build books: page records that free what they
// hold, reading the XML documents a book leaves in its work folder, and
// checking a work folder with outside readers.

#include "epub_page.h"

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace bookhelpers {

// Makes page records and owns every item, so a test frees what it made.
class PageMaker {
public:
    ns_epub::epubWord* word(const std::u16string& text, int size = 10, bool bold = false,
                            bool italic = false, const std::string& family = "Serif",
                            const std::string& color = "#000000");
    ns_epub::epubWord* inlinePicture(const QString& path);
    ns_epub::epubLine* line(const std::vector<ns_epub::epubWord*>& words, bool endsParagraph = true,
                            bool centred = false);
    ns_epub::epubColumn* column(const std::vector<ns_epub::epubLine*>& lines);
    ns_epub::epubSection* section(const std::vector<ns_epub::epubColumn*>& columns);
    ns_epub::epubPicture* picture(const QString& path);
    // A new page holding the given sections and pictures.
    ns_epub::epubPage* page(const std::vector<ns_epub::epubSection*>& sections,
                            const std::vector<ns_epub::epubPicture*>& pictures = {});
    // A page of one section, one column, one line of one run.
    ns_epub::epubPage* textPage(const std::u16string& text);

private:
    std::vector<std::unique_ptr<ns_epub::epubWord>> m_words;
    std::vector<std::unique_ptr<ns_epub::epubLine>> m_lines;
    std::vector<std::unique_ptr<ns_epub::epubColumn>> m_columns;
    std::vector<std::unique_ptr<ns_epub::epubSection>> m_sections;
    std::vector<std::unique_ptr<ns_epub::epubPicture>> m_pictures;
    std::vector<std::unique_ptr<ns_epub::epubPage>> m_pages;
};

// Parses a file with namespace processing on; a null document when the file
// is missing or not well-formed (the message goes to *error).
QDomDocument readXml(const QString& path, QString* error = nullptr);
// Child elements of parent with the given local name, in order.
QList<QDomElement> children(const QDomElement& parent, const QString& localName);
// Every descendant element with the given local name, in document order.
QList<QDomElement> descendants(const QDomElement& parent, const QString& localName);
// The texts of every element with the given local name, in document order,
// read with a stream reader: unlike the DOM parser, it keeps text that is
// only white space.
QStringList elementTexts(const QString& path, const QString& localName);
// The body element of an XHTML page.
QDomElement bodyOf(const QDomDocument& page);

// Writes a small picture in the given format ("PNG", "BMP", "JPG", "ICO", or
// "GIF", which is always one pixel).
bool writePicture(const QString& path, const char* format, int width = 8, int height = 6,
                  unsigned color = 0xff3366cc);

// Checks every ".html", ".opf", ".ncx" and ".xml" file under folder with
// xmllint (an independent parser); the failures, one per line. Empty when
// xmllint is missing.
QString malformedFiles(const QString& folder);

// Runs epubcheck on a book file. Returns false and sets *skip when Java or
// epubcheck is missing; otherwise *report holds epubcheck's output.
bool checkBook(const QString& bookPath, QString* report, QString* skip);

// One entry of a ZIP file as Python's zipfile module reads it.
struct ZipEntry {
    QString name;
    int method = -1;          // 0 stored, 8 deflated
    int extraLength = -1;
    qint64 size = -1;
    QByteArray data;
};
// The entries in archive order; empty when Python cannot read the file
// (the message goes to *error).
QList<ZipEntry> readZip(const QString& path, QString* error = nullptr);
// The error, fatal and warning lines of an epubcheck report.
QStringList unexpectedMessages(const QString& report);

// What the library's own log in the temporary folder holds; empty without one.
QString libraryLog();

} // namespace bookhelpers

// Readable failure messages for Qt texts.
#include <ostream>
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{';
    for (qsizetype i = 0; i < list.size(); ++i)
        *out << (i ? ", \"" : "\"") << list.at(i).toStdString() << '"';
    *out << '}';
}

#endif
