// The converter's own results: a book is reported finished only when every
// page and document was written.
#include "epub_converter.h"
#include "epub_stat.h"
#include "epub_tools.h"
#include "book_helpers.h"
#include "held_folder.h"
#include "leafbinder.h"
#include "testfiles.h"
#include "convert/logwriter.h"
#include "platform/os/regularfile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ns_epub;
using namespace bookhelpers;

namespace {

QString logText()
{
    return QString::fromUtf8(testfiles::readAll(logFilePath()));
}

struct ConverterTest : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<HeldFolder> held;
    PageMaker maker;
    epubPubInfo info;

    // The shared writers start as in a fresh library: what an earlier case
    // loaded must not decide this one.
    void SetUp() override { epubStdMgr::instance()->releaseWriters(); }

    // A book's work folder, held as the book's create holds it.
    QString prepare(epubConverter& converter, const QString& name)
    {
        held = std::make_unique<HeldFolder>(dir.path() + QLatin1Char('/'), name);
        const QString work = held->path();
        epubStdMgr::instance()->setWorkFolder(work);
        converter.setOutputFolder(work);
        converter.setBookName(name);
        return work;
    }
};

TEST_F(ConverterTest, ACompleteBookFinishesEveryStep)
{
    epubConverter converter;
    const QString work = prepare(converter, QStringLiteral("Complete"));
    EXPECT_TRUE(converter.convertPage(maker.textPage(u"one")));
    EXPECT_TRUE(converter.convertPage(maker.page({})));
    EXPECT_FALSE(converter.convertPage(nullptr));
    EXPECT_TRUE(converter.allPagesWritten()) << "a null page is no lost page";
    EXPECT_TRUE(converter.finishBook(&info));
    EXPECT_TRUE(converter.finishManifest());
    EXPECT_TRUE(converter.finishStyleSheet());
    EXPECT_EQ(converter.stat().pageFiles(), (QStringList{QStringLiteral("page-1.html"), QStringLiteral("page-2.html")}));
    EXPECT_TRUE(logText().contains(QStringLiteral("src\\epub_converter(77): in ns_epub::epubConverter::convertPage")));
    EXPECT_EQ(malformedFiles(work), QString());
}

TEST_F(ConverterTest, APageThatCannotBeSavedLeavesTheBookUnfinished)
{
    epubConverter converter;
    prepare(converter, QStringLiteral("Unwritable"));
    // The content folder is replaced by a file: nothing can be saved in it.
    const QString content = dir.path() + QStringLiteral("/Unwritable/OEBPS");
    ASSERT_TRUE(QDir(content).removeRecursively());
    ASSERT_TRUE(testfiles::writeAll(content, "in the way"));

    EXPECT_FALSE(converter.convertPage(maker.textPage(u"lost")));
    EXPECT_FALSE(converter.allPagesWritten());
    EXPECT_FALSE(converter.finishBook(&info) && converter.finishManifest());
    EXPECT_FALSE(converter.finishStyleSheet());

    // The shared writers are back at their templates for the next book.
    epubConverter next;
    const QString work = prepare(next, QStringLiteral("Next"));
    EXPECT_TRUE(next.convertPage(maker.textPage(u"kept")));
    EXPECT_TRUE(next.finishBook(&info));
    EXPECT_TRUE(next.finishManifest());
    EXPECT_EQ(bodyOf(readXml(work + QStringLiteral("/OEBPS/page-1.html"))).text(), QStringLiteral("kept"));
    EXPECT_EQ(children(readXml(work + QStringLiteral("/OEBPS/content.opf")).documentElement()
                           .firstChildElement(QStringLiteral("spine")), QStringLiteral("itemref")).size(), 1);
}

TEST_F(ConverterTest, WithoutTemplatesNothingIsWrittenAndTheNextBookRecovers)
{
    QTemporaryDir elsewhere;
    {
        testfiles::CurrentDir here(elsewhere.path());
        epubConverter converter;
        const QString work = prepare(converter, QStringLiteral("NoTemplates"));
        EXPECT_FALSE(converter.convertPage(maker.textPage(u"x")));
        EXPECT_FALSE(converter.allPagesWritten());
        EXPECT_FALSE(converter.finishBook(&info));
        EXPECT_FALSE(converter.finishManifest());
        EXPECT_TRUE(testfiles::listFiles(work).filter(QStringLiteral(".html")).isEmpty());
        EXPECT_FALSE(QFile::exists(work + QStringLiteral("/OEBPS/content.opf")));
        EXPECT_TRUE(logText().contains(QStringLiteral("src\\epub_xhtml(40): in ns_epub::epubXhtmlWriter::init")));
    }
    epubConverter converter;
    const QString work = prepare(converter, QStringLiteral("Recovered"));
    EXPECT_TRUE(converter.convertPage(maker.textPage(u"y")));
    EXPECT_TRUE(converter.finishBook(&info));
    EXPECT_TRUE(converter.finishManifest());
    EXPECT_EQ(malformedFiles(work), QString());
}

TEST_F(ConverterTest, ACoverSwappedForANamedPipeOnceOpenedGoesIntoTheBookAsItWasChecked)
{
    // Copied as it is, and converted to PNG.
    for (const char* format : {"PNG", "BMP"}) {
        epubConverter converter;
        const QString work = prepare(converter, QLatin1String(format));
        const QString cover = dir.path() + QStringLiteral("/front.") + QLatin1String(format);
        ASSERT_TRUE(writePicture(cover, format));
        const QImage picture(cover);
        // Another user who may write the cover's folder puts a pipe at its
        // name the moment it is open.
        std::unique_ptr<testfiles::Fifo> pipe;
        RegularFile::setOpenedHook([&](const QString& path) {
            if (path == cover && !pipe && QFile::remove(cover))
                pipe = std::make_unique<testfiles::Fifo>(cover);
        });
        info.coverImage = cover.toStdString();
        EXPECT_TRUE(converter.convertPage(maker.textPage(u"one")));
        converter.finishBook(&info);
        RegularFile::setOpenedHook(nullptr);
        ASSERT_TRUE(pipe && pipe->isValid());
        EXPECT_FALSE(pipe->wasOpened()) << format;
        EXPECT_EQ(QImage(work + QStringLiteral("/OEBPS/cover.png")), picture) << format;
    }
}

TEST(ConvertStat, PageNamesCountFromOneAndPictureNamesStayUniqueIgnoringCase)
{
    convertStat stat;
    EXPECT_EQ(stat.nextPageFile(), QStringLiteral("page-1.html"));
    EXPECT_EQ(stat.nextPageFile(), QStringLiteral("page-2.html"));
    EXPECT_EQ(convertStat::pictureId(0), QStringLiteral("img-1"));

    QTemporaryDir dir;
    const HeldFolder held(dir.path() + QLatin1Char('/'), QStringLiteral("Work"));
    epubStdMgr::instance()->setWorkFolder(held.path());
    for (const char* name : {"a/Pic.PNG", "b/pic.png", "c/cover.gif"}) {
        QDir().mkpath(QFileInfo(dir.path() + QLatin1Char('/') + QLatin1String(name)).absolutePath());
        ASSERT_TRUE(writePicture(dir.path() + QLatin1Char('/') + QLatin1String(name), QFileInfo(QLatin1String(name)).suffix().toUpper() == QLatin1String("GIF") ? "GIF" : "PNG"));
    }
    EXPECT_EQ(stat.addPicture(dir.path() + QStringLiteral("/a/Pic.PNG")), QStringLiteral("Pic.png"));
    EXPECT_EQ(stat.addPicture(dir.path() + QStringLiteral("/b/pic.png")), QStringLiteral("pic-2.png"));
    EXPECT_EQ(stat.addPicture(dir.path() + QStringLiteral("/b/../a/Pic.PNG")), QStringLiteral("Pic.png"));
    EXPECT_EQ(stat.addPicture(dir.path() + QStringLiteral("/c/cover.gif")), QStringLiteral("cover-2.gif"));
    EXPECT_EQ(stat.addPicture(dir.path() + QStringLiteral("/a")), QString()) << "a folder is no picture";
    EXPECT_EQ(stat.addPicture(QString()), QString());
    EXPECT_EQ(stat.pictureFiles(), (QStringList{"Pic.png", "pic-2.png", "cover-2.gif"}));
}

} // namespace
