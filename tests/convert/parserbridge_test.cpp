// The bridge between parser and book builder: the page callback and the
// filling of the parser's request, whose fixed fields refuse what does not fit.
#include "convert/parserbridge.h"

#include "convert/logwriter.h"
#include "book_helpers.h"
#include "leafbinder/src/epub_page.h"
#include "leafbinder/src/fixed_field.h"
#include "leafbinder/src/leafbinder.h"
#include "platform/pagesift/pdfparseconf.h"
#include "platform/pagesift/pdfparseprogress.h"
#include "platform/pagesift/pdfparser.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ParseRequest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_dir.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("TMPDIR", m_oldTmp); }

    QByteArray log() const { return testfiles::readAll(logFilePath()); }

    QTemporaryDir m_dir;
    QByteArray m_oldTmp;
};

bool isEmptyRequest(const conversion::pdfParseConf& request)
{
    return ns_epub::fieldText(request.sourcePath).isEmpty() && ns_epub::fieldText(request.password1).isEmpty()
        && ns_epub::fieldText(request.password2).isEmpty() && request.pages.empty() && !request.parseFlag;
}

TEST_F(ParseRequest, ValuesThatFitFillTheFields)
{
    conversion::pdfParseConf request;
    const QString path = QStringLiteral("/home/anna/Bücher/Straße 𝔸.pdf");
    const QString password = QString(63, QChar(0xE4)) + QLatin1Char('x');   // 127 bytes of UTF-8
    ASSERT_TRUE(fillParseRequest(request, path, password, QString(), {3, 1, 3}));
    EXPECT_EQ(ns_epub::fieldText(request.sourcePath), path);
    EXPECT_EQ(QString::fromUtf8(request.password1), password);
    EXPECT_EQ(request.password2[0], 0) << "an empty password leaves its field zero";
    EXPECT_EQ(request.pages, std::vector<int>({3, 1, 3}));
    EXPECT_FALSE(request.parseFlag);
    EXPECT_TRUE(log().isEmpty());

    const QString longest = QLatin1Char('/') + QString(258, QLatin1Char('p'));
    ASSERT_TRUE(fillParseRequest(request, longest, QString(), QString(), {}));
    EXPECT_EQ(ns_epub::fieldText(request.sourcePath), longest);
}

TEST_F(ParseRequest, AValueThatDoesNotFitIsRefusedLoggedAndEmptiesTheRequest)
{
    const QString tooLongPath = QLatin1Char('/') + QString(259, QLatin1Char('p'));
    const QString tooLongPassword = QString(64, QChar(0xE4));   // 128 bytes of UTF-8
    const struct {
        QString path, password1, password2;
        const char* field;
    } cases[] = {
        {tooLongPath, QString(), QString(), "sourcePath"},
        {QStringLiteral("/a.pdf"), tooLongPassword, QString(), "password1"},
        {QStringLiteral("/a.pdf"), QStringLiteral("ok"), tooLongPassword, "password2"},
    };
    for (const auto& c : cases) {
        QFile::remove(logFilePath());
        conversion::pdfParseConf request;
        EXPECT_FALSE(fillParseRequest(request, c.path, c.password1, c.password2, {1, 2}));
        EXPECT_TRUE(isEmptyRequest(request)) << c.field;
        const QList<QByteArray> lines = log().split('\n');
        ASSERT_GE(lines.size(), 2) << c.field;
        EXPECT_TRUE(lines[0].startsWith(".\\parserbridge(")) << lines[0].constData();
        EXPECT_TRUE(lines[0].contains(": in fillParseRequest : ")) << lines[0].constData();
        EXPECT_TRUE(lines[1].startsWith(c.field)) << lines[1].constData();
        EXPECT_FALSE(log().contains(tooLongPassword.toUtf8())) << "no password in the log";
    }
}

// A request that could not be filled names no document: the parse of it
// fails instead of converting something else.
TEST_F(ParseRequest, ARefusedRequestMakesTheParseFail)
{
    struct Progress : conversion::pdfParseProgress {
        std::vector<bool> calls;
        void setSuccess(bool value) override { calls.push_back(value); }
    } progress;
    conversion::pdfParseConf request;
    ASSERT_FALSE(fillParseRequest(request, QStringLiteral("/a.pdf"), QString(64, QChar(0xE4)), QString(), {1}));
    conversion::pdfParser parser(nullptr);
    parser.setParseProgress(&progress);
    parser.parse(&request);
    EXPECT_EQ(progress.calls, std::vector<bool>({false}));
}

// Each page is written into the open book's work folder before the call
// returns.
TEST(AddPageToBook, HandsEveryPageOnAndReturnsTrue)
{
    QTemporaryDir dir;
    ns_epub::epubPubInfo info;
    ns_epub::epubCreationConfig config;
    config.buildFromPages = 1;
    config.pubInfo = &info;
    ASSERT_TRUE(ns_epub::setFieldText(config.outputFolder, dir.path() + QLatin1Char('/')));
    ASSERT_TRUE(ns_epub::setFieldText(config.bookName, QStringLiteral("book")));
    g_leafbinder.create(&config);

    bookhelpers::PageMaker maker;
    EXPECT_TRUE(addPageToBook(maker.textPage(u"first page")));
    EXPECT_TRUE(addPageToBook(maker.textPage(u"second page")));
    const QString pages = dir.filePath(QStringLiteral("book/OEBPS/"));
    EXPECT_TRUE(testfiles::readAll(pages + QStringLiteral("page-1.html")).contains("first page"));
    EXPECT_TRUE(testfiles::readAll(pages + QStringLiteral("page-2.html")).contains("second page"));
    // Given up as the worker does, so no later test finds it open.
    g_leafbinder = ns_epub::leafbinder();
}

} // namespace
