#include "pdfmaker.h"

#include <QBuffer>
#include <QFile>
#include <QStringList>

#include <cstring>
#include <map>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace testpdf {
namespace {

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 3);
}

QByteArray colorOperator(const QColor& color, const char* op)
{
    return number(color.redF()) + ' ' + number(color.greenF()) + ' ' + number(color.blueF()) + ' ' + op + '\n';
}

// A literal string of Latin-1 bytes with the PDF escapes.
QByteArray literalString(const QString& text)
{
    QByteArray out = "(";
    for (const char c : text.toLatin1()) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + ")";
}

bool isFontFile(const QString& font)
{
    return font.endsWith(QLatin1String(".ttf"), Qt::CaseInsensitive)
        || font.endsWith(QLatin1String(".otf"), Qt::CaseInsensitive);
}

// "cjk:GB1", "cjk:CNS1", "cjk:Japan1", "cjk:Korea1": MuPDF's built-in font
// for that Adobe character collection; -1 for any other font.
int cjkOrdering(const QString& font)
{
    if (font == QLatin1String("cjk:GB1"))
        return FZ_ADOBE_GB;
    if (font == QLatin1String("cjk:CNS1"))
        return FZ_ADOBE_CNS;
    if (font == QLatin1String("cjk:Japan1"))
        return FZ_ADOBE_JAPAN;
    if (font == QLatin1String("cjk:Korea1"))
        return FZ_ADOBE_KOREA;
    return -1;
}

// The text of a run as the PDF string its font expects.
QByteArray utf16Hex(const QString& text)
{
    QByteArray hex = "<";
    for (const QChar unit : text)
        hex += QByteArray::number(unit.unicode(), 16).rightJustified(4, '0');
    return hex + ">";
}

// Everything a page needs, prepared outside fz_try (which must hold no C++
// object with a destructor).
struct PreparedPage {
    QByteArray content;
    std::vector<QByteArray> imageKeys;    // "Im1", ...
    std::vector<QByteArray> imagePngs;    // PNG bytes per image
    QByteArray linkTo;
};

// A ToUnicode map from glyph ids to the text of the runs in the font, with
// surrogate pairs for characters beyond the BMP (MuPDF's own map for an
// added CID font holds 16-bit values only).
QByteArray toUnicodeMap(fz_context* ctx, fz_font* font, const QString& fontName, const DocSpec& spec)
{
    std::map<int, uint> glyphs;
    for (const PageSpec& page : spec.pages)
        for (const TextRun& run : page.runs)
            if (run.font == fontName)
                for (const uint codepoint : run.text.toUcs4())
                    glyphs[fz_encode_character(ctx, font, static_cast<int>(codepoint))] = codepoint;
    QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    auto entry = glyphs.begin();
    while (entry != glyphs.end()) {
        QByteArray chunk;
        int count = 0;
        for (; entry != glyphs.end() && count < 100; ++entry, ++count) {
            QByteArray text;
            for (const QChar unit : QString::fromUcs4(reinterpret_cast<const char32_t*>(&entry->second), 1))
                text += QByteArray::number(unit.unicode(), 16).rightJustified(4, '0');
            chunk += "<" + QByteArray::number(entry->first, 16).rightJustified(4, '0') + "> <" + text + ">\n";
        }
        map += QByteArray::number(count) + " beginbfchar\n" + chunk + "endbfchar\n";
    }
    return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

double advanceWidth(fz_context* ctx, fz_font* font, const TextRun& run)
{
    double width = 0;
    for (const uint codepoint : run.text.toUcs4()) {
        const int gid = fz_encode_character(ctx, font, static_cast<int>(codepoint));
        width += fz_advance_glyph(ctx, font, gid, 0);
    }
    return width * run.size;
}

QByteArray encodeGlyphs(fz_context* ctx, fz_font* font, const QString& text)
{
    QByteArray hex = "<";
    for (const uint codepoint : text.toUcs4()) {
        const int gid = fz_encode_character(ctx, font, static_cast<int>(codepoint));
        hex += QByteArray::number(gid, 16).rightJustified(4, '0');
    }
    return hex + ">";
}

} // namespace

QString unicodeFontPath()
{
    return QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
}

QString cjkFont()
{
    return QStringLiteral("cjk:GB1");
}

DocSpec simpleDoc(int count, const QStringList& extraLines)
{
    DocSpec doc;
    for (int n = 1; n <= count; ++n) {
        PageSpec page;
        TextRun heading;
        heading.text = QStringLiteral("Page %1").arg(n);
        page.runs << heading;
        double y = 690;
        for (const QString& line : extraLines) {
            TextRun run;
            run.text = line;
            run.y = y;
            y -= 18;
            page.runs << run;
        }
        doc.pages << page;
    }
    return doc;
}

namespace {

// Loads every font of the document; C code only, as fz_try requires.
bool loadFonts(fz_context* ctx, const std::vector<QByteArray>& names, const std::vector<bool>& isFile,
               const std::vector<int>& cjk, std::vector<fz_font*>& fonts, char* message, size_t messageSize)
{
    bool ok = true;
    fz_try(ctx)
    {
        for (size_t i = 0; i < names.size(); ++i) {
            if (cjk[i] >= 0)
                fonts[i] = fz_new_cjk_font(ctx, cjk[i]);
            else if (isFile[i])
                fonts[i] = fz_new_font_from_file(ctx, nullptr, names[i].constData(), 0, 0);
            else
                fonts[i] = fz_new_base14_font(ctx, names[i].constData());
        }
    }
    fz_catch(ctx)
    {
        std::strncpy(message, fz_caught_message(ctx), messageSize - 1);
        ok = false;
    }
    return ok;
}

PreparedPage preparePage(fz_context* ctx, const PageSpec& page, const QStringList& fontOrder,
                         const std::vector<fz_font*>& fonts)
{
    PreparedPage prepared;
    for (const FilledRect& fill : page.rects) {
        prepared.content += colorOperator(fill.color, "rg");
        prepared.content += number(fill.rect.x()) + ' ' + number(fill.rect.y()) + ' ' + number(fill.rect.width())
            + ' ' + number(fill.rect.height()) + " re f\n";
    }
    for (const TextRun& run : page.runs) {
        const int index = static_cast<int>(fontOrder.indexOf(run.font));
        const QByteArray key = "F" + QByteArray::number(index + 1);
        fz_font* font = fonts[static_cast<size_t>(index)];
        double x = run.x;
        if (run.align & (Qt::AlignHCenter | Qt::AlignRight)) {
            const double width = advanceWidth(ctx, font, run);
            x -= (run.align & Qt::AlignRight) ? width : width / 2;
        }
        prepared.content += "BT\n" + colorOperator(run.color, "rg") + "/" + key + ' ' + number(run.size) + " Tf\n"
            + number(x) + ' ' + number(run.y) + " Td\n";
        if (cjkOrdering(run.font) >= 0)
            prepared.content += utf16Hex(run.text);
        else if (isFontFile(run.font))
            prepared.content += encodeGlyphs(ctx, font, run.text);
        else
            prepared.content += literalString(run.text);
        prepared.content += " Tj\nET\n";
    }
    int imageNumber = 0;
    for (const ImageSpec& image : page.images) {
        const QByteArray key = "Im" + QByteArray::number(++imageNumber);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.image.save(&buffer, image.format.constData());
        prepared.imageKeys.push_back(key);
        prepared.imagePngs.push_back(png);
        prepared.content += "q " + number(image.rect.width()) + " 0 0 " + number(image.rect.height()) + ' '
            + number(image.rect.x()) + ' ' + number(image.rect.y()) + " cm /" + key + " Do Q\n";
    }
    prepared.content += page.rawContent;
    prepared.linkTo = page.linkTo.toUtf8();
    return prepared;
}

// An outline of depth items, each the only child of the one before. Its
// objects are numbered in one block, with the object table sized once:
// made one by one, the table would be copied for every object.
void addNestedOutline(fz_context* ctx, pdf_document* doc, int depth)
{
    const int root = pdf_xref_len(ctx, doc);
    pdf_get_incremental_xref_entry(ctx, doc, root + depth);
    for (int num = root; num <= root + depth; ++num) {
        pdf_obj* item = pdf_new_dict(ctx, doc, 5);
        if (num > root) {
            pdf_dict_put_text_string(ctx, item, PDF_NAME(Title), "Level");
            pdf_dict_put_drop(ctx, item, PDF_NAME(Parent), pdf_new_indirect(ctx, doc, num - 1, 0));
        }
        if (num < root + depth) {
            pdf_dict_put_drop(ctx, item, PDF_NAME(First), pdf_new_indirect(ctx, doc, num + 1, 0));
            pdf_dict_put_drop(ctx, item, PDF_NAME(Last), pdf_new_indirect(ctx, doc, num + 1, 0));
            pdf_dict_put_int(ctx, item, PDF_NAME(Count), 1);
        }
        pdf_update_object(ctx, doc, num, item);
        pdf_drop_obj(ctx, item);
    }
    pdf_dict_put_drop(ctx, pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root)), PDF_NAME(Outlines),
                      pdf_new_indirect(ctx, doc, root, 0));
}

} // namespace

bool writePdf(const QString& path, const DocSpec& spec, QString* error)
{
    QStringList fontOrder;
    for (const PageSpec& page : spec.pages)
        for (const TextRun& run : page.runs)
            if (!fontOrder.contains(run.font))
                fontOrder << run.font;
    std::vector<QByteArray> fontNames;
    std::vector<bool> fontIsFile;
    std::vector<int> fontCjk;
    for (const QString& font : fontOrder) {
        fontNames.push_back(isFontFile(font) ? QFile::encodeName(font) : font.toLatin1());
        fontIsFile.push_back(isFontFile(font));
        fontCjk.push_back(cjkOrdering(font));
    }
    std::vector<fz_font*> fonts(fontNames.size(), nullptr);
    std::vector<pdf_obj*> fontRefs(fontNames.size(), nullptr);
    std::map<QByteArray, pdf_obj*> imageRefs;  // by the picture's PNG

    char message[256] = {};
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_UNLIMITED);
    if (!ctx) {
        if (error)
            *error = QStringLiteral("cannot make a MuPDF context");
        return false;
    }
    bool ok = loadFonts(ctx, fontNames, fontIsFile, fontCjk, fonts, message, sizeof message);

    std::vector<PreparedPage> pages;
    std::vector<QByteArray> toUnicode(fontNames.size());
    if (ok) {
        for (size_t f = 0; f < fonts.size(); ++f)
            if (fontIsFile[f])
                toUnicode[f] = toUnicodeMap(ctx, fonts[f], fontOrder[static_cast<qsizetype>(f)], spec);
        for (const PageSpec& page : spec.pages)
            pages.push_back(preparePage(ctx, page, fontOrder, fonts));
    }
    const QByteArray nativePath = QFile::encodeName(path);
    const QByteArray title = spec.title.toUtf8();
    const QByteArray userPassword = spec.userPassword.toUtf8();
    const QByteArray ownerPassword = spec.ownerPassword.isEmpty() ? userPassword : spec.ownerPassword.toUtf8();

    pdf_document* doc = nullptr;
    fz_var(doc);
    fz_var(ok);
    fz_try(ctx)
    {
        if (!ok)
            fz_throw(ctx, FZ_ERROR_GENERIC, "%s", message);
        doc = pdf_create_document(ctx);
        for (size_t f = 0; f < fonts.size(); ++f)
            if (fontCjk[f] >= 0)
                fontRefs[f] = pdf_add_cjk_font(ctx, doc, fonts[f], fontCjk[f], 0, 0);
            else if (fontIsFile[f])
                fontRefs[f] = pdf_add_cid_font(ctx, doc, fonts[f]);
            else
                fontRefs[f] = pdf_add_simple_font(ctx, doc, fonts[f], PDF_SIMPLE_ENCODING_LATIN);
        for (size_t f = 0; f < fonts.size(); ++f) {
            if (toUnicode[f].isEmpty())
                continue;
            fz_buffer* map = fz_new_buffer_from_copied_data(
                ctx, reinterpret_cast<const unsigned char*>(toUnicode[f].constData()),
                static_cast<size_t>(toUnicode[f].size()));
            pdf_obj* stream = pdf_add_stream(ctx, doc, map, nullptr, 0);
            fz_drop_buffer(ctx, map);
            pdf_dict_put_drop(ctx, fontRefs[f], PDF_NAME(ToUnicode), stream);
        }
        for (size_t p = 0; p < pages.size(); ++p) {
            const PreparedPage& page = pages[p];
            const PageSpec& pageSpec = spec.pages[static_cast<qsizetype>(p)];
            pdf_obj* resources = pdf_new_dict(ctx, doc, 2);
            pdf_obj* fontDict = pdf_dict_put_dict(ctx, resources, PDF_NAME(Font), 4);
            for (size_t f = 0; f < fontRefs.size(); ++f) {
                char key[16];
                fz_snprintf(key, sizeof key, "F%d", static_cast<int>(f + 1));
                pdf_dict_puts(ctx, fontDict, key, fontRefs[f]);
            }
            if (!page.imageKeys.empty()) {
                pdf_obj* xobjects = pdf_dict_put_dict(ctx, resources, PDF_NAME(XObject), 4);
                for (size_t i = 0; i < page.imageKeys.size(); ++i) {
                    // The same picture on several pages is stored once, as
                    // PDF writers do.
                    pdf_obj*& ref = imageRefs[page.imagePngs[i]];
                    if (!ref) {
                        fz_buffer* png = fz_new_buffer_from_copied_data(
                            ctx, reinterpret_cast<const unsigned char*>(page.imagePngs[i].constData()),
                            static_cast<size_t>(page.imagePngs[i].size()));
                        fz_image* image = fz_new_image_from_buffer(ctx, png);
                        fz_drop_buffer(ctx, png);
                        ref = pdf_add_image(ctx, doc, image);
                        fz_drop_image(ctx, image);
                    }
                    pdf_dict_puts(ctx, xobjects, page.imageKeys[i].constData(), ref);
                }
            }
            fz_buffer* buffer = fz_new_buffer_from_copied_data(
                ctx, reinterpret_cast<const unsigned char*>(page.content.constData()),
                static_cast<size_t>(page.content.size()));
            const fz_rect box = fz_make_rect(0, 0, static_cast<float>(pageSpec.width),
                                             static_cast<float>(pageSpec.height));
            pdf_obj* pageObj = pdf_add_page(ctx, doc, box, pageSpec.rotate, resources,
                                            spec.forDownload ? nullptr : buffer);
            // Objects are written in the order they were made.
            if (spec.forDownload)
                pdf_dict_put_drop(ctx, pageObj, PDF_NAME(Contents), pdf_add_stream(ctx, doc, buffer, nullptr, 0));
            fz_drop_buffer(ctx, buffer);
            pdf_drop_obj(ctx, resources);
            if (!page.linkTo.isEmpty()) {
                pdf_obj* link = pdf_add_new_dict(ctx, doc, 4);
                pdf_dict_put(ctx, link, PDF_NAME(Subtype), PDF_NAME(Link));
                pdf_dict_put_rect(ctx, link, PDF_NAME(Rect), box);
                pdf_dict_put_text_string(ctx, link, PDF_NAME(Dest), page.linkTo.constData());
                pdf_array_push_drop(ctx, pdf_dict_put_array(ctx, pageObj, PDF_NAME(Annots), 1), link);
            }
            pdf_insert_page(ctx, doc, -1, pageObj);
            pdf_drop_obj(ctx, pageObj);
        }
        if (spec.outlineDepth > 0)
            addNestedOutline(ctx, doc, spec.outlineDepth);
        if (!title.isEmpty()) {
            pdf_obj* info = pdf_dict_put_dict(ctx, pdf_trailer(ctx, doc), PDF_NAME(Info), 1);
            pdf_dict_put_text_string(ctx, info, PDF_NAME(Title), title.constData());
        }
        pdf_write_options options = pdf_default_write_options;
        options.do_compress = spec.forDownload ? 1 : 0;
        if (!userPassword.isEmpty() || !ownerPassword.isEmpty()) {
            options.do_encrypt = PDF_ENCRYPT_AES_256;
            options.permissions = -1;
            std::strncpy(options.upwd_utf8, userPassword.constData(), sizeof options.upwd_utf8 - 1);
            std::strncpy(options.opwd_utf8, ownerPassword.constData(), sizeof options.opwd_utf8 - 1);
        }
        pdf_save_document(ctx, doc, nativePath.constData(), &options);
    }
    fz_always(ctx)
    {
        for (pdf_obj* ref : fontRefs)
            pdf_drop_obj(ctx, ref);
        for (const auto& image : imageRefs)
            pdf_drop_obj(ctx, image.second);
        pdf_drop_document(ctx, doc);
        for (fz_font* font : fonts)
            fz_drop_font(ctx, font);
    }
    fz_catch(ctx)
    {
        std::strncpy(message, fz_caught_message(ctx), sizeof message - 1);
        ok = false;
    }
    fz_drop_context(ctx);
    if (!ok && error)
        *error = QString::fromUtf8(message);
    return ok;
}

double textWidth(const TextRun& run)
{
    const QByteArray name = isFontFile(run.font) ? QFile::encodeName(run.font) : run.font.toLatin1();
    const int cjk = cjkOrdering(run.font);
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_UNLIMITED);
    if (!ctx)
        return 0;
    std::vector<fz_font*> fonts(1, nullptr);
    char message[256] = {};
    double width = 0;
    if (loadFonts(ctx, {name}, {isFontFile(run.font)}, {cjk}, fonts, message, sizeof message))
        width = advanceWidth(ctx, fonts[0], run);
    fz_drop_font(ctx, fonts[0]);
    fz_drop_context(ctx);
    return width;
}

} // namespace testpdf
