#include "epub_xhtml.h"

#include "epub_css.h"
#include "epub_page.h"
#include "epub_stat.h"
#include "convert/logwriter.h"

#include <QLoggingCategory>

namespace ns_epub {

namespace {

Q_LOGGING_CATEGORY(lcPages, "leafbinder.pages", QtInfoMsg)

const char* const kSource = "src\\epub_xhtml";

// A picture element inside a block: XHTML 1.1 allows no bare img in a body.
QDomElement pictureBlock(QDomDocument& document, const QString& name)
{
    QDomElement block = document.createElement(QStringLiteral("div"));
    QDomElement img = document.createElement(QStringLiteral("img"));
    img.setAttribute(QStringLiteral("alt"), QString());
    img.setAttribute(QStringLiteral("src"), name);
    block.appendChild(img);
    return block;
}

} // namespace

epubXhtmlWriter::epubXhtmlWriter()
    : epubXmlWriter(-1)   // no indentation: it would put spaces between the runs of a paragraph
{
    start();
}

epubXhtmlWriter::~epubXhtmlWriter() = default;

bool epubXhtmlWriter::init()
{
    m_body = QDomElement();
    m_paragraphEnded = false;
    if (!load(QStringLiteral("/epubTemplate/OEBPS/template.html")))
        writeLogEntry(kSource, 40, "ns_epub::epubXhtmlWriter::init");
    const QDomElement html = m_document.firstChildElement(QStringLiteral("html"));
    if (html.isNull()) {
        writeLogEntry(kSource, 37, "ns_epub::epubXhtmlWriter::init");
        return false;
    }
    m_body = html.firstChildElement(QStringLiteral("body"));
    if (m_body.isNull()) {
        writeLogEntry(kSource, 34, "ns_epub::epubXhtmlWriter::init");
        return false;
    }
    return true;
}

bool epubXhtmlWriter::writePage(epubPage* page, convertStat& stat)
{
    if (m_body.isNull() || !page)
        return false;
    if (page->empty()) {
        // A page without text still needs a paragraph, and its pictures follow.
        epubWord space;
        space.kind = 0;
        space.text = u" ";
        epubLine line;
        line.words.push_back(&space);
        writeLine(m_body, &line, stat);
    } else {
        std::vector<epubSection*> sections;
        page->getSections(sections);
        for (const epubSection* section : sections) {
            if (writeSection(m_body, section, stat))
                qCDebug(lcPages) << "Page";
        }
    }
    std::vector<epubPicture*> pictures;
    page->getPictures(pictures);
    for (const epubPicture* picture : pictures)
        writePicture(m_body, picture, stat);
    return true;
}

bool epubXhtmlWriter::writeSection(QDomElement& parent, const epubSection* section, convertStat& stat)
{
    QDomElement table = m_document.createElement(QStringLiteral("table"));
    table.setAttribute(QStringLiteral("border"), QStringLiteral("0"));
    bool written = false;
    for (const auto& entry : section->columns) {
        if (entry.second)
            written = writeColumn(table, entry.second, stat) || written;
    }
    // A table without a row is not valid XHTML: a section without columns
    // leaves nothing behind.
    if (table.firstChildElement(QStringLiteral("tr")).isNull())
        return false;
    parent.appendChild(table);
    return written;
}

bool epubXhtmlWriter::writeColumn(QDomElement& table, const epubColumn* column, convertStat& stat)
{
    // All columns of a section share one row.
    QDomElement row = table.firstChildElement(QStringLiteral("tr"));
    if (row.isNull()) {
        row = m_document.createElement(QStringLiteral("tr"));
        table.appendChild(row);
    }
    QDomElement cell = m_document.createElement(QStringLiteral("td"));
    row.appendChild(cell);
    bool written = false;
    for (const epubLine* line : column->lines) {
        if (line)
            written = writeLine(cell, line, stat);
    }
    QDomElement spacer = m_document.createElement(QStringLiteral("td"));
    spacer.appendChild(m_document.createElement(QStringLiteral("span")));
    row.appendChild(spacer);
    return written;
}

bool epubXhtmlWriter::writeLine(QDomElement& parent, const epubLine* line, convertStat& stat)
{
    QDomElement p = parent.lastChildElement(QStringLiteral("p"));
    if (p.isNull() || m_paragraphEnded) {
        p = m_document.createElement(QStringLiteral("p"));
        addWords(p, line, stat);
        if (line->centred) {
            const QString name = epubCssGenerator::instance()->lineStyleClass(line);
            p.setAttribute(QStringLiteral("class"), name);
            stat.useStyleClass(name);
        }
        // Without it a reader lays a Hebrew or Arabic paragraph out left to right.
        if (line->rightToLeft)
            p.setAttribute(QStringLiteral("dir"), QStringLiteral("rtl"));
        parent.appendChild(p);
    } else {
        // The paragraph goes on: the runs of this line follow those of the last.
        addWords(p, line, stat);
    }
    m_paragraphEnded = line->endsParagraph != 0;
    return true;
}

bool epubXhtmlWriter::addWords(QDomElement& p, const epubLine* line, convertStat& stat)
{
    for (const epubWord* word : line->words) {
        if (!word)
            continue;
        if (word->kind == 0) {
            const QString name = epubCssGenerator::instance()->wordStyleClass(word);
            stat.useStyleClass(name);
            QDomElement span = m_document.createElement(QStringLiteral("span"));
            span.setAttribute(QStringLiteral("class"), name);
            span.appendChild(m_document.createTextNode(xmlSafeText(QString::fromStdU16String(word->text))));
            p.appendChild(span);
        } else if (word->kind == 1) {
            // An inline picture is stored like any other, so the page never
            // points at a file the book lacks.
            const QString name = stat.addPicture(QString::fromStdU16String(word->text));
            if (name.isEmpty()) {
                writeLogEntry(kSource, 60, "ns_epub::epubXhtmlWriter::addWords");
                continue;
            }
            QDomElement img = m_document.createElement(QStringLiteral("img"));
            img.setAttribute(QStringLiteral("alt"), QString());
            img.setAttribute(QStringLiteral("src"), name);
            p.appendChild(img);
        } else if (word->kind == -1) {
            writeLogEntry(kSource, 54, "ns_epub::epubXhtmlWriter::addWords");
        }
    }
    return true;
}

bool epubXhtmlWriter::writePicture(QDomElement& parent, const epubPicture* picture, convertStat& stat)
{
    const QString name = stat.addPicture(QString::fromStdString(picture->path));
    if (name.isEmpty()) {
        writeLogEntry(kSource, 70, "ns_epub::epubXhtmlWriter::writePicture");
        return false;
    }
    parent.appendChild(pictureBlock(m_document, name));
    return true;
}

} // namespace ns_epub
