// The task row: where each piece of a task lies (column 6, the literal role
// numbers), what an absent role reads as, and the book information's round
// trip through a row.
#include "app/taskrow.h"

#include <QTreeWidgetItem>

#include <functional>

#include <gtest/gtest.h>

namespace {

struct RoleCase {
    const char* what;
    int role;  // the number written by hand, not taken from the enum
    std::function<void(QTreeWidgetItem*)> write;
    QVariant stored;
};

void PrintTo(const RoleCase& c, std::ostream* os)
{
    *os << c.what;
}

class TaskRowRole : public ::testing::TestWithParam<RoleCase> {};

TEST_P(TaskRowRole, LiesOnTheStatusCellUnderItsLiteralNumber)
{
    const RoleCase& c = GetParam();
    QTreeWidgetItem row;
    c.write(&row);
    EXPECT_EQ(row.data(6, c.role), c.stored) << c.what;
    for (int column = 0; column < 6; ++column)
        EXPECT_FALSE(row.data(column, c.role).isValid()) << c.what << " in column " << column;
    // Qt's own roles of the cell stay untouched.
    EXPECT_TRUE(row.text(6).isEmpty()) << c.what;
    EXPECT_TRUE(row.toolTip(6).isEmpty()) << c.what;
}

const QRect kArea(10, 20, 300, 400);

INSTANTIATE_TEST_SUITE_P(
    Roles, TaskRowRole,
    ::testing::Values(
        RoleCase{"status", 33, [](QTreeWidgetItem* r) { taskrow::setStatus(r, taskrow::StatusWaiting); }, 54},
        RoleCase{"progress", 34, [](QTreeWidgetItem* r) { taskrow::setProgressText(r, "12.50"); }, QString("12.50")},
        RoleCase{"pdf path", 72, [](QTreeWidgetItem* r) { taskrow::setPdfPath(r, "/in/a.pdf"); }, QString("/in/a.pdf")},
        RoleCase{"page list", 73, [](QTreeWidgetItem* r) { taskrow::setPageList(r, {"1", "2"}); }, QStringList{"1", "2"}},
        RoleCase{"output name", 74, [](QTreeWidgetItem* r) { taskrow::setOutputName(r, "a.epub"); }, QString("a.epub")},
        RoleCase{"output folder", 75, [](QTreeWidgetItem* r) { taskrow::setOutputFolder(r, "/out/"); }, QString("/out/")},
        RoleCase{"area", 76, [](QTreeWidgetItem* r) { taskrow::setArea(r, kArea); }, kArea},
        RoleCase{"label area", 77, [](QTreeWidgetItem* r) { taskrow::setLabelArea(r, kArea); }, kArea},
        RoleCase{"zoom", 78, [](QTreeWidgetItem* r) { taskrow::setConversionZoom(r, 200); }, 200},
        RoleCase{"password", 132, [](QTreeWidgetItem* r) { taskrow::setPassword(r, "secret"); }, QString("secret")}),
    [](const ::testing::TestParamInfo<RoleCase>& info) { return "role" + std::to_string(info.param.role); });

TEST(TaskRow, NewRowReadsEveryAbsentRoleAsEmpty)
{
    QTreeWidgetItem row;
    EXPECT_EQ(taskrow::status(&row), taskrow::StatusNew);
    EXPECT_EQ(taskrow::conversionZoom(&row), 0);
    EXPECT_TRUE(taskrow::area(&row).isNull());
    EXPECT_EQ(taskrow::area(&row), QRect(QPoint(0, 0), QPoint(-1, -1)));
    EXPECT_TRUE(taskrow::labelArea(&row).isNull());
    EXPECT_FALSE(taskrow::hasPassword(&row));
    EXPECT_TRUE(taskrow::pageList(&row).isEmpty());
    EXPECT_EQ(taskrow::bookInfo(&row), BookInfo());
}

TEST(TaskRow, EmptyPasswordIsPresentUnlikeNone)
{
    QTreeWidgetItem row;
    taskrow::setPassword(&row, QString(""));
    EXPECT_TRUE(taskrow::hasPassword(&row));
    EXPECT_TRUE(row.data(6, 132).isValid());
    EXPECT_EQ(taskrow::password(&row), QString());
}

TEST(TaskRow, PageCountAndPageTextComeFromTheCells)
{
    QTreeWidgetItem row;
    row.setText(3, "12");
    row.setText(5, "1,3,5-7");
    EXPECT_EQ(taskrow::pageCount(&row), 12);
    EXPECT_EQ(taskrow::pageText(&row), QStringLiteral("1,3,5-7"));
    row.setText(3, "-1");
    EXPECT_EQ(taskrow::pageCount(&row), -1);
    row.setText(3, "many");
    EXPECT_EQ(taskrow::pageCount(&row), 0);
}

TEST(TaskRow, DefaultTitleIsTheFileNameUpToItsLastDot)
{
    EXPECT_EQ(taskrow::defaultTitle("report.final.pdf"), QStringLiteral("report.final"));
    EXPECT_EQ(taskrow::defaultTitle("README"), QStringLiteral("README"));
    EXPECT_EQ(taskrow::defaultTitle(".pdf"), QString());
}

BookInfo fullInfo()
{
    BookInfo info;
    info.title = "Title";
    info.author = "Author";
    info.isbn = "978-3-16-148410-0";
    info.publisher = "Publisher";
    info.publishDate = "2024-05-01";
    info.series = "Series";
    info.seriesIndex = 4;
    info.comments = "Line one\nLine two";
    info.coverPath = "/pictures/cover.jpg";
    return info;
}

TEST(BookInfoRow, FieldKLiesUnderRole79PlusK)
{
    QTreeWidgetItem row;
    taskrow::setBookInfo(&row, fullInfo());
    const QVariant expected[] = {QString("Title"),     QString("Author"),     QString("978-3-16-148410-0"),
                                 QString("Publisher"), QString("2024-05-01"), QString("Series"),
                                 4,                    QString("Line one\nLine two"),
                                 QString("/pictures/cover.jpg")};
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(row.data(6, 79 + k), expected[k]) << "field " << k;
    EXPECT_EQ(row.data(6, 85).typeId(), QMetaType::Int);
}

TEST(BookInfoRow, RoundTripKeepsEveryField)
{
    QTreeWidgetItem row;
    taskrow::setBookInfo(&row, fullInfo());
    EXPECT_EQ(taskrow::bookInfo(&row), fullInfo());

    BookInfo changed = fullInfo();
    changed.seriesIndex = 0;
    changed.comments.clear();
    taskrow::setBookInfo(&row, changed);
    EXPECT_EQ(taskrow::bookInfo(&row), changed);
}

TEST(BookInfoRow, WrittenEmptyFieldsArePresentUnlikeAbsentOnes)
{
    QTreeWidgetItem row;
    for (int role = 79; role <= 87; ++role)
        EXPECT_FALSE(row.data(6, role).isValid()) << role;
    taskrow::setBookInfo(&row, BookInfo());
    for (int role = 79; role <= 87; ++role)
        EXPECT_TRUE(row.data(6, role).isValid()) << role;
    EXPECT_EQ(row.data(6, 79), QVariant(QString()));
    EXPECT_EQ(row.data(6, 85), QVariant(0));
    EXPECT_EQ(taskrow::bookInfo(&row), BookInfo());
}

// A row as the task list adds it: the title from the file name, the other
// texts empty, no series index.
TEST(BookInfoRow, RowOfANewFileReadsWithSeriesIndexZero)
{
    QTreeWidgetItem row;
    row.setData(6, 79, taskrow::defaultTitle("report.final.pdf"));
    for (int role : {80, 81, 82, 83, 84, 86, 87})
        row.setData(6, role, QString(""));
    const BookInfo info = taskrow::bookInfo(&row);
    EXPECT_EQ(info.title, QStringLiteral("report.final"));
    EXPECT_TRUE(info.author.isEmpty());
    EXPECT_TRUE(info.coverPath.isEmpty());
    EXPECT_EQ(info.seriesIndex, 0);
    EXPECT_FALSE(row.data(6, 85).isValid());
}

TEST(BookInfoRow, NullRowReadsEmptyAndIsLeftAlone)
{
    EXPECT_EQ(taskrow::bookInfo(nullptr), BookInfo());
    taskrow::setBookInfo(nullptr, fullInfo());
    taskrow::setStatus(nullptr, 57);
    EXPECT_EQ(taskrow::status(nullptr), 0);
}

} // namespace
