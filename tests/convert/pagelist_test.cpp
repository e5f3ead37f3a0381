// Page list texts: which texts pass the check while typing and on Enter, and
// which pages they expand to.
#include "convert/pagelist.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct CheckCase {
    const char* text;
    int pageCount;
    bool lenient;  // isPageTextValid(..., false)
    bool strict;   // isPageTextValid(..., true)
};

void PrintTo(const CheckCase& c, std::ostream* os)
{
    *os << '"' << c.text << "\" of " << c.pageCount;
}

class PageTextCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(PageTextCheck, AcceptsOnlyWellFormedTextsWithinThePageCount)
{
    const CheckCase& c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(utils::isPageTextValid(text, c.pageCount, false), c.lenient) << c.text;
    EXPECT_EQ(utils::isPageTextValid(text, c.pageCount, true), c.strict) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PageTextCheck,
    ::testing::Values(
        // every page
        CheckCase{"All", 3, true, true}, CheckCase{"all", 3, true, true},
        CheckCase{"ALL", 3, true, true}, CheckCase{"", 3, true, true},
        // lists and ranges
        CheckCase{"1,3,4,5-10", 12, true, true}, CheckCase{"12", 12, true, true},
        CheckCase{"3,1,3", 12, true, true},
        // a final "-" runs to the last page; the end of a range is not bounded
        CheckCase{"5-", 12, true, true}, CheckCase{"8-20", 12, true, true},
        // a falling range passes only the lenient check; a one-page range both
        CheckCase{"7-3", 12, true, false}, CheckCase{"5-5", 12, true, true},
        CheckCase{"12-", 12, true, true},
        // texts still being typed
        CheckCase{"1,2,", 5, true, true}, CheckCase{"0,", 5, true, true},
        // out of range
        CheckCase{"13", 12, false, false}, CheckCase{"13-14", 12, false, false},
        CheckCase{"0", 12, false, false}, CheckCase{"1,0", 12, false, false},
        CheckCase{"3", -1, false, false},
        // a range without its first page, or without its last one before
        // the end of the text, would start at page 0
        CheckCase{"-3", 12, false, false}, CheckCase{"-", 12, false, false},
        CheckCase{"1,-", 12, false, false}, CheckCase{"3-,5", 12, false, false},
        CheckCase{"0-3", 12, false, false},
        // doubled separators
        CheckCase{"1--3", 12, false, false}, CheckCase{"1,,3", 12, false, false},
        // characters outside digits, "," and "-"
        CheckCase{"1a", 12, false, false}, CheckCase{"1, 2", 12, false, false},
        CheckCase{" 1", 12, false, false}, CheckCase{"5\n", 12, false, false},
        CheckCase{"1;2", 12, false, false}, CheckCase{"\xd9\xa3", 12, false, false},
        CheckCase{"+3", 12, false, false}));

struct ExpandCase {
    const char* text;
    int pageCount;
    bool ok;
    QStringList pages;
};

void PrintTo(const ExpandCase& c, std::ostream* os)
{
    *os << '"' << c.text << "\" of " << c.pageCount;
}

class PageTextExpansion : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(PageTextExpansion, GivesThePagesInTextOrder)
{
    const ExpandCase& c = GetParam();
    QStringList pages;
    EXPECT_EQ(utils::pageTextToList(QString::fromUtf8(c.text), c.pageCount, &pages), c.ok) << c.text;
    EXPECT_EQ(pages, c.pages) << c.text;
}

const QStringList kFiveToTwelve{"5", "6", "7", "8", "9", "10", "11", "12"};

INSTANTIATE_TEST_SUITE_P(
    Texts, PageTextExpansion,
    ::testing::Values(
        ExpandCase{"All", 12, true, {}}, ExpandCase{"", 12, true, {}},
        ExpandCase{"1,3,4,5-10", 12, true, {"1", "3", "4", "5", "6", "7", "8", "9", "10"}},
        ExpandCase{"5-", 12, true, kFiveToTwelve},
        ExpandCase{"8-20", 12, true, {"8", "9", "10", "11", "12"}},
        ExpandCase{"1,2,", 5, true, {"1", "2"}},
        ExpandCase{"3,1,3", 5, true, {"3", "1", "3"}},
        ExpandCase{" 2 , 4-5 ", 5, true, {"2", "4", "5"}},
        // only the first two ends of "a-b-c" count
        ExpandCase{"1-2-5", 5, true, {"1", "2"}},
        // a falling range fails, keeping what came before it
        ExpandCase{"7-3", 12, false, {}}, ExpandCase{"1,2,7-3,4", 12, false, {"1", "2"}},
        // a range starting beyond the page count
        ExpandCase{"13-", 12, false, {}}));

TEST(PageTextExpansion, AppendsToWhatTheListAlreadyHolds)
{
    QStringList pages{"9"};
    EXPECT_TRUE(utils::pageTextToList(QStringLiteral("2-3"), 5, &pages));
    EXPECT_EQ(pages, QStringList({"9", "2", "3"}));
}

TEST(PageTextExpansion, RangeToTheLargestPageCountEnds)
{
    const int largest = std::numeric_limits<int>::max();
    QStringList pages;
    EXPECT_TRUE(utils::pageTextToList(QStringLiteral("%1-").arg(largest - 1), largest, &pages));
    EXPECT_EQ(pages, QStringList({QString::number(largest - 1), QString::number(largest)}));
}

} // namespace
