#include "parsedpages.h"

#include "mupdftext.h"

#include "leafbinder/src/epub_page.h"
#include "leafbinder/src/fixed_field.h"
#include "platform/pagesift/pdfparseconf.h"
#include "platform/pagesift/pdfparser.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace parsed {
namespace {

// The callback is a plain function: the pages go to the parse under way.
std::vector<page>* g_collected = nullptr;

page copyPage(ns_epub::epubPage& source)
{
    page copy;
    std::vector<ns_epub::epubSection*> sections;
    source.getSections(sections);
    for (const ns_epub::epubSection* s : sections) {
        section sectionCopy;
        copy.structureOk = copy.structureOk && !s->columns.empty();
        int expectedKey = 0;
        for (const auto& [key, c] : s->columns) {
            copy.structureOk = copy.structureOk && key == expectedKey++ && c && !c->lines.empty();
            column columnCopy;
            for (const ns_epub::epubLine* l : c->lines) {
                copy.structureOk = copy.structureOk && l && !l->words.empty();
                line lineCopy;
                lineCopy.endsParagraph = l->endsParagraph != 0;
                lineCopy.centred = l->centred != 0;
                lineCopy.rightToLeft = l->rightToLeft != 0;
                for (const ns_epub::epubWord* w : l->words) {
                    run runCopy;
                    runCopy.bold = w->bold != 0;
                    runCopy.italic = w->italic != 0;
                    runCopy.family = QString::fromStdString(w->fontFamily);
                    runCopy.color = QString::fromStdString(w->color);
                    runCopy.size = w->fontSize;
                    runCopy.kind = w->kind;
                    runCopy.text = QString::fromStdU16String(w->text);
                    copy.structureOk = copy.structureOk && w->kind == 0 && !w->text.empty();
                    lineCopy.runs.push_back(runCopy);
                }
                columnCopy.lines.push_back(lineCopy);
            }
            sectionCopy.columns.push_back(columnCopy);
        }
        copy.sections.push_back(sectionCopy);
    }
    std::vector<ns_epub::epubPicture*> pictures;
    source.getPictures(pictures);
    for (const ns_epub::epubPicture* p : pictures) {
        picture pictureCopy;
        pictureCopy.path = QString::fromStdString(p->path);
        QFile file(pictureCopy.path);
        pictureCopy.existed = file.open(QIODevice::ReadOnly);
        pictureCopy.bytes = file.readAll();
        pictureCopy.folderPermissions = QFile::permissions(QFileInfo(pictureCopy.path).absolutePath());
        copy.pictures.push_back(pictureCopy);
    }
    return copy;
}

bool collect(void* source)
{
    g_collected->push_back(copyPage(*static_cast<ns_epub::epubPage*>(source)));
    return true;
}

} // namespace

QString line::text() const
{
    QString all;
    for (const run& r : runs)
        all += r.text;
    return all;
}

QString column::text() const
{
    QString all;
    for (const line& l : lines)
        all += l.text() + (l.endsParagraph ? QStringLiteral("\n") : QString());
    return all;
}

QString page::text() const
{
    QStringList parts;
    for (const section& s : sections)
        for (const column& c : s.columns)
            parts << c.text();
    return parts.join(QLatin1Char('\n'));
}

std::vector<const line*> page::lines() const
{
    std::vector<const line*> all;
    for (const section& s : sections)
        for (const column& c : s.columns)
            for (const line& l : c.lines)
                all.push_back(&l);
    return all;
}

void recorder::parseProgressInfo(messageType type, char* text)
{
    if (type == progressMessage) {
        progress << QString::fromUtf8(text);
        if (cancelAfter >= 0 && progress.size() >= cancelAfter)
            setCancel(true);
    } else {
        notices << QString::fromUtf8(text);
    }
}

void recorder::setSuccess(bool value)
{
    successCalls.push_back(value);
}

bool recorder::isSuccess()
{
    return !successCalls.empty() && successCalls.back();
}

void parse(const request& what, result& out)
{
    conversion::pdfParseConf conf;
    ns_epub::setFieldText(conf.sourcePath, what.path);
    std::memcpy(conf.password1, what.password1.constData(), std::min<size_t>(what.password1.size(), 127));
    std::memcpy(conf.password2, what.password2.constData(), std::min<size_t>(what.password2.size(), 127));
    conf.pages = what.pages;

    out.progress.cancelAfter = what.cancelAfter;
    if (what.cancelFirst)
        out.progress.setCancel(true);
    conversion::pdfParser parser(nullptr);
    parser.setPageParseFunc(collect);
    parser.setParseProgress(&out.progress);
    if (!what.pictureFolder.isEmpty())
        parser.setPictureFolder(what.pictureFolder);
    parser.setCompoundsHook(what.compoundsHook);
    g_collected = &out.pages;
    parser.parse(&conf);
    g_collected = nullptr;
    out.lastError = parser.lastError();
}

double wordRecall(const QString& path, int pageNumber, const page& delivered, const QList<QByteArray>& passwords,
                  QStringList* missing)
{
    const QStringList expected = testpdf::mupdfWords(path, pageNumber, passwords);
    if (expected.isEmpty())
        return delivered.text().trimmed().isEmpty() ? 1.0 : 0.0;
    static const QRegularExpression space(QStringLiteral("\\s+"));
    QStringList words = delivered.text().split(space, Qt::SkipEmptyParts);
    int found = 0;
    for (const QString& word : expected) {
        const qsizetype exact = words.indexOf(word);
        if (exact >= 0) {
            words.removeAt(exact);
            ++found;
            continue;
        }
        // A word hyphenated at a line end comes joined, without its hyphen.
        QString piece = word;
        if (piece.size() > 1 && (piece.endsWith(QLatin1Char('-')) || piece.endsWith(QChar(0x00AD))))
            piece.chop(1);
        bool inside = false;
        for (const QString& candidate : words)
            inside = inside || candidate.contains(piece);
        if (inside)
            ++found;
        else if (missing)
            *missing << word;
    }
    return static_cast<double>(found) / static_cast<double>(expected.size());
}

} // namespace parsed
