// Output names: the book file and its work folder are both new names in the
// output folder, numbered "(n)" as the naming rule goes on.
#include "convert/outputname.h"

#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Folder contents: a name ending in "/" is a folder, one starting with "@" a
// dangling symbolic link, anything else a file.
struct NameCase {
    const char* description;
    QStringList entries;
    const char* base;
    const char* expected;
};

void makeEntries(const QString& folder, const QStringList& entries)
{
    for (const QString& entry : entries) {
        if (entry.endsWith(QLatin1Char('/')))
            ASSERT_TRUE(QDir().mkpath(folder + QLatin1Char('/') + entry));
        else if (entry.startsWith(QLatin1Char('@')))
            ASSERT_TRUE(QFile::link(folder + QStringLiteral("/nowhere"), folder + QLatin1Char('/') + entry.mid(1)));
        else
            ASSERT_TRUE(testfiles::writeAll(folder + QLatin1Char('/') + entry, "x"));
    }
}

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.description;
}

class UniqueOutputName : public ::testing::TestWithParam<NameCase> {};

TEST_P(UniqueOutputName, GivesANameThatNoEntryHasYet)
{
    const NameCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    makeEntries(dir.path(), c.entries);
    QString name = QString::fromUtf8(c.base);
    utils::uniqueOutputName(name, dir.path() + QLatin1Char('/'), QStringLiteral("epub"));
    EXPECT_EQ(name, QString::fromUtf8(c.expected)) << c.description;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UniqueOutputName,
    ::testing::Values(
        NameCase{"empty folder", {}, "book", "book.epub"},
        NameCase{"book and book(1)", {"book.epub", "book(1).epub"}, "book", "book(2).epub"},
        NameCase{"numbering goes on from book(3)", {"book(3).epub"}, "book", "book(4).epub"},
        NameCase{"a longer name containing the base counts", {"book.epub", "mybook(7).epub"}, "book", "book(8).epub"},
        NameCase{"other suffixes and names do not count", {"book(5).pdf", "novel.epub"}, "book", "book.epub"},
        NameCase{"the plain name in another case", {"BOOK.EPUB"}, "book", "book(1).epub"},
        NameCase{"a book differing only in case", {"Book.epub"}, "book", "book(1).epub"},
        NameCase{"numbers past ten", {"book(2).epub", "book(10).epub"}, "book", "book(12).epub"},
        NameCase{"a number too long to read counts as none", {"book(123456789012345678901234).epub"}, "book", "book(1).epub"},
        NameCase{"a huge number counts as none", {"book(9223372036854775807).epub"}, "book", "book(1).epub"},
        // the work folder "<name>" beside the book must be new as well
        NameCase{"a folder named like the book", {"Report/"}, "Report", "Report(1).epub"},
        NameCase{"a folder in another case", {"report/"}, "Report", "Report(1).epub"},
        NameCase{"a file without suffix named like the book", {"Report"}, "Report", "Report(1).epub"},
        NameCase{"a dangling link named like the book", {"@Report"}, "Report", "Report(1).epub"},
        NameCase{"the folder of the next number", {"Report.epub", "Report(1)/"}, "Report", "Report(2).epub"},
        NameCase{"folders of several numbers", {"Report/", "Report(1)/", "Report(2)/"}, "Report", "Report(3).epub"},
        NameCase{"a book and its leftover work folder", {"Report(1).epub", "Report(2)/"}, "Report", "Report(3).epub"},
        // the work folder is named by the part before the first "."
        NameCase{"a dot in the base", {"a/"}, "a.b", "a_b.epub"},
        NameCase{"an empty base", {}, "", "untitled.epub"},
        NameCase{"an empty base beside an untitled book", {"untitled.epub"}, "", "untitled(1).epub"}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::to_string(info.index); });

TEST(UniqueOutputNameFolder, MissingFolderGivesThePlainName)
{
    QString name = QStringLiteral("book");
    utils::uniqueOutputName(name, QStringLiteral("/nonexistent/quireflow/out/"), QStringLiteral("epub"));
    EXPECT_EQ(name, QStringLiteral("book.epub"));
}

TEST(UniqueOutputNameFolder, FolderTextEndingInABackslashNamesTheFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(testfiles::writeAll(dir.path() + QStringLiteral("/book.epub"), "x"));
    QString name = QStringLiteral("book");
    utils::uniqueOutputName(name, dir.path() + QLatin1Char('\\'), QStringLiteral("epub"));
    EXPECT_EQ(name, QStringLiteral("book(1).epub"));
}

TEST(UniqueOutputNameFolder, FolderNamedWithPatternMarksIsReadAsIs)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/%1 %2");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/book")));
    QString name = QStringLiteral("book");
    utils::uniqueOutputName(name, folder, QStringLiteral("epub"));
    EXPECT_EQ(name, QStringLiteral("book(1).epub"));
}

struct BookNameCase {
    const char* path;
    const char* bookName;
};

void PrintTo(const BookNameCase& c, std::ostream* os)
{
    *os << c.path;
}

class BookName : public ::testing::TestWithParam<BookNameCase> {};

TEST_P(BookName, DropsEveryPdfSuffixAndReplacesDots)
{
    EXPECT_EQ(utils::bookNameOf(QString::fromUtf8(GetParam().path)), QString::fromUtf8(GetParam().bookName));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BookName,
    ::testing::Values(BookNameCase{"/in/Report.draft.PDF", "Report_draft"},
                      BookNameCase{"a.b.PDF", "a_b"},
                      BookNameCase{"/in/x.pdf.Pdf", "x"},
                      BookNameCase{"/in/.pdf", "untitled"},
                      BookNameCase{"/in/.PDF.pdf", "untitled"},
                      BookNameCase{"/in/..pdf", "_"},
                      BookNameCase{"/in/back\\slash.pdf", "back\\slash"}));

TEST(WorkFolderName, IsTheOutputNameBeforeItsFirstDotBesideTheBook)
{
    EXPECT_EQ(utils::workFolderName(QStringLiteral("Report(2).epub")), QStringLiteral("Report(2)"));
    EXPECT_EQ(utils::workFolderPath(QStringLiteral("/out/"), QStringLiteral("Report.epub")), QStringLiteral("/out/Report"));
    EXPECT_EQ(utils::workFolderPath(QStringLiteral("/out"), QStringLiteral("Report.epub")), QStringLiteral("/out/Report"));
    EXPECT_EQ(utils::workFolderPath(QStringLiteral("/out\\"), QStringLiteral("Report.epub")), QStringLiteral("/out/Report"));
}

} // namespace
