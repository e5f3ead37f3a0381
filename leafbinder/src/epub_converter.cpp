#include "epub_converter.h"

#include "epub_cover.h"
#include "epub_css.h"
#include "epub_media.h"
#include "epub_ncx.h"
#include "epub_opf.h"
#include "epub_stat.h"
#include "epub_tools.h"
#include "epub_xhtml.h"
#include "convert/logwriter.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace ns_epub {

namespace {

const char* const kSource = "src\\epub_converter";

} // namespace

epubConverter::epubConverter()
    : m_bookIdentifier(QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_stat(std::make_unique<convertStat>())
{
}

epubConverter::~epubConverter() = default;

QString epubConverter::contentPath(const QString& fileName) const
{
    return joinPath(joinPath(m_outputFolder, epubStdMgr::contentFolder()), fileName);
}

bool epubConverter::convertPage(epubPage* page)
{
    if (!page) {
        writeLogEntry(kSource, 77, "ns_epub::epubConverter::convertPage");
        return false;
    }
    epubXhtmlWriter* writer = epubStdMgr::instance()->pageWriter();
    if (!writer->isReady()) {
        // Without its template the page cannot be made; it is not numbered,
        // and the book will not be reported as finished.
        writeLogEntry(kSource, 84, "ns_epub::epubConverter::convertPage");
        m_stat->setPageLost();
        return false;
    }
    writer->writePage(page, *m_stat);
    const QString name = m_stat->nextPageFile();
    // The save returns the writer to its template, whatever happened.
    if (!writer->save(contentPath(name))) {
        m_stat->setPageLost();
        return false;
    }
    return true;
}

bool epubConverter::allPagesWritten() const
{
    return !m_stat->pageLost();
}

bool epubConverter::hasContent() const
{
    return m_coverPage || !m_stat->pageFiles().isEmpty();
}

bool epubConverter::finishBook(const epubPubInfo* pubInfo)
{
    bool ok = true;
    epubCoverHandle cover;
    cover.setPubinfo(pubInfo);
    if (!cover.imageFile().isEmpty()) {
        epubCoverWriter writer;
        ok = writer.addCoverImage(cover.imageFile()) && writer.save(contentPath(cover.pageFile()));
        m_coverPage = ok;
    }

    epubOpfWriter* opf = epubStdMgr::instance()->opfWriter();
    ok = opf->isReady() && ok;
    opf->setPubinfo(pubInfo, cover, m_bookName);
    opf->setBookIdentifier(m_bookIdentifier);

    epubNcxWriter* ncx = epubStdMgr::instance()->ncxWriter();
    ok = ncx->isReady() && ok;
    ncx->setBookIdentifier(m_bookIdentifier);
    if (!cover.pageFile().isEmpty())
        ncx->addCoverPoint(cover.pageFile(), QStringLiteral("cover"), cover.pageFile());
    if (!ok)
        writeLogEntry(kSource, 120, "ns_epub::epubConverter::finishBook");
    return ok;
}

bool epubConverter::finishManifest()
{
    epubNcxWriter* ncx = epubStdMgr::instance()->ncxWriter();
    epubOpfWriter* opf = epubStdMgr::instance()->opfWriter();
    bool ok = ncx->isReady() && opf->isReady();

    opf->addManifestItem(QStringLiteral("ncx"), QStringLiteral("toc.ncx"), mediaNcx);
    opf->addManifestItem(QStringLiteral("css"), QStringLiteral("sheetstyle.css"), mediaCss);
    // Each book has its own lists, which do not change while the documents
    // are written.
    const QStringList pictures = m_stat->pictureFiles();
    opf->addManifestItems(int(pictures.size()), [pictures](int i) {
        const QString& file = pictures.at(i);
        return manifestItem{convertStat::pictureId(i), file, pictureMediaType(QFileInfo(file).suffix().toLower())};
    });
    const QStringList pages = m_stat->pageFiles();
    const auto pageId = [](int i) { return QStringLiteral("page-") + QString::number(i); };
    ncx->addPagePoints(int(pages.size()), [pages, pageId](int i) { return pagePoint{pageId(i), pages.at(i)}; });
    opf->addManifestItems(int(pages.size()), [pages, pageId](int i) {
        return manifestItem{pageId(i), pages.at(i), mediaXhtml};
    });
    opf->addSpineItems(int(pages.size()), pageId);
    ncx->setPlayCounter(0);

    // The navigation document first: the package document names it.
    ok = ncx->save(joinPath(m_outputFolder, epubStdMgr::navigationDocument())) && ok;
    ok = opf->save(joinPath(m_outputFolder, epubStdMgr::packageDocument())) && ok;
    if (!ok)
        writeLogEntry(kSource, 150, "ns_epub::epubConverter::finishManifest");
    return ok;
}

bool epubConverter::finishStyleSheet()
{
    QByteArray sheet;
    QFile base(epubStdMgr::templateStyleSheet());
    if (base.open(QIODevice::ReadOnly)) {
        sheet = base.readAll();
        if (!sheet.isEmpty() && !sheet.endsWith('\n'))
            sheet += '\n';
    }
    sheet += epubCssGenerator::instance()->styleRules(m_stat->styleClasses()).toUtf8();
    // Written whole each time, so a second close does not repeat the rules.
    const bool ok = epubStdMgr::instance()->saveFile(joinPath(m_outputFolder, epubStdMgr::styleSheet()), sheet);
    if (!ok)
        writeLogEntry(kSource, 170, "ns_epub::epubConverter::finishStyleSheet");
    return ok;
}

} // namespace ns_epub
