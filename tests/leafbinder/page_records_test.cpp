// Page records: what a page holds, what counts as an empty page, and that
// the page never owns its items.
#include "epub_page.h"

#include <gtest/gtest.h>

#include <memory>

using namespace ns_epub;

namespace {

// Owns a small text tree so each test frees what it made.
struct Tree {
    std::vector<std::unique_ptr<epubSection>> sections;
    std::vector<std::unique_ptr<epubColumn>> columns;
    std::vector<std::unique_ptr<epubLine>> lines;

    epubSection* section(int columnCount, int linesPerColumn)
    {
        sections.push_back(std::make_unique<epubSection>());
        for (int c = 0; c < columnCount; ++c) {
            columns.push_back(std::make_unique<epubColumn>());
            for (int l = 0; l < linesPerColumn; ++l) {
                lines.push_back(std::make_unique<epubLine>());
                columns.back()->lines.push_back(lines.back().get());
            }
            sections.back()->columns[c] = columns.back().get();
        }
        return sections.back().get();
    }
};

// A page that frees its own text tree, as a parser's pages do.
class OwningPage : public epubPage {
public:
    ~OwningPage() override { clear(); }
};

TEST(PageRecords, EmptyMeansNoLineInAnyColumn)
{
    Tree tree;
    epubPicture picture;
    epubPage page;
    EXPECT_TRUE(page.empty());
    page.addSection(tree.section(2, 0));
    page.addSection(tree.section(0, 0));
    page.addPicture(&picture);
    EXPECT_TRUE(page.empty()) << "pictures do not count";
    page.addSection(tree.section(1, 1));
    EXPECT_FALSE(page.empty());
}

TEST(PageRecords, ItemsComeBackInTheOrderAdded)
{
    Tree tree;
    epubPicture first, second;
    epubPage page;
    epubSection* a = tree.section(1, 1);
    epubSection* b = tree.section(1, 1);
    page.addSection(a);
    page.addSection(b);
    page.addPicture(&second);
    page.addPicture(&first);

    std::vector<epubSection*> sections{nullptr};
    page.getSections(sections);
    EXPECT_EQ(sections, (std::vector<epubSection*>{a, b}));
    std::vector<epubPicture*> pictures;
    page.getPictures(pictures);
    EXPECT_EQ(pictures, (std::vector<epubPicture*>{&second, &first}));
}

TEST(PageRecords, ASecondTableUnderOneKeyReplacesTheFirst)
{
    epubTable one, two, three;
    epubPage page;
    page.addTable(4, &one);
    page.addTable(1, &three);
    page.addTable(4, &two);
    std::map<int, epubTable*> tables{{9, &one}};
    page.getTables(tables);
    EXPECT_EQ(tables, (std::map<int, epubTable*>{{1, &three}, {4, &two}}));
}

TEST(PageRecords, CopiesShareItemsAndFreeNone)
{
    // Items live on the stack: a page that freed them would crash here.
    Tree tree;
    epubPicture picture;
    epubTable table;
    epubSection* section = tree.section(1, 2);
    auto page = std::make_unique<epubPage>();
    page->addSection(section);
    page->addPicture(&picture);
    page->addTable(0, &table);

    epubPage copy(*page);
    epubPage assigned;
    assigned = *page;
    assigned = assigned;
    page.reset();

    std::vector<epubSection*> sections;
    copy.getSections(sections);
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0], section);
    std::vector<epubPicture*> pictures;
    assigned.getPictures(pictures);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0], &picture);
    EXPECT_FALSE(assigned.empty());
}

TEST(PageRecords, ClearFreesTheTextTreeButNotPicturesOrNullLines)
{
    // Under AddressSanitizer a double free or a freed picture shows here.
    epubPicture picture;
    {
        OwningPage page;
        auto* section = new epubSection;
        auto* column = new epubColumn;
        auto* line = new epubLine;
        line->words.push_back(new epubWord);
        line->words.push_back(new epubWord);
        column->lines.push_back(line);
        column->lines.push_back(nullptr);
        section->columns[0] = column;
        page.addSection(section);
        page.addPicture(&picture);
    }
    picture.path = "still here";
    EXPECT_EQ(picture.path, "still here");
}

} // namespace
