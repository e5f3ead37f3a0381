#ifndef PDFFIXTURE_H
#define PDFFIXTURE_H

#include "parsedpages.h"
#include "pdfmaker.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// A temporary folder for the PDFs a test makes, and a parse that checks what
// every page must satisfy: the record's structure, and that it holds the
// words MuPDF's own plain text finds on that page.
class PdfTest : public ::testing::Test {
protected:
    QString make(const QString& name, const testpdf::DocSpec& spec);
    // pageCount: pages of the document, so the delivered pages can be
    // matched with the requested ones.
    parsed::result parseChecked(const parsed::request& what, int pageCount);
    // Every page of a document of pageCount pages.
    parsed::result parseAll(const QString& path, int pageCount);

    QTemporaryDir m_dir;
};

// The page's structure as text, for failure messages.
std::string describe(const parsed::page& page);

#endif
