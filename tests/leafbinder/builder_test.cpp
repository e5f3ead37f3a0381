// The book builder as a program sees it: which creator variant a
// configuration picks, and what happens when calls come in an odd order.
#include "epub_page.h"
#include "leafbinder.h"
#include "fixed_field.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iterator>

using ns_epub::epubCreationConfig;
using ns_epub::epubPubInfo;
using ns_epub::leafbinder;

namespace {

struct BookFixture : ::testing::Test {
    QTemporaryDir dir;
    epubPubInfo info;
    epubCreationConfig config;

    void configure(bool fromPages, const QString& outputFolder, const QString& bookName)
    {
        config.buildFromPages = fromPages ? 1 : 0;
        ASSERT_TRUE(ns_epub::setFieldText(config.outputFolder, outputFolder));
        ASSERT_TRUE(ns_epub::setFieldText(config.bookName, bookName));
        config.pubInfo = &info;
    }
    QString out() const { return dir.path() + QLatin1Char('/'); }
};

// How many entries the library's own log holds for a function.
int logEntries(const char* function)
{
    const QStringList logs =
        QDir(QDir::tempPath()).entryList({QStringLiteral("libleafbinder*.1.log")}, QDir::Files);
    if (logs.isEmpty())
        return 0;
    const QByteArray log = testfiles::readAll(QDir::tempPath() + QLatin1Char('/') + logs.first());
    return int(log.count(QByteArray(": in ") + function + " : "));
}

TEST_F(BookFixture, CallsBeforeAnyCreateDoNothing)
{
    leafbinder builder;
    ns_epub::epubPage page;
    builder.addEpubData(&page);
    builder.setEpubDir("somewhere");
    EXPECT_FALSE(builder.close());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(BookFixture, BuildFromFileCopiesTheTemplateAndMakesNoBook)
{
    configure(false, out(), QStringLiteral("Report"));
    leafbinder builder;
    builder.create(&config);
    builder.setEpubDir("/nowhere");
    ns_epub::epubPage page;
    builder.addEpubData(&page);
    EXPECT_FALSE(builder.close());

    const QString work = out() + QStringLiteral("Report");
    const QStringList files = testfiles::listFiles(work);
    EXPECT_TRUE(files.contains(QStringLiteral("OEBPS/content.opf"))) << files.join(',').toStdString();
    EXPECT_FALSE(files.contains(QStringLiteral("OEBPS/template.html")));
    EXPECT_TRUE(files.contains(QStringLiteral("META-INF/container.xml")));
    EXPECT_FALSE(files.contains(QStringLiteral("mimetype")));
    EXPECT_FALSE(QFileInfo::exists(out() + QStringLiteral("Report.epub")));
}

TEST_F(BookFixture, WorkFolderIsOutputFolderAndBookNameJoinedAsTheyStand)
{
    // Without a trailing separator the work folder lands beside the output
    // folder, its last component run together with the book name.
    configure(false, dir.path() + QStringLiteral("/out"), QStringLiteral("Book"));
    leafbinder builder;
    builder.create(&config);
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/outBook/OEBPS")).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/out")));
}

TEST_F(BookFixture, EachCreateStartsANewBookAndTheBookGivenUpTakesItsWorkFolderAlong)
{
    leafbinder builder;
    configure(false, out(), QStringLiteral("First"));
    builder.create(&config);
    EXPECT_TRUE(QFileInfo(out() + QStringLiteral("First/OEBPS")).isDir());
    epubCreationConfig second = config;
    ASSERT_TRUE(ns_epub::setFieldText(second.bookName, QStringLiteral("Second")));
    second.buildFromPages = 1;
    builder.create(&second);
    EXPECT_FALSE(QFileInfo::exists(out() + QStringLiteral("First")));
    EXPECT_TRUE(QFileInfo(out() + QStringLiteral("Second/OEBPS")).isDir());
    builder = leafbinder();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(BookFixture, CopiedBuildersShareOneVariantAndReleaseItOnce)
{
    // Run under AddressSanitizer, a variant deleted twice fails here.
    configure(false, out(), QStringLiteral("Shared"));
    auto* original = new leafbinder;
    original->create(&config);
    leafbinder copy(*original);
    leafbinder assigned;
    assigned = *original;
    assigned = assigned;
    delete original;
    copy.setEpubDir("x");
    EXPECT_FALSE(copy.close());
    EXPECT_FALSE(assigned.close());
    // Replacing the shared variant in one copy leaves the other's intact.
    copy.create(&config);
    EXPECT_FALSE(assigned.close());
}

TEST_F(BookFixture, CreateRefusesNamesThatLeaveTheFolderAndNamesAlreadyTaken)
{
    const QString output = out() + QStringLiteral("out/");
    ASSERT_TRUE(QDir().mkpath(output + QStringLiteral("Taken/OEBPS")));
    ASSERT_TRUE(testfiles::writeAll(output + QStringLiteral("Taken/OEBPS/page-1.html"), "the user's own"));
    ASSERT_TRUE(QFile::link(out() + QStringLiteral("nowhere"), output + QStringLiteral("Dangling")));
    const int logged = logEntries("ns_epub::leafbinderImp::setEpubConfig");
    const char* const names[] = {"", ".", "..", "../outside/evil", "sub/book", "Taken", "Dangling"};
    for (const char* name : names) {
        configure(true, output, QString::fromUtf8(name));
        leafbinder builder;
        builder.create(&config);
        ns_epub::epubPage page;
        builder.addEpubData(&page);
        EXPECT_FALSE(builder.close()) << name;
    }
    EXPECT_EQ(logEntries("ns_epub::leafbinderImp::setEpubConfig") - logged, int(std::size(names)));
    EXPECT_EQ(testfiles::readAll(output + QStringLiteral("Taken/OEBPS/page-1.html")), QByteArray("the user's own"));
    EXPECT_EQ(QDir(output).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("Dangling"), QStringLiteral("Taken")}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("out")});
}

} // namespace
