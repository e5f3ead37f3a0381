// The document writers' shared behaviour: loading templates from the current
// folder, saving, and returning to the template whatever happened.
#include "epub_ncx.h"
#include "epub_opf.h"
#include "epub_xml.h"
#include "book_helpers.h"
#include "held_folder.h"
#include "testfiles.h"
#include "convert/logwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ns_epub;
using namespace bookhelpers;

namespace {

QString logText()
{
    return QString::fromUtf8(testfiles::readAll(logFilePath()));
}

// A folder holding a copy of the template folder, to be made current.
struct TemplateCopy {
    QTemporaryDir dir;
    TemplateCopy()
    {
        QDir().mkpath(dir.path() + QStringLiteral("/epubTemplate/OEBPS"));
        for (const char* file : {"OEBPS/content.opf", "OEBPS/toc.ncx", "OEBPS/template.html"})
            QFile::copy(QStringLiteral("epubTemplate/") + QLatin1String(file),
                        dir.path() + QStringLiteral("/epubTemplate/") + QLatin1String(file));
    }
    QString path(const QString& file) const { return dir.path() + QStringLiteral("/epubTemplate/OEBPS/") + file; }
};

TEST(XmlSafeText, DropsWhatXmlForbidsAndKeepsEverythingElse)
{
    QString text = QStringLiteral("a\x01" "b\tc\nd\re\x1f" "f");
    text += QChar(0xD800);
    text += QStringLiteral("g");
    text += QChar(0xDC00);
    text += QChar(0xFFFE);
    text += QChar(0xFFFF);
    text += QString::fromUtf16(u"\u00e9\U0001F600\uFFFD");
    EXPECT_EQ(xmlSafeText(text), QStringLiteral("ab\tc\nd\ref") + QStringLiteral("g") + QString::fromUtf16(u"\u00e9\U0001F600\uFFFD"));
    // A low surrogate before a high one is two lone halves.
    QString swapped;
    swapped += QChar(0xDC00);
    swapped += QChar(0xD800);
    EXPECT_TRUE(xmlSafeText(swapped).isEmpty());
}

// Where the writers save: a book's work folder.
struct BookFolder {
    QTemporaryDir dir;
    HeldFolder held{dir.path() + QLatin1Char('/'), QStringLiteral("book")};
    QString path() const { return held.path(); }
};

TEST(XmlWriter, SavingReturnsTheWriterToItsTemplate)
{
    BookFolder out;
    epubOpfWriter writer;
    ASSERT_TRUE(writer.isReady());
    writer.addManifestItem(QStringLiteral("a"), QStringLiteral("a.html"), 2);
    writer.addGuideReference(QStringLiteral("t"), QStringLiteral("a.html"), 0);
    ASSERT_TRUE(writer.save(out.path() + QStringLiteral("/first.opf")));

    const QDomDocument first = readXml(out.path() + QStringLiteral("/first.opf"));
    EXPECT_EQ(children(first.documentElement().firstChildElement(QStringLiteral("manifest")), QStringLiteral("item")).size(), 1);

    ASSERT_TRUE(writer.save(out.path() + QStringLiteral("/second.opf")));
    const QDomDocument second = readXml(out.path() + QStringLiteral("/second.opf"));
    EXPECT_TRUE(children(second.documentElement().firstChildElement(QStringLiteral("manifest")), QStringLiteral("item")).isEmpty());
    EXPECT_TRUE(second.documentElement().firstChildElement(QStringLiteral("guide")).isNull());
}

// Entries made only as the document is written come out exactly as the same
// entries added one by one, in their place among the others.
TEST(XmlWriter, EntriesMadeAtTheSaveReadAsEntriesAddedOneByOne)
{
    BookFolder out;
    const auto item = [](int i) { return manifestItem{QStringLiteral("p%1").arg(i), QStringLiteral("p%1.html").arg(i), 2}; };
    epubOpfWriter opf;
    epubNcxWriter ncx;
    for (const bool atSave : {false, true}) {
        opf.addManifestItem(QStringLiteral("first"), QStringLiteral("first.css"), 1);
        ncx.addPagePoint(QStringLiteral("cover"), QStringLiteral("cover.html"));
        if (atSave) {
            opf.addManifestItems(3, item);
            opf.addSpineItems(3, [&item](int i) { return item(i).id; });
            ncx.addPagePoints(3, [&item](int i) { return pagePoint{item(i).id, item(i).href}; });
        }
        for (int i = 0; i < 3 && !atSave; ++i) {
            opf.addManifestItem(item(i).id, item(i).href, item(i).type);
            opf.addSpineItem(item(i).id);
            ncx.addPagePoint(item(i).id, item(i).href);
        }
        opf.addManifestItem(QStringLiteral("last"), QStringLiteral("last.css"), 1);
        ncx.addPagePoint(QStringLiteral("end"), QStringLiteral("end.html"));
        const QString name = out.path() + (atSave ? QStringLiteral("/at-save") : QStringLiteral("/one-by-one"));
        ASSERT_TRUE(opf.save(name + QStringLiteral(".opf")));
        ASSERT_TRUE(ncx.save(name + QStringLiteral(".ncx")));
    }
    for (const char* suffix : {".opf", ".ncx"})
        EXPECT_EQ(testfiles::readAll(out.path() + QStringLiteral("/at-save") + QLatin1String(suffix)),
                  testfiles::readAll(out.path() + QStringLiteral("/one-by-one") + QLatin1String(suffix)));
    const QDomDocument saved = readXml(out.path() + QStringLiteral("/at-save.ncx"));
    EXPECT_EQ(children(saved.documentElement().firstChildElement(QStringLiteral("navMap")), QStringLiteral("navPoint")).size(), 5);
}

TEST(XmlWriter, AFailedSaveIsLoggedWithItsPathAndStillResets)
{
    BookFolder out;
    epubNcxWriter writer;
    writer.addPagePoint(QStringLiteral("page-0"), QStringLiteral("page-1.html"));
    const QString target = out.path() + QStringLiteral("/no/such/folder/toc.ncx");
    EXPECT_FALSE(writer.save(target));
    const QString log = logText();
    EXPECT_TRUE(log.contains(QStringLiteral("src\\epub_xml(81): in ns_epub::epubXmlWriter::save")));
    EXPECT_TRUE(log.contains(target + QLatin1Char('\n')));
    EXPECT_EQ(writer.playCounter(), 0);

    ASSERT_TRUE(writer.save(out.path() + QStringLiteral("/toc.ncx")));
    const QDomDocument saved = readXml(out.path() + QStringLiteral("/toc.ncx"));
    EXPECT_TRUE(children(saved.documentElement().firstChildElement(QStringLiteral("navMap")), QStringLiteral("navPoint")).isEmpty());
}

TEST(XmlWriter, WithoutItsTemplateAWriterWritesNothingAndRecoversLater)
{
    TemplateCopy copy;
    QTemporaryDir empty;
    BookFolder out;
    {
        testfiles::CurrentDir here(empty.path());
        epubOpfWriter writer;
        EXPECT_FALSE(writer.isReady());
        EXPECT_FALSE(writer.addManifestItem(QStringLiteral("a"), QStringLiteral("a"), 2));
        EXPECT_FALSE(writer.save(out.path() + QStringLiteral("/content.opf")));
        EXPECT_FALSE(QFile::exists(out.path() + QStringLiteral("/content.opf"))) << "no empty file";
        EXPECT_TRUE(logText().contains(QStringLiteral("src\\epub_xml(222): in ns_epub::epubOpfWriter::init")));
        EXPECT_TRUE(logText().contains(QStringLiteral("src\\epub_xml(219): in ns_epub::epubOpfWriter::init")));

        // Once the template can be found, the next reset picks it up.
        testfiles::CurrentDir there(copy.dir.path());
        EXPECT_TRUE(writer.reset());
        EXPECT_TRUE(writer.isReady());
        EXPECT_TRUE(writer.addManifestItem(QStringLiteral("a"), QStringLiteral("a"), 2));
    }
}

TEST(XmlWriter, ATemplateEditedOnDiskTakesEffectAtTheNextResetAndALostOneIsRemembered)
{
    TemplateCopy copy;
    BookFolder out;
    testfiles::CurrentDir here(copy.dir.path());
    epubNcxWriter writer;
    ASSERT_TRUE(writer.isReady());

    QByteArray edited = testfiles::readAll(copy.path(QStringLiteral("toc.ncx")));
    edited.replace("<text>book</text>", "<text>edited</text>");
    ASSERT_TRUE(testfiles::writeAll(copy.path(QStringLiteral("toc.ncx")), edited));
    ASSERT_TRUE(writer.save(out.path() + QStringLiteral("/a.ncx")));   // resets
    ASSERT_TRUE(writer.save(out.path() + QStringLiteral("/b.ncx")));
    EXPECT_EQ(readXml(out.path() + QStringLiteral("/a.ncx")).documentElement().firstChildElement(QStringLiteral("docTitle")).text(),
              QStringLiteral("book"));
    EXPECT_EQ(readXml(out.path() + QStringLiteral("/b.ncx")).documentElement().firstChildElement(QStringLiteral("docTitle")).text(),
              QStringLiteral("edited"));

    // A template that disappears: the last one read still serves.
    ASSERT_TRUE(QFile::remove(copy.path(QStringLiteral("toc.ncx"))));
    EXPECT_TRUE(writer.reset());
    EXPECT_TRUE(writer.addPagePoint(QStringLiteral("page-0"), QStringLiteral("page-1.html")));
    ASSERT_TRUE(writer.save(out.path() + QStringLiteral("/c.ncx")));
    EXPECT_EQ(readXml(out.path() + QStringLiteral("/c.ncx")).documentElement().firstChildElement(QStringLiteral("docTitle")).text(),
              QStringLiteral("edited"));
}

TEST(XmlWriter, PackageDatesFollowTheW3cForm)
{
    EXPECT_EQ(epubOpfWriter::packageDate(QStringLiteral("2020-02-29")), QStringLiteral("2020-02-29"));
    EXPECT_EQ(epubOpfWriter::packageDate(QStringLiteral("2021-02-29")), QString());
    EXPECT_EQ(epubOpfWriter::packageDate(QStringLiteral(" 2021.3.4 ")), QStringLiteral("2021-03-04"));
    EXPECT_EQ(epubOpfWriter::packageDate(QStringLiteral("2021-13")), QString());
    EXPECT_EQ(epubOpfWriter::packageDate(QStringLiteral("2021-12-01T08:00+01:00")), QStringLiteral("2021-12-01T08:00+01:00"));
    EXPECT_EQ(epubOpfWriter::packageDate(QStringLiteral("21-12-01")), QString());
    EXPECT_EQ(epubOpfWriter::guideType(0), QStringLiteral("cover"));
    EXPECT_EQ(epubOpfWriter::guideType(16), QStringLiteral("text"));
    EXPECT_EQ(epubOpfWriter::guideType(17), QString());
}

} // namespace
