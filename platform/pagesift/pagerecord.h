#ifndef PAGERECORD_H
#define PAGERECORD_H

#include "leafbinder/src/epub_page.h"

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
};

// The page record of an arranged page: one run per stretch of text with one
// look (family, bold, italic, size in whole points, colour as "#rrggbb"),
// the lines of a paragraph ending in a space where the break fell between
// words and without the hyphen where it fell inside a word, unless the
// pieces make one of the document's hyphenated words, and one picture per
// path, in order. Sections without columns, columns without lines and lines
// without text are left out.
std::unique_ptr<pageRecord> buildPageRecord(const pageContent& content, const std::vector<layoutSection>& sections,
                                            const std::vector<std::string>& picturePaths,
                                            hyphenatedWords& compounds);

} // namespace conversion

#endif
