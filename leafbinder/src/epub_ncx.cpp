#include "epub_ncx.h"

#include "convert/logwriter.h"

namespace ns_epub {

namespace {

QString navPointId(int playOrder)
{
    return QStringLiteral("navPoint-") + QString::number(playOrder);
}

} // namespace

epubNcxWriter::epubNcxWriter()
{
    start();
}

epubNcxWriter::~epubNcxWriter() = default;

bool epubNcxWriter::init()
{
    m_ncx = m_head = m_docTitle = m_navMap = QDomElement();
    m_playCounter = 0;
    if (!load(QStringLiteral("/epubTemplate/OEBPS/toc.ncx")))
        writeLogEntry("src\\epub_xml", 377, "ns_epub::epubNcxWriter::init");
    m_ncx = m_document.firstChildElement(QStringLiteral("ncx"));
    if (m_ncx.isNull()) {
        writeLogEntry("src\\epub_xml", 374, "ns_epub::epubNcxWriter::init");
        return false;
    }
    m_head = m_ncx.firstChildElement(QStringLiteral("head"));
    m_docTitle = m_ncx.firstChildElement(QStringLiteral("docTitle"));
    m_navMap = m_ncx.firstChildElement(QStringLiteral("navMap"));
    return !m_head.isNull() && !m_navMap.isNull();
}

bool epubNcxWriter::addCoverPoint(const QString& id, const QString& label, const QString& src)
{
    if (m_navMap.isNull())
        return false;
    ++m_playCounter;
    appendPoint(id, 1, label, src);
    return true;
}

bool epubNcxWriter::addPagePoint(const QString& label, const QString& src)
{
    if (m_navMap.isNull())
        return false;
    ++m_playCounter;
    appendPoint(navPointId(m_playCounter), m_playCounter, label, src);
    return true;
}

bool epubNcxWriter::addPagePoints(int count, std::function<pagePoint(int)> pointAt)
{
    if (m_navMap.isNull())
        return false;
    const int first = m_playCounter + 1;
    m_playCounter += qMax(count, 0);
    appendOnSave(m_navMap, count, [first, pointAt = std::move(pointAt)](QDomDocument& document, int index) {
        return pointElement(document, first + index, navPointId(first + index), pointAt(index));
    });
    return true;
}

void epubNcxWriter::appendPoint(const QString& id, int playOrder, const QString& label, const QString& src)
{
    m_navMap.appendChild(pointElement(m_document, playOrder, id, {label, src}));
}

QDomElement epubNcxWriter::pointElement(QDomDocument& document, int playOrder, const QString& id,
                                        const pagePoint& point)
{
    QDomElement element = document.createElement(QStringLiteral("navPoint"));
    element.setAttribute(QStringLiteral("id"), id);
    element.setAttribute(QStringLiteral("playOrder"), QString::number(playOrder));
    QDomElement navLabel = document.createElement(QStringLiteral("navLabel"));
    QDomElement text = document.createElement(QStringLiteral("text"));
    text.appendChild(document.createTextNode(point.label));
    navLabel.appendChild(text);
    element.appendChild(navLabel);
    QDomElement content = document.createElement(QStringLiteral("content"));
    content.setAttribute(QStringLiteral("src"), point.src);
    element.appendChild(content);
    return element;
}

bool epubNcxWriter::setBookIdentifier(const QString& identifier)
{
    if (m_head.isNull())
        return false;
    QDomElement uid;
    for (QDomElement meta = m_head.firstChildElement(QStringLiteral("meta")); !meta.isNull();
         meta = meta.nextSiblingElement(QStringLiteral("meta"))) {
        if (meta.attribute(QStringLiteral("name")) == QLatin1String("dtb:uid")) {
            uid = meta;
            break;
        }
    }
    if (uid.isNull()) {
        uid = m_document.createElement(QStringLiteral("meta"));
        uid.setAttribute(QStringLiteral("name"), QStringLiteral("dtb:uid"));
        m_head.insertBefore(uid, QDomNode());
    }
    uid.setAttribute(QStringLiteral("content"), identifier);
    return true;
}

} // namespace ns_epub
