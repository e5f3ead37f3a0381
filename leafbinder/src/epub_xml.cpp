#include "epub_xml.h"

#include "epub_tools.h"
#include "convert/logwriter.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <utility>

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

// Stands in the document for a run of entries made at the save:
// "<!--leafbinder-entries-<n>-->". Texts and attribute values are escaped
// when written, so only a template's own comment could read the same.
const QLatin1String kMarkerText("leafbinder-entries-");
const QLatin1String kMarkerStart("<!--leafbinder-entries-");
const QLatin1String kMarkerEnd("-->");
// How much text is gathered before it is written out.
constexpr qsizetype kPieceSize = 64 * 1024;

bool writeUtf8(QIODevice& file, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size();
}

// The number of the marker that starts at `at`, and *end just after it; -1
// for a comment of the template's own.
int markerNumber(const QString& text, qsizetype at, int markers, qsizetype* end)
{
    const qsizetype numberAt = at + kMarkerStart.size();
    *end = text.indexOf(kMarkerEnd, numberAt);
    if (*end < 0)
        return -1;
    bool isNumber = false;
    const int number = QStringView(text).mid(numberAt, *end - numberAt).toInt(&isNumber);
    *end += kMarkerEnd.size();
    return isNumber && number >= 0 && number < markers ? number : -1;
}

// Where the marker's own line starts: its indentation goes with it.
qsizetype markerLineStart(const QString& text, qsizetype at, qsizetype done)
{
    qsizetype start = at;
    while (start > done && text.at(start - 1) == QLatin1Char(' '))
        --start;
    return start == 0 || text.at(start - 1) == QLatin1Char('\n') ? start : at;
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
    m_onSave.clear();
    m_document = parsed(m_templateBytes);
    return start();
}

bool epubXmlWriter::save(const QString& path)
{
    // A writer without its template writes no empty file.
    const bool written = !m_document.documentElement().isNull()
        && epubStdMgr::instance()->saveFile(path, [this](QIODevice& file) { return writeDocument(file); });
    if (!written) {
        writeLogSite("src\\epub_xml", 81, "ns_epub::epubXmlWriter::save");
        writeLogLine("%s", path.toUtf8().constData());
    }
    reset();
    return written;
}

void epubXmlWriter::appendOnSave(QDomElement& parent, int count, entryMaker make)
{
    if (parent.isNull() || count <= 0)
        return;
    parent.appendChild(m_document.createComment(kMarkerText + QString::number(m_onSave.size())));
    m_onSave.push_back({count, std::move(make)});
}

// The document as QDom writes it, each marker replaced by its entries, in
// pieces: the text of all of a long book's entries is never held at once.
bool epubXmlWriter::writeDocument(QIODevice& file) const
{
    const QString text = m_document.toString(m_indent);
    QDomDocument scratch;
    QString piece;
    qsizetype done = 0;
    for (qsizetype at = text.indexOf(kMarkerStart); at >= 0; at = text.indexOf(kMarkerStart, done)) {
        qsizetype end = 0;
        const int number = markerNumber(text, at, int(m_onSave.size()), &end);
        if (number < 0) {
            piece += QStringView(text).mid(done, at + kMarkerStart.size() - done);
            done = at + kMarkerStart.size();
            continue;
        }
        const qsizetype lineStart = markerLineStart(text, at, done);
        piece += QStringView(text).mid(done, lineStart - done);
        const QString indentation = text.mid(lineStart, at - lineStart);
        const savedEntries& entries = m_onSave[std::size_t(number)];
        for (int i = 0; i < entries.count; ++i) {
            piece += entryText(scratch, entries, i, indentation);
            if (piece.size() >= kPieceSize && !writeUtf8(file, std::exchange(piece, QString())))
                return false;
        }
        done = end < text.size() && text.at(end) == QLatin1Char('\n') ? end + 1 : end;
    }
    piece += QStringView(text).mid(done);
    return writeUtf8(file, piece);
}

// Entry index as it stands in the document: QDom writes a lone element one
// level deep, and the marker's indentation takes the place of that level.
QString epubXmlWriter::entryText(QDomDocument& scratch, const savedEntries& entries, int index,
                                 const QString& indentation) const
{
    QString saved;
    QTextStream stream(&saved);
    entries.make(scratch, index).save(stream, m_indent);
    stream.flush();
    const qsizetype level = qMax(m_indent, 0);
    QString text;
    for (qsizetype start = 0; start < saved.size();) {
        qsizetype end = saved.indexOf(QLatin1Char('\n'), start);
        end = end < 0 ? saved.size() : end + 1;
        const qsizetype skip = qMin(level, end - start);
        text += indentation;
        text += QStringView(saved).mid(start + skip, end - start - skip);
        start = end;
    }
    return text;
}

} // namespace ns_epub
