// The package document, the navigation document and the cover of a book,
// read back from the work folder with an XML parser.
#include "book_fixture.h"
#include "testfiles.h"

#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

using namespace bookhelpers;

namespace {

struct Package {
    QDomElement root, metadata, manifest, spine, guide;
    explicit Package(const QDomDocument& document)
        : root(document.documentElement())
        , metadata(root.firstChildElement(QStringLiteral("metadata")))
        , manifest(root.firstChildElement(QStringLiteral("manifest")))
        , spine(root.firstChildElement(QStringLiteral("spine")))
        , guide(root.firstChildElement(QStringLiteral("guide")))
    {
    }
    QStringList manifestIds() const { return attributes(manifest, QStringLiteral("item"), QStringLiteral("id")); }
    QStringList spineIds() const { return attributes(spine, QStringLiteral("itemref"), QStringLiteral("idref")); }
    QString mediaTypeOf(const QString& href) const
    {
        for (const QDomElement& item : children(manifest, QStringLiteral("item"))) {
            if (item.attribute(QStringLiteral("href")) == href)
                return item.attribute(QStringLiteral("media-type"));
        }
        return QString();
    }
    QString bookId() const
    {
        const QString id = root.attribute(QStringLiteral("unique-identifier"));
        for (const QDomElement& element : children(metadata, QStringLiteral("identifier"))) {
            if (element.attribute(QStringLiteral("id")) == id)
                return element.text();
        }
        return QString();
    }
    static QStringList attributes(const QDomElement& parent, const QString& tag, const QString& name)
    {
        QStringList values;
        for (const QDomElement& element : children(parent, tag))
            values << element.attribute(name);
        return values;
    }
};

struct Navigation {
    QList<QDomElement> points;
    QString uid;
    explicit Navigation(const QDomDocument& document)
    {
        const QDomElement root = document.documentElement();
        points = children(root.firstChildElement(QStringLiteral("navMap")), QStringLiteral("navPoint"));
        for (const QDomElement& meta : children(root.firstChildElement(QStringLiteral("head")), QStringLiteral("meta"))) {
            if (meta.attribute(QStringLiteral("name")) == QLatin1String("dtb:uid"))
                uid = meta.attribute(QStringLiteral("content"));
        }
    }
    QStringList column(const QString& what) const
    {
        QStringList values;
        for (const QDomElement& point : points) {
            if (what == QLatin1String("label"))
                values << point.firstChildElement(QStringLiteral("navLabel")).text();
            else if (what == QLatin1String("src"))
                values << point.firstChildElement(QStringLiteral("content")).attribute(QStringLiteral("src"));
            else
                values << point.attribute(what);
        }
        return values;
    }
};

void fillInfo(ns_epub::epubPubInfo& info)
{
    info.title = "Title";
    info.identifier = "978-3-16-148410-0";
    info.subject = "History";
    info.relation = "Relation";
    info.description = "About it";
    info.creator = "Author";
    info.publisher = "Publisher";
    info.rights = "Rights";
    info.date = "2023-05-01";
}

TEST_F(BookTest, MetadataFollowsTheTemplateInItsFixedOrder)
{
    fillInfo(info);
    startBook(QStringLiteral("Meta"));
    add(maker.textPage(u"x"));
    finishBook();

    const Package opf(xml(QStringLiteral("content.opf")));
    QStringList names, texts;
    for (QDomElement e = opf.metadata.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        names << e.prefix() + QLatin1Char(':') + e.localName();
        texts << e.text();
    }
    EXPECT_EQ(names, (QStringList{"dc:language", "dc:identifier", "dc:title", "dc:identifier", "dc:subject",
                                  "dc:relation", "dc:description", "dc:creator", "dc:publisher", "dc:rights",
                                  "dc:date"}));
    EXPECT_EQ(texts.mid(2), (QStringList{"Title", "978-3-16-148410-0", "History", "Relation", "About it",
                                         "Author", "Publisher", "Rights", "2023-05-01"}));
    EXPECT_EQ(children(opf.metadata, QStringLiteral("title"))[0].namespaceURI(),
              QStringLiteral("http://purl.org/dc/elements/1.1/"));
    EXPECT_TRUE(children(opf.metadata, QStringLiteral("meta")).isEmpty());
}

TEST_F(BookTest, EmptyBookInformationFallsBackToTheBookNameAndLeavesOutIdentifierAndDate)
{
    startBook(QStringLiteral("Nameless Book"));
    add(maker.textPage(u"x"));
    finishBook();

    const Package opf(xml(QStringLiteral("content.opf")));
    EXPECT_EQ(children(opf.metadata, QStringLiteral("title"))[0].text(), QStringLiteral("Nameless Book"));
    EXPECT_EQ(children(opf.metadata, QStringLiteral("identifier")).size(), 1) << "only the book's own";
    EXPECT_TRUE(children(opf.metadata, QStringLiteral("date")).isEmpty());
    for (const char* name : {"subject", "relation", "description", "creator", "publisher", "rights"}) {
        const QList<QDomElement> found = children(opf.metadata, QString::fromLatin1(name));
        ASSERT_EQ(found.size(), 1) << name;
        EXPECT_TRUE(found[0].text().isEmpty()) << name;
    }
}

TEST_F(BookTest, ADateIsWrittenOnlyInThePackageForm)
{
    const QList<QPair<std::string, QString>> cases = {
        {"2023/5/1", QStringLiteral("2023-05-01")}, {"2023", QStringLiteral("2023")},
        {"2023-07", QStringLiteral("2023-07")}, {"2023-02-30", QString()}, {"yesterday", QString()},
        {"01.05.2023", QString()}, {"2023-05-01T10:20:30Z", QStringLiteral("2023-05-01T10:20:30Z")}};
    int n = 0;
    for (const auto& c : cases) {
        info.date = c.first;
        startBook(QStringLiteral("Date%1").arg(++n));
        add(maker.textPage(u"x"));
        finishBook();
        const QList<QDomElement> dates = children(Package(xml(QStringLiteral("content.opf"))).metadata, QStringLiteral("date"));
        if (c.second.isEmpty()) {
            EXPECT_TRUE(dates.isEmpty()) << c.first;
        } else {
            ASSERT_EQ(dates.size(), 1) << c.first;
            EXPECT_EQ(dates[0].text(), c.second);
        }
    }
}

TEST_F(BookTest, WithoutACoverTheManifestStartsWithTheNavigationDocumentAndPagesCountFromOne)
{
    const QString picture = makePicture(QStringLiteral("shot.png"), "PNG");
    startBook(QStringLiteral("Plain"));
    add(maker.textPage(u"a"));
    add(maker.page({}, {maker.picture(picture)}));
    add(maker.textPage(u"c"));
    finishBook();

    const Package opf(xml(QStringLiteral("content.opf")));
    EXPECT_EQ(opf.manifestIds(), (QStringList{"ncx", "css", "img-1", "page-0", "page-1", "page-2"}));
    EXPECT_EQ(Package::attributes(opf.manifest, QStringLiteral("item"), QStringLiteral("href")),
              (QStringList{"toc.ncx", "sheetstyle.css", "shot.png", "page-1.html", "page-2.html", "page-3.html"}));
    EXPECT_EQ(opf.mediaTypeOf(QStringLiteral("toc.ncx")), QStringLiteral("application/x-dtbncx+xml"));
    EXPECT_EQ(opf.mediaTypeOf(QStringLiteral("sheetstyle.css")), QStringLiteral("text/css"));
    EXPECT_EQ(opf.mediaTypeOf(QStringLiteral("page-2.html")), QStringLiteral("application/xhtml+xml"));
    EXPECT_EQ(opf.spineIds(), (QStringList{"page-0", "page-1", "page-2"}));
    EXPECT_EQ(opf.spine.attribute(QStringLiteral("toc")), QStringLiteral("ncx"));
    for (const QDomElement& ref : children(opf.spine, QStringLiteral("itemref")))
        EXPECT_EQ(ref.attribute(QStringLiteral("linear")), QStringLiteral("yes"));
    EXPECT_TRUE(opf.guide.isNull()) << "an empty guide is not allowed";
    EXPECT_FALSE(QFile::exists(content(QStringLiteral("__epub_cover_auto__.html"))));

    const Navigation ncx(xml(QStringLiteral("toc.ncx")));
    EXPECT_EQ(ncx.column(QStringLiteral("id")), (QStringList{"navPoint-1", "navPoint-2", "navPoint-3"}));
    EXPECT_EQ(ncx.column(QStringLiteral("playOrder")), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(ncx.column(QStringLiteral("label")), (QStringList{"page-0", "page-1", "page-2"}));
    EXPECT_EQ(ncx.column(QStringLiteral("src")), (QStringList{"page-1.html", "page-2.html", "page-3.html"}));
}

TEST_F(BookTest, ACoverComesFirstEverywhereUnderItsLowerCasedName)
{
    info.coverImage = makePicture(QStringLiteral("front.PNG"), "PNG").toStdString();
    startBook(QStringLiteral("Covered"));
    add(maker.textPage(u"a"));
    add(maker.textPage(u"b"));
    finishBook();

    EXPECT_EQ(testfiles::readAll(content(QStringLiteral("cover.png"))),
              testfiles::readAll(QString::fromStdString(info.coverImage)));
    const QDomElement body = bodyOf(xml(QStringLiteral("__epub_cover_auto__.html")));
    const QList<QDomElement> blocks = children(body, QStringLiteral("div"));
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_EQ(children(blocks[0], QStringLiteral("img"))[0].attribute(QStringLiteral("src")), QStringLiteral("cover.png"));

    const Package opf(xml(QStringLiteral("content.opf")));
    const QList<QDomElement> metas = children(opf.metadata, QStringLiteral("meta"));
    ASSERT_EQ(metas.size(), 1);
    EXPECT_EQ(metas[0].attribute(QStringLiteral("name")), QStringLiteral("cover"));
    EXPECT_EQ(metas[0].attribute(QStringLiteral("content")), QStringLiteral("cover.png"));
    EXPECT_EQ(opf.manifestIds(), (QStringList{"cover.png", "__epub_cover_auto__.html", "ncx", "css", "page-0", "page-1"}));
    EXPECT_EQ(opf.mediaTypeOf(QStringLiteral("cover.png")), QStringLiteral("image/png"));
    EXPECT_EQ(opf.spineIds(), (QStringList{"__epub_cover_auto__.html", "page-0", "page-1"}));
    const QList<QDomElement> references = children(opf.guide, QStringLiteral("reference"));
    ASSERT_EQ(references.size(), 1);
    EXPECT_EQ(references[0].attribute(QStringLiteral("type")), QStringLiteral("cover"));
    EXPECT_EQ(references[0].attribute(QStringLiteral("href")), QStringLiteral("__epub_cover_auto__.html"));

    const Navigation ncx(xml(QStringLiteral("toc.ncx")));
    EXPECT_EQ(ncx.column(QStringLiteral("id")), (QStringList{"__epub_cover_auto__.html", "navPoint-2", "navPoint-3"}));
    EXPECT_EQ(ncx.column(QStringLiteral("playOrder")), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(ncx.column(QStringLiteral("label")), (QStringList{"cover", "page-0", "page-1"}));
}

TEST_F(BookTest, CoverPicturesOfOtherKindsAreDeclaredOrConvertedAndUnreadableOnesAreLeftOut)
{
    struct Case {
        QString file;
        const char* format;
        QString stored;   // empty: the book has no cover
        QString mediaType;
    };
    const QList<Case> cases = {
        {QStringLiteral("front.gif"), "GIF", QStringLiteral("cover.gif"), QStringLiteral("image/gif")},
        {QStringLiteral("front.JPG"), "JPG", QStringLiteral("cover.jpg"), QStringLiteral("image/jpeg")},
        {QStringLiteral("front.bmp"), "BMP", QStringLiteral("cover.png"), QStringLiteral("image/png")},
        {QStringLiteral("front.ico"), "ICO", QStringLiteral("cover.png"), QStringLiteral("image/png")},
        {QStringLiteral("broken.png"), nullptr, QString(), QString()},
        {QStringLiteral("missing.jpg"), "", QString(), QString()},
        {QStringLiteral("nosuffix"), "PNG", QString(), QString()},
    };
    int n = 0;
    for (const Case& c : cases) {
        if (c.format && *c.format) {
            makePicture(c.file, c.format);
        } else if (!c.format) {
            QDir().mkpath(dir.path() + QStringLiteral("/in"));
            testfiles::writeAll(picturePath(c.file), "not a picture at all");
        }
        info.coverImage = picturePath(c.file).toStdString();
        startBook(QStringLiteral("Cover%1").arg(++n));
        add(maker.textPage(u"a"));
        finishBook();
        SCOPED_TRACE(c.file.toStdString());

        const Package opf(xml(QStringLiteral("content.opf")));
        const Navigation ncx(xml(QStringLiteral("toc.ncx")));
        if (c.stored.isEmpty()) {
            EXPECT_TRUE(children(opf.metadata, QStringLiteral("meta")).isEmpty());
            EXPECT_EQ(opf.manifestIds(), (QStringList{"ncx", "css", "page-0"}));
            EXPECT_EQ(ncx.column(QStringLiteral("playOrder")), QStringList{"1"});
            EXPECT_FALSE(QFile::exists(content(QStringLiteral("__epub_cover_auto__.html"))));
            EXPECT_TRUE(testfiles::listFiles(work()).filter(QStringLiteral("cover")).isEmpty());
            continue;
        }
        EXPECT_EQ(opf.mediaTypeOf(c.stored), c.mediaType);
        EXPECT_EQ(children(opf.metadata, QStringLiteral("meta"))[0].attribute(QStringLiteral("content")), c.stored);
        EXPECT_EQ(descendants(bodyOf(xml(QStringLiteral("__epub_cover_auto__.html"))), QStringLiteral("img"))[0]
                      .attribute(QStringLiteral("src")), c.stored);
        QImageReader reader(content(c.stored));
        EXPECT_EQ(reader.format(), c.mediaType.mid(6).toLatin1());
        EXPECT_EQ(ncx.column(QStringLiteral("playOrder")), (QStringList{"1", "2"}));
    }
}

TEST_F(BookTest, EveryBookHasAFreshIdentifierSharedByPackageAndNavigation)
{
    startBook(QStringLiteral("First"));
    add(maker.textPage(u"a"));
    finishBook();
    const QString first = Package(xml(QStringLiteral("content.opf"))).bookId();
    EXPECT_EQ(Navigation(xml(QStringLiteral("toc.ncx"))).uid, first);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"))
                    .match(first).hasMatch()) << first.toStdString();

    startBook(QStringLiteral("Second"));
    add(maker.textPage(u"b"));
    finishBook();
    const QString second = Package(xml(QStringLiteral("content.opf"))).bookId();
    EXPECT_EQ(Navigation(xml(QStringLiteral("toc.ncx"))).uid, second);
    EXPECT_NE(first, second);
}

} // namespace
