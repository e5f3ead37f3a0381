// MuPDF is linked and works: a PDF made by the test opens, counts its pages,
// yields its text and honours its password.
#include "pdfmaker.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

extern "C" {
#include <mupdf/fitz.h>
}

namespace {

struct Opened {
    int pages = -1;
    bool needsPassword = false;
    bool authenticated = false;
    QString secondPageText;
};

Opened openPdf(const QString& path, const char* password)
{
    Opened result;
    const QByteArray native = QFile::encodeName(path);
    int pages = -1, needs = 0, ok = 0;
    char text[256] = {};
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    fz_document* doc = nullptr;
    fz_stext_page* stext = nullptr;
    fz_buffer* buffer = nullptr;
    fz_var(doc);
    fz_var(stext);
    fz_var(buffer);
    fz_var(pages);
    fz_var(needs);
    fz_var(ok);
    fz_try(ctx)
    {
        fz_register_document_handlers(ctx);
        doc = fz_open_document(ctx, native.constData());
        needs = fz_needs_password(ctx, doc);
        ok = needs ? fz_authenticate_password(ctx, doc, password) : 1;
        if (ok) {
            pages = fz_count_pages(ctx, doc);
            fz_page* page = fz_load_page(ctx, doc, 1);
            stext = fz_new_stext_page_from_page(ctx, page, nullptr);
            fz_drop_page(ctx, page);
            buffer = fz_new_buffer_from_stext_page(ctx, stext);
            fz_strlcpy(text, fz_string_from_buffer(ctx, buffer), sizeof text);
        }
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, buffer);
        fz_drop_stext_page(ctx, stext);
        fz_drop_document(ctx, doc);
    }
    fz_catch(ctx)
    {
        pages = -1;
    }
    fz_drop_context(ctx);
    result.pages = pages;
    result.needsPassword = needs != 0;
    result.authenticated = ok != 0;
    result.secondPageText = QString::fromUtf8(text).trimmed();
    return result;
}

TEST(MuPdf, OpensAPdfMadeByTheTest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("three.pdf"));
    QString error;
    ASSERT_TRUE(testpdf::writePdf(path, testpdf::simpleDoc(3), &error)) << error.toStdString();
    const Opened opened = openPdf(path, "");
    EXPECT_FALSE(opened.needsPassword);
    EXPECT_EQ(opened.pages, 3);
    EXPECT_EQ(opened.secondPageText, QStringLiteral("Page 2"));
}

TEST(MuPdf, APasswordProtectedPdfOpensOnlyWithItsPassword)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("locked.pdf"));
    testpdf::DocSpec spec = testpdf::simpleDoc(2);
    spec.userPassword = QStringLiteral("s3cret");
    ASSERT_TRUE(testpdf::writePdf(path, spec));

    const Opened wrong = openPdf(path, "guess");
    EXPECT_TRUE(wrong.needsPassword);
    EXPECT_FALSE(wrong.authenticated);
    const Opened right = openPdf(path, "s3cret");
    EXPECT_TRUE(right.authenticated);
    EXPECT_EQ(right.pages, 2);
    EXPECT_EQ(right.secondPageText, QStringLiteral("Page 2"));
}

TEST(MuPdf, EmbeddedUnicodeFontTextComesBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unicode.pdf"));
    testpdf::DocSpec spec = testpdf::simpleDoc(2);
    testpdf::TextRun greek;
    greek.text = QStringLiteral("Καλημέρα Привет");
    greek.font = testpdf::unicodeFontPath();
    greek.y = 600;
    spec.pages[1].runs = {greek};
    ASSERT_TRUE(testpdf::writePdf(path, spec));
    EXPECT_EQ(openPdf(path, "").secondPageText, greek.text);
}

} // namespace
