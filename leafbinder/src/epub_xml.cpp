#include "epub_xml.h"

#include "epub_tools.h"
#include "convert/logwriter.h"

#include <QDir>
#include <QFile>

namespace ns_epub {

namespace {

bool isXmlChar(char32_t c)
{
    if (c < 0x20)
        return c == 0x9 || c == 0xA || c == 0xD;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

// The bytes as a document with namespace processing off; an empty document
// when they are not well-formed.
QDomDocument parsed(const QByteArray& bytes, bool* ok = nullptr)
{
    QDomDocument document;
    const bool parsedOk = document.setContent(bytes, false);
    if (ok)
        *ok = parsedOk;
    return parsedOk ? document : QDomDocument();
}

} // namespace

QString xmlSafeText(const QString& text)
{
    QString safe;
    safe.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(unit, text.at(i + 1));
            if (isXmlChar(code)) {
                safe.append(unit);
                safe.append(text.at(i + 1));
            }
            ++i;
        } else if (isXmlChar(unit.unicode())) {
            safe.append(unit);
        }
    }
    return safe;
}

epubXmlWriter::epubXmlWriter(int indent)
    : m_indent(indent)
{
}

epubXmlWriter::~epubXmlWriter() = default;

bool epubXmlWriter::init()
{
    return false;
}

bool epubXmlWriter::start()
{
    m_ready = init();
    return m_ready;
}

bool epubXmlWriter::load(const QString& templatePath)
{
    QFile file(QDir::currentPath() + templatePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_templateBytes = file.readAll();
    file.close();
    bool ok = false;
    m_document = parsed(m_templateBytes, &ok);
    return ok;
}

bool epubXmlWriter::reset()
{
    m_document = parsed(m_templateBytes);
    return start();
}

bool epubXmlWriter::save(const QString& path)
{
    // A writer without its template writes no empty file.
    const bool written = !m_document.documentElement().isNull()
        && epubStdMgr::instance()->saveFile(path, m_document.toByteArray(m_indent));
    if (!written) {
        writeLogSite("src\\epub_xml", 81, "ns_epub::epubXmlWriter::save");
        writeLogLine("%s", path.toUtf8().constData());
    }
    reset();
    return written;
}

} // namespace ns_epub
