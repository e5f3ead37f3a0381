#include "book_helpers.h"

#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QXmlStreamReader>

using namespace ns_epub;

namespace bookhelpers {

epubWord* PageMaker::word(const std::u16string& text, int size, bool bold, bool italic,
                          const std::string& family, const std::string& color)
{
    auto item = std::make_unique<epubWord>();
    item->kind = 0;
    item->text = text;
    item->fontSize = size;
    item->bold = bold ? 1 : 0;
    item->italic = italic ? 1 : 0;
    item->fontFamily = family;
    item->color = color;
    m_words.push_back(std::move(item));
    return m_words.back().get();
}

epubWord* PageMaker::inlinePicture(const QString& path)
{
    auto item = std::make_unique<epubWord>();
    item->kind = 1;
    item->text = path.toStdU16String();
    m_words.push_back(std::move(item));
    return m_words.back().get();
}

epubLine* PageMaker::line(const std::vector<epubWord*>& words, bool endsParagraph, bool centred)
{
    auto item = std::make_unique<epubLine>();
    item->words = words;
    item->endsParagraph = endsParagraph ? 1 : 0;
    item->centred = centred ? 1 : 0;
    m_lines.push_back(std::move(item));
    return m_lines.back().get();
}

epubColumn* PageMaker::column(const std::vector<epubLine*>& lines)
{
    auto item = std::make_unique<epubColumn>();
    item->lines = lines;
    m_columns.push_back(std::move(item));
    return m_columns.back().get();
}

epubSection* PageMaker::section(const std::vector<epubColumn*>& columns)
{
    auto item = std::make_unique<epubSection>();
    int key = 0;
    for (epubColumn* column : columns)
        item->columns[key++] = column;
    m_sections.push_back(std::move(item));
    return m_sections.back().get();
}

epubPicture* PageMaker::picture(const QString& path)
{
    auto item = std::make_unique<epubPicture>();
    item->path = path.toStdString();
    m_pictures.push_back(std::move(item));
    return m_pictures.back().get();
}

epubPage* PageMaker::page(const std::vector<epubSection*>& sections, const std::vector<epubPicture*>& pictures)
{
    auto item = std::make_unique<epubPage>();
    for (epubSection* section : sections)
        item->addSection(section);
    for (epubPicture* picture : pictures)
        item->addPicture(picture);
    m_pages.push_back(std::move(item));
    return m_pages.back().get();
}

epubPage* PageMaker::textPage(const std::u16string& text)
{
    return page({section({column({line({word(text)})})})});
}

QDomDocument readXml(const QString& path, QString* error)
{
    QFile file(path);
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open ") + path;
        return QDomDocument();
    }
    QString message;
    int line = 0;
    if (!document.setContent(&file, true, &message, &line)) {
        if (error)
            *error = QStringLiteral("%1:%2: %3").arg(path, QString::number(line), message);
        return QDomDocument();
    }
    return document;
}

QList<QDomElement> children(const QDomElement& parent, const QString& localName)
{
    QList<QDomElement> found;
    for (QDomElement child = parent.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.localName() == localName || child.tagName() == localName)
            found << child;
    }
    return found;
}

QList<QDomElement> descendants(const QDomElement& parent, const QString& localName)
{
    QList<QDomElement> found;
    for (QDomElement child = parent.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.localName() == localName || child.tagName() == localName)
            found << child;
        found << descendants(child, localName);
    }
    return found;
}

QStringList elementTexts(const QString& path, const QString& localName)
{
    QStringList texts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QXmlStreamReader reader(&file);
    int depth = 0;   // > 0 inside a matching element
    QString text;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && (depth > 0 || reader.name() == localName)) {
            if (depth++ == 0)
                text.clear();
        } else if (reader.isCharacters() && depth > 0) {
            text += reader.text();
        } else if (reader.isEndElement() && depth > 0 && --depth == 0) {
            texts << text;
        }
    }
    return texts;
}

QDomElement bodyOf(const QDomDocument& page)
{
    return page.documentElement().firstChildElement(QStringLiteral("body"));
}

namespace {

// Qt reads GIF but does not write it: a one-pixel GIF89a made by hand, its
// two palette entries the given colour and white.
QByteArray onePixelGif(unsigned color)
{
    QByteArray gif("GIF89a");
    gif += QByteArray::fromHex("01000100");   // 1 x 1 pixels
    gif += QByteArray::fromHex("800000");     // global palette of 2 entries
    gif += char((color >> 16) & 0xff);
    gif += char((color >> 8) & 0xff);
    gif += char(color & 0xff);
    gif += QByteArray::fromHex("ffffff");
    gif += QByteArray::fromHex("2c000000000100010000");   // image descriptor
    // LZW, minimum code size 2: clear (4), index 0, end (5) in 3-bit codes.
    gif += QByteArray::fromHex("0202440100");
    gif += ';';
    return gif;
}

} // namespace

bool writePicture(const QString& path, const char* format, int width, int height, unsigned color)
{
    if (qstrcmp(format, "GIF") == 0)
        return testfiles::writeAll(path, onePixelGif(color));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image.save(path, format);
}

QString malformedFiles(const QString& folder)
{
    if (!testfiles::haveProgram(QStringLiteral("xmllint")))
        return QString();
    QString failures;
    const QStringList files = testfiles::listFiles(folder);
    for (const QString& file : files) {
        const QString suffix = QFileInfo(file).suffix();
        if (suffix != QLatin1String("html") && suffix != QLatin1String("opf")
            && suffix != QLatin1String("ncx") && suffix != QLatin1String("xml"))
            continue;
        QString output;
        // --nonet: the DOCTYPE's DTD is never fetched; only well-formedness counts.
        const int code = testfiles::runProgram(QStringLiteral("xmllint"),
            {QStringLiteral("--noout"), QStringLiteral("--nonet"), folder + QLatin1Char('/') + file}, &output);
        if (code != 0)
            failures += file + QStringLiteral(": ") + output + QLatin1Char('\n');
    }
    return failures;
}

bool checkBook(const QString& bookPath, QString* report, QString* skip)
{
    const QString checker = QStringLiteral("/usr/share/java/epubcheck.jar");
    if (!testfiles::haveProgram(QStringLiteral("java")) || !QFileInfo::exists(checker)) {
        *skip = QStringLiteral("java or epubcheck.jar is missing");
        return false;
    }
    testfiles::runProgram(QStringLiteral("java"), {QStringLiteral("-jar"), checker, bookPath}, report);
    return true;
}

QList<ZipEntry> readZip(const QString& path, QString* error)
{
    // One line per entry: name, method, extra length, size, data in hex.
    static const char* script =
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1]) as z:\n"
        "    for i in z.infolist():\n"
        "        print(i.filename.encode().hex(), i.compress_type, len(i.extra), i.file_size, z.read(i).hex())\n";
    QString output;
    const int code = testfiles::runProgram(QStringLiteral("python3"),
                                           {QStringLiteral("-c"), QString::fromLatin1(script), path}, &output);
    QList<ZipEntry> entries;
    if (code != 0) {
        if (error)
            *error = output;
        return entries;
    }
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() < 4)
            continue;
        ZipEntry entry;
        entry.name = QString::fromUtf8(QByteArray::fromHex(fields[0].toLatin1()));
        entry.method = fields[1].toInt();
        entry.extraLength = fields[2].toInt();
        entry.size = fields[3].toLongLong();
        entry.data = fields.size() > 4 ? QByteArray::fromHex(fields[4].toLatin1()) : QByteArray();
        entries << entry;
    }
    return entries;
}

QStringList unexpectedMessages(const QString& report)
{
    QStringList unexpected;
    const QStringList lines = report.split(QLatin1Char('\n'));
    bool summary = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("ERROR")) || line.startsWith(QLatin1String("FATAL"))
            || line.startsWith(QLatin1String("WARNING")))
            unexpected << line;
        if (line.contains(QRegularExpression(QStringLiteral("^Messages: 0 fatals / 0 errors / 0 warnings"))))
            summary = true;
    }
    if (!summary)
        unexpected << QStringLiteral("no clean summary line in: ") + report;
    return unexpected;
}

QString libraryLog()
{
    const QStringList logs =
        QDir(QDir::tempPath()).entryList({QStringLiteral("libleafbinder*.1.log")}, QDir::Files);
    if (logs.isEmpty())
        return QString();
    QFile log(QDir::tempPath() + QLatin1Char('/') + logs.first());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

} // namespace bookhelpers
