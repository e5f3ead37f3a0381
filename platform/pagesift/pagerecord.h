#ifndef PAGERECORD_H
#define PAGERECORD_H

#include "leafbinder/src/epub_page.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace conversion {

class hyphenatedWords;
struct layoutSection;
struct pageContent;

// A book page that owns what it points at: destroying it frees its
// sections with their columns, lines and runs, and its pictures (not the
// picture files).
class pageRecord : public ns_epub::epubPage {
public:
    pageRecord() = default;
    ~pageRecord() override;
    pageRecord(const pageRecord&) = delete;
    pageRecord& operator=(const pageRecord&) = delete;

    // A word broken at the end of a line with a hyphen that may be its own:
    // the line ending in it, and the texts of that line and the next.
    struct brokenWord {
        ns_epub::epubLine* line = nullptr;
        QString endingLine;
        QString nextLine;
    };

    // Adds a picture file, after those added before.
    void addPicturePath(const std::string& path);

    // Whether the page waits for the document's hyphenated words.
    bool hasBrokenWords() const { return !m_brokenWords.empty(); }
    void addBrokenWord(brokenWord word) { m_brokenWords.push_back(std::move(word)); }
    // Drops the hyphen of every broken word whose pieces do not make one of
    // the document's hyphenated words; those that do keep it.
    void joinBrokenWords(const hyphenatedWords& compounds);

private:
    std::vector<brokenWord> m_brokenWords;
};

// The page record of an arranged page: one run per stretch of text with one
// look (family, bold, italic, size in whole points, colour as "#rrggbb"),
// the lines of a paragraph ending in a space where the break fell between
// words and without the hyphen where it fell inside a word (a soft hyphen
// at once, any other once joinBrokenWords knows the document's hyphenated
// words). Sections without columns, columns without lines and lines without
// text are left out. The pictures are added once they are files.
std::unique_ptr<pageRecord> buildPageRecord(const pageContent& content, const std::vector<layoutSection>& sections);

} // namespace conversion

#endif
