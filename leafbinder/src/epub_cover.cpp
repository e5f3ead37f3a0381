#include "epub_cover.h"

#include "epub_media.h"
#include "epub_tools.h"
#include "leafbinder.h"
#include "convert/logwriter.h"
#include "platform/os/regularfile.h"
#include "platform/os/regularfiledevice.h"

#include <QFileInfo>
#include <QImageReader>

namespace ns_epub {

namespace {

// The cover types every reading system shows, with their media type codes.
int coverMediaType(const QString& suffix)
{
    if (suffix == QLatin1String("png"))
        return mediaPng;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return mediaJpeg;
    if (suffix == QLatin1String("gif"))
        return mediaGif;
    return -1;
}

bool isPicture(const std::shared_ptr<const RegularFile>& file)
{
    RegularFileDevice device(file);
    return QImageReader(&device).canRead();
}

} // namespace

bool epubCoverHandle::setPubinfo(const epubPubInfo* pubInfo)
{
    if (!pubInfo || pubInfo->coverImage.empty())
        return true;
    const QString source = QString::fromStdString(pubInfo->coverImage);
    QString suffix = QFileInfo(source).suffix().toLower();
    if (suffix.isEmpty())
        return true;
    // Opened once and read only through that opening: the picture checked
    // here is the one that goes into the book, whatever is put at its path
    // meanwhile, and a named pipe there is never waited on.
    QString why;
    const std::shared_ptr<const RegularFile> file = RegularFile::open(source, &why);
    // The picture must be one a reader can show, whatever its name says.
    if (!file || !isPicture(file)) {
        writeLogSite("src\\epub_xml", 125, "ns_epub::epubCoverHandle::setPubinfo");
        writeLogLine("the cover %s is left out: %s", source.toUtf8().constData(),
                     file ? "no picture that can be read" : why.toUtf8().constData());
        return true;
    }
    int type = coverMediaType(suffix);
    if (type < 0 && suffix != QLatin1String("bmp"))
        writeLogEntry("src\\epub_xml", 131, "ns_epub::epubCoverHandle::setPubinfo");
    const bool convert = type < 0;
    if (convert) {
        suffix = QStringLiteral("png");
        type = mediaPng;
    }
    const QString imageFile = QStringLiteral("cover.") + suffix;
    epubStdMgr* manager = epubStdMgr::instance();
    const bool stored = convert ? manager->convertResource(file, imageFile)
                                : manager->copyResource(*file, imageFile);
    if (!stored) {
        writeLogEntry("src\\epub_xml", 137, "ns_epub::epubCoverHandle::setPubinfo");
        return true;
    }
    m_imageType = type;
    m_imageFile = imageFile;
    m_pageFile = QStringLiteral("%1.%2").arg(QStringLiteral("__epub_cover_auto__"), QStringLiteral("html"));
    return true;
}

epubCoverWriter::epubCoverWriter()
    : epubXmlWriter(-1)
{
    start();
}

epubCoverWriter::~epubCoverWriter() = default;

bool epubCoverWriter::init()
{
    m_body = QDomElement();
    if (!load(QStringLiteral("/epubTemplate/OEBPS/template.html")))
        writeLogEntry("src\\epub_xml", 166, "ns_epub::epubCoverWriter::init");
    const QDomElement html = m_document.firstChildElement(QStringLiteral("html"));
    if (html.isNull()) {
        writeLogEntry("src\\epub_xml", 163, "ns_epub::epubCoverWriter::init");
        return false;
    }
    m_body = html.firstChildElement(QStringLiteral("body"));
    if (m_body.isNull()) {
        writeLogEntry("src\\epub_xml", 160, "ns_epub::epubCoverWriter::init");
        return false;
    }
    return true;
}

bool epubCoverWriter::addCoverImage(const QString& imagePath)
{
    if (m_body.isNull())
        return false;
    QDomElement block = m_document.createElement(QStringLiteral("div"));
    QDomElement img = m_document.createElement(QStringLiteral("img"));
    img.setAttribute(QStringLiteral("alt"), QString());
    img.setAttribute(QStringLiteral("src"), QFileInfo(imagePath).fileName());
    img.setAttribute(QStringLiteral("width"), QStringLiteral("100%"));
    img.setAttribute(QStringLiteral("height"), QStringLiteral("100%"));
    block.appendChild(img);
    m_body.appendChild(block);
    return true;
}

} // namespace ns_epub
