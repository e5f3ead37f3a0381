#include "pdfmaker.h"

#include <QBuffer>
#include <QFile>
#include <QStringList>

#include <cstring>
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

// Everything a page needs, prepared outside fz_try (which must hold no C++
// object with a destructor).
struct PreparedPage {
    QByteArray content;
    std::vector<QByteArray> imageKeys;    // "Im1", ...
    std::vector<QByteArray> imagePngs;    // PNG bytes per image
};

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
               std::vector<fz_font*>& fonts, char* message, size_t messageSize)
{
    bool ok = true;
    fz_try(ctx)
    {
        for (size_t i = 0; i < names.size(); ++i)
            fonts[i] = isFile[i] ? fz_new_font_from_file(ctx, nullptr, names[i].constData(), 0, 0)
                                 : fz_new_base14_font(ctx, names[i].constData());
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
        prepared.content += "BT\n" + colorOperator(run.color, "rg") + "/" + key + ' ' + number(run.size) + " Tf\n"
            + number(run.x) + ' ' + number(run.y) + " Td\n";
        prepared.content += isFontFile(run.font) ? encodeGlyphs(ctx, fonts[static_cast<size_t>(index)], run.text)
                                                 : literalString(run.text);
        prepared.content += " Tj\nET\n";
    }
    int imageNumber = 0;
    for (const ImageSpec& image : page.images) {
        const QByteArray key = "Im" + QByteArray::number(++imageNumber);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.image.save(&buffer, "PNG");
        prepared.imageKeys.push_back(key);
        prepared.imagePngs.push_back(png);
        prepared.content += "q " + number(image.rect.width()) + " 0 0 " + number(image.rect.height()) + ' '
            + number(image.rect.x()) + ' ' + number(image.rect.y()) + " cm /" + key + " Do Q\n";
    }
    prepared.content += page.rawContent;
    return prepared;
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
    for (const QString& font : fontOrder) {
        fontNames.push_back(isFontFile(font) ? QFile::encodeName(font) : font.toLatin1());
        fontIsFile.push_back(isFontFile(font));
    }
    std::vector<fz_font*> fonts(fontNames.size(), nullptr);
    std::vector<pdf_obj*> fontRefs(fontNames.size(), nullptr);

    char message[256] = {};
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_UNLIMITED);
    if (!ctx) {
        if (error)
            *error = QStringLiteral("cannot make a MuPDF context");
        return false;
    }
    bool ok = loadFonts(ctx, fontNames, fontIsFile, fonts, message, sizeof message);

    std::vector<PreparedPage> pages;
    if (ok) {
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
            fontRefs[f] = fontIsFile[f] ? pdf_add_cid_font(ctx, doc, fonts[f])
                                        : pdf_add_simple_font(ctx, doc, fonts[f], PDF_SIMPLE_ENCODING_LATIN);
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
                    fz_buffer* png = fz_new_buffer_from_copied_data(
                        ctx, reinterpret_cast<const unsigned char*>(page.imagePngs[i].constData()),
                        static_cast<size_t>(page.imagePngs[i].size()));
                    fz_image* image = fz_new_image_from_buffer(ctx, png);
                    fz_drop_buffer(ctx, png);
                    pdf_obj* ref = pdf_add_image(ctx, doc, image);
                    fz_drop_image(ctx, image);
                    pdf_dict_puts_drop(ctx, xobjects, page.imageKeys[i].constData(), ref);
                }
            }
            fz_buffer* buffer = fz_new_buffer_from_copied_data(
                ctx, reinterpret_cast<const unsigned char*>(page.content.constData()),
                static_cast<size_t>(page.content.size()));
            const fz_rect box = fz_make_rect(0, 0, static_cast<float>(pageSpec.width),
                                             static_cast<float>(pageSpec.height));
            pdf_obj* pageObj = pdf_add_page(ctx, doc, box, pageSpec.rotate, resources, buffer);
            fz_drop_buffer(ctx, buffer);
            pdf_drop_obj(ctx, resources);
            pdf_insert_page(ctx, doc, -1, pageObj);
            pdf_drop_obj(ctx, pageObj);
        }
        if (!title.isEmpty()) {
            pdf_obj* info = pdf_dict_put_dict(ctx, pdf_trailer(ctx, doc), PDF_NAME(Info), 1);
            pdf_dict_put_text_string(ctx, info, PDF_NAME(Title), title.constData());
        }
        pdf_write_options options = pdf_default_write_options;
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

} // namespace testpdf
