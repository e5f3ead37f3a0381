#ifndef PREVIEWFIXTURE_H
#define PREVIEWFIXTURE_H

// A preview as the main window has it: a HostWindow inside a parent widget
// (its frame window, which receives the title), shown at a known size, with
// a preference store and PDFs of the test's own.

#include "pdfmaker.h"
#include "platform/vuframe0/vupref.h"
#include "preview/hostwindow.h"
#include "preview/pdfapp.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

constexpr double kLetterWidth = 612;
constexpr double kLetterHeight = 792;

// A filled rectangle given in points from the top-left corner of the page.
inline testpdf::FilledRect markAt(const QRectF& area, double pageHeight = kLetterHeight,
                                  const QColor& color = Qt::black)
{
    testpdf::FilledRect fill;
    fill.rect = QRectF(area.x(), pageHeight - area.y() - area.height(), area.width(), area.height());
    fill.color = color;
    return fill;
}

// A letter page with a dark square of an inch in its top-left corner.
inline testpdf::PageSpec markedPage()
{
    testpdf::PageSpec page;
    page.rects << markAt(QRectF(0, 0, 72, 72));
    return page;
}

inline bool isDark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 64;
}

inline bool isLight(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) > 192;
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        VuPref::setStoreFolder(m_dir.filePath(QStringLiteral("pref")));
        m_frame = std::make_unique<QWidget>();
        m_frame->resize(kHostSize + 20, kHostSize + 20);
        m_host = new HostWindow(m_frame.get());
        m_host->setGeometry(0, 0, kHostSize, kHostSize);
        m_frame->show();
    }

    void TearDown() override
    {
        m_frame.reset();
        VuPref::setStoreFolder(QString());
    }

    QString pdf(const QString& name, const testpdf::DocSpec& spec) const
    {
        const QString path = m_dir.filePath(name);
        QString error;
        EXPECT_TRUE(testpdf::writePdf(path, spec, &error)) << error.toStdString();
        return path;
    }

    QString markedPdf(const QString& name, int pages = 1) const
    {
        testpdf::DocSpec spec;
        for (int i = 0; i < pages; ++i)
            spec.pages << markedPage();
        return pdf(name, spec);
    }

    // The drawn page's size in pixels; empty when nothing is drawn.
    static QSize imageSize()
    {
        const pdfapp_t* app = pdfapp_record();
        if (!app->image)
            return QSize();
        return QSize(fz_pixmap_width(app->ctx, app->image), fz_pixmap_height(app->ctx, app->image));
    }

    // Where the drawn page lies in the page window.
    static QRect imageRect() { return QRect(QPoint(pdfapp_record()->panx, pdfapp_record()->pany), imageSize()); }

    QImage grabPreview() const { return m_host->grab().toImage(); }

    static constexpr int kHostSize = 400;

    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_frame;
    HostWindow* m_host = nullptr;
};

#endif
