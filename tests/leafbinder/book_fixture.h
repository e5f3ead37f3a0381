#ifndef BOOK_FIXTURE_H
#define BOOK_FIXTURE_H

// A book built through the exported builder into a temporary output folder.

#include "book_helpers.h"
#include "fixed_field.h"
#include "leafbinder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct BookTest : ::testing::Test {
    QTemporaryDir dir;
    ns_epub::epubPubInfo info;
    ns_epub::epubCreationConfig config;
    ns_epub::leafbinder builder;
    bookhelpers::PageMaker maker;
    QString bookName;
    bool closed = false;

    // Starts a book; the configuration record stays alive until close.
    void startBook(const QString& name)
    {
        bookName = name;
        config = ns_epub::epubCreationConfig();
        config.buildFromPages = 1;
        ASSERT_TRUE(ns_epub::setFieldText(config.outputFolder, dir.path() + QLatin1Char('/')));
        ASSERT_TRUE(ns_epub::setFieldText(config.bookName, name));
        config.pubInfo = &info;
        builder.create(&config);
    }
    void add(ns_epub::epubPage* page) { builder.addEpubData(page); }
    // Finishes and packs the book; most checks read the work folder it leaves.
    void finishBook() { closed = builder.close(); }

    QString work() const { return dir.path() + QLatin1Char('/') + bookName; }
    QString book() const { return work() + QStringLiteral(".epub"); }
    QString content(const QString& file) const { return work() + QStringLiteral("/OEBPS/") + file; }
    QDomDocument xml(const QString& file) const
    {
        QString error;
        QDomDocument document = bookhelpers::readXml(content(file), &error);
        EXPECT_FALSE(document.isNull()) << error.toStdString();
        return document;
    }
    QString picturePath(const QString& name) const { return dir.path() + QStringLiteral("/in/") + name; }
    QString makePicture(const QString& name, const char* format, unsigned color = 0xff3366cc)
    {
        QDir().mkpath(QFileInfo(picturePath(name)).absolutePath());
        EXPECT_TRUE(bookhelpers::writePicture(picturePath(name), format, 8, 6, color));
        return picturePath(name);
    }
};

#endif
