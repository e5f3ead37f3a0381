#include "epub_opf.h"

#include "epub_cover.h"
#include "epub_media.h"
#include "leafbinder.h"
#include "convert/logwriter.h"

#include <QDate>
#include <QRegularExpression>

namespace ns_epub {

namespace {

QString utf8Text(const std::string& text)
{
    return xmlSafeText(QString::fromStdString(text));
}

} // namespace

epubOpfWriter::epubOpfWriter()
{
    start();
}

epubOpfWriter::~epubOpfWriter() = default;

bool epubOpfWriter::init()
{
    m_package = m_metadata = m_manifest = m_spine = m_guide = QDomElement();
    if (!load(QStringLiteral("/epubTemplate/OEBPS/content.opf")))
        writeLogEntry("src\\epub_xml", 222, "ns_epub::epubOpfWriter::init");
    m_package = m_document.firstChildElement(QStringLiteral("package"));
    if (m_package.isNull()) {
        writeLogEntry("src\\epub_xml", 219, "ns_epub::epubOpfWriter::init");
        return false;
    }
    m_metadata = m_package.firstChildElement(QStringLiteral("metadata"));
    m_manifest = m_package.firstChildElement(QStringLiteral("manifest"));
    m_spine = m_package.firstChildElement(QStringLiteral("spine"));
    m_guide = m_package.firstChildElement(QStringLiteral("guide"));
    return !m_metadata.isNull() && !m_manifest.isNull() && !m_spine.isNull();
}

bool epubOpfWriter::addManifestItem(const QString& id, const QString& href, int type)
{
    if (m_manifest.isNull())
        return false;
    m_manifest.appendChild(manifestElement(m_document, {id, href, type}));
    return true;
}

bool epubOpfWriter::addSpineItem(const QString& idref)
{
    if (m_spine.isNull())
        return false;
    m_spine.appendChild(spineElement(m_document, idref));
    return true;
}

bool epubOpfWriter::addManifestItems(int count, std::function<manifestItem(int)> itemAt)
{
    if (m_manifest.isNull())
        return false;
    appendOnSave(m_manifest, count, [itemAt = std::move(itemAt)](QDomDocument& document, int index) {
        return manifestElement(document, itemAt(index));
    });
    return true;
}

bool epubOpfWriter::addSpineItems(int count, std::function<QString(int)> idrefAt)
{
    if (m_spine.isNull())
        return false;
    appendOnSave(m_spine, count, [idrefAt = std::move(idrefAt)](QDomDocument& document, int index) {
        return spineElement(document, idrefAt(index));
    });
    return true;
}

QDomElement epubOpfWriter::manifestElement(QDomDocument& document, const manifestItem& item)
{
    QDomElement element = document.createElement(QStringLiteral("item"));
    element.setAttribute(QStringLiteral("id"), item.id);
    element.setAttribute(QStringLiteral("href"), item.href);
    element.setAttribute(QStringLiteral("media-type"), mediaTypeText(item.type));
    return element;
}

QDomElement epubOpfWriter::spineElement(QDomDocument& document, const QString& idref)
{
    QDomElement element = document.createElement(QStringLiteral("itemref"));
    element.setAttribute(QStringLiteral("idref"), idref);
    element.setAttribute(QStringLiteral("linear"), QStringLiteral("yes"));
    return element;
}

bool epubOpfWriter::addGuideReference(const QString& title, const QString& href, int type)
{
    if (m_guide.isNull()) {
        if (m_package.isNull())
            return false;
        m_guide = m_document.createElement(QStringLiteral("guide"));
        m_package.appendChild(m_guide);
    }
    QDomElement reference = m_document.createElement(QStringLiteral("reference"));
    reference.setAttribute(QStringLiteral("type"), guideType(type));
    reference.setAttribute(QStringLiteral("title"), title);
    reference.setAttribute(QStringLiteral("href"), href);
    m_guide.appendChild(reference);
    return true;
}

QDomElement epubOpfWriter::addMetadata(const QString& name, const QString& text)
{
    QDomElement element = m_document.createElement(name);
    element.appendChild(m_document.createTextNode(text));
    m_metadata.appendChild(element);
    return element;
}

bool epubOpfWriter::setPubinfo(const epubPubInfo* pubInfo, const epubCoverHandle& cover,
                               const QString& fallbackTitle)
{
    if (m_metadata.isNull())
        return true;
    const epubPubInfo none;
    const epubPubInfo& info = pubInfo ? *pubInfo : none;

    const QString title = utf8Text(info.title);
    addMetadata(QStringLiteral("dc:title"),
                title.trimmed().isEmpty() ? xmlSafeText(fallbackTitle) : title);
    // An empty identifier or date is refused by reading systems' checks.
    const QString identifier = utf8Text(info.identifier);
    if (!identifier.trimmed().isEmpty())
        addMetadata(QStringLiteral("dc:identifier"), identifier);
    addMetadata(QStringLiteral("dc:subject"), utf8Text(info.subject));
    addMetadata(QStringLiteral("dc:relation"), utf8Text(info.relation));
    addMetadata(QStringLiteral("dc:description"), utf8Text(info.description));
    addMetadata(QStringLiteral("dc:creator"), utf8Text(info.creator));
    addMetadata(QStringLiteral("dc:publisher"), utf8Text(info.publisher));
    addMetadata(QStringLiteral("dc:rights"), utf8Text(info.rights));
    const QString date = packageDate(utf8Text(info.date));
    if (!date.isEmpty())
        addMetadata(QStringLiteral("dc:date"), date);
    else if (!info.date.empty())
        writeLogEntry("src\\epub_xml", 250, "ns_epub::epubOpfWriter::setPubinfo");

    if (!cover.pageFile().isEmpty()) {
        QDomElement meta = m_document.createElement(QStringLiteral("meta"));
        meta.setAttribute(QStringLiteral("name"), QStringLiteral("cover"));
        meta.setAttribute(QStringLiteral("content"), cover.imageFile());
        m_metadata.appendChild(meta);
        addManifestItem(cover.imageFile(), cover.imageFile(), cover.imageType());
        addManifestItem(cover.pageFile(), cover.pageFile(), mediaXhtml);
        addSpineItem(cover.pageFile());
        addGuideReference(cover.pageFile(), cover.pageFile(), 0);
    }
    return true;
}

bool epubOpfWriter::setBookIdentifier(const QString& identifier)
{
    if (m_metadata.isNull())
        return false;
    QString id = m_package.attribute(QStringLiteral("unique-identifier"));
    if (id.isEmpty()) {
        id = QStringLiteral("BookId");
        m_package.setAttribute(QStringLiteral("unique-identifier"), id);
    }
    QDomElement element;
    for (QDomElement child = m_metadata.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.attribute(QStringLiteral("id")) == id) {
            element = child;
            break;
        }
    }
    if (element.isNull()) {
        element = m_document.createElement(QStringLiteral("dc:identifier"));
        element.setAttribute(QStringLiteral("id"), id);
        m_metadata.insertBefore(element, QDomNode());
    }
    while (element.hasChildNodes())
        element.removeChild(element.firstChild());
    element.appendChild(m_document.createTextNode(identifier));
    return true;
}

QString epubOpfWriter::guideType(int code)
{
    static const char* const types[] = {
        "cover", "title-page", "toc", "index", "glossary", "acknowledgements",
        "bibliography", "colophon", "copyright-page", "dedication", "epigraph",
        "foreword", "loi", "lot", "notes", "preface", "text",
    };
    if (code < 0 || code >= int(sizeof(types) / sizeof(types[0])))
        return QString();
    return QString::fromLatin1(types[code]);
}

QString epubOpfWriter::packageDate(const QString& date)
{
    // YYYY, YYYY-MM, YYYY-MM-DD, optionally with a time and zone; a date
    // typed with "/" or "." between year, month and day is taken as well.
    static const QRegularExpression form(QStringLiteral(
        "^(\\d{4})(?:[-/.](\\d{1,2})(?:[-/.](\\d{1,2})(T\\d{2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?(?:Z|[+-]\\d{2}:\\d{2}))?)?)?$"));
    const QRegularExpressionMatch match = form.match(date.trimmed());
    if (!match.hasMatch())
        return QString();
    const int year = match.captured(1).toInt();
    if (match.captured(2).isEmpty())
        return match.captured(1);
    const int month = match.captured(2).toInt();
    if (match.captured(3).isEmpty()) {
        if (month < 1 || month > 12)
            return QString();
        return QString::asprintf("%04d-%02d", year, month);
    }
    const QDate day(year, month, match.captured(3).toInt());
    if (!day.isValid())
        return QString();
    return day.toString(QStringLiteral("yyyy-MM-dd")) + match.captured(4);
}

} // namespace ns_epub
