#ifndef EPUB_PAGE_H
#define EPUB_PAGE_H

#include "leafbinder_export.h"

#include <map>
#include <string>
#include <vector>

namespace ns_epub {

// One run of text with one look, or one inline picture.
struct epubWord {
    unsigned char bold = 0;
    unsigned char italic = 0;
    std::string fontFamily;   // UTF-8
    std::string color;        // written into the style text unchanged, e.g. "#1a2b3c"
    int fontSize = 10;        // a bare number
    std::u16string text;      // the run's text, or an inline picture's file name
    int kind = -1;            // 0 = text run, 1 = inline picture, -1 = not set
};

// One line of runs. The paragraph ends with a line whose endsParagraph is set.
// centred and rightToLeft count on the line that opens a paragraph;
// rightToLeft, added last so the fields before it keep their places, marks a
// paragraph whose base direction is right to left.
struct epubLine {
    unsigned char endsParagraph = 0;
    unsigned char centred = 0;
    std::vector<epubWord*> words;
    unsigned char rightToLeft = 0;
};

// One column of a section; the two flag bytes belong to the parser.
struct epubColumn {
    unsigned char flag1 = 0;
    unsigned char flag2 = 0;
    std::vector<epubLine*> lines;
};

// One block of text laid out in columns; key order is left-to-right order.
struct epubSection {
    std::map<int, epubColumn*> columns;
};

// One picture of a page: a full path (UTF-8) to the picture file.
struct epubPicture {
    std::string path;
    int extra = 0;
};

// A table of the page. The book writer only passes these pointers along;
// the parser that makes them decides what they hold.
class epubTable {
public:
    virtual ~epubTable() = default;
};

// One page of a book. The page holds pointers only and owns none of its
// items: the destructor frees the containers, clear() frees the text tree.
class LEAFBINDER_EXPORT epubPage {
public:
    epubPage();
    epubPage(const epubPage& other);
    epubPage& operator=(const epubPage& other);
    virtual ~epubPage();

    void addSection(epubSection* section);
    void addPicture(epubPicture* picture);
    void addTable(int key, epubTable* table);

    void getSections(std::vector<epubSection*>& out);
    void getPictures(std::vector<epubPicture*>& out);
    void getTables(std::map<int, epubTable*>& out);

    // True when no column of any section holds a line; pictures and tables
    // do not count.
    bool empty();

    void debugOutput();

protected:
    // Deletes every section with its columns, lines and words. The deleted
    // pointers stay in the vector: the page is only fit to be destroyed after.
    void clear();

private:
    std::vector<epubSection*> m_sections;
    std::vector<epubPicture*> m_pictures;
    std::map<int, epubTable*> m_tables;
};

} // namespace ns_epub

#endif
