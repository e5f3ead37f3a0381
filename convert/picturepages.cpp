// Picture mode of the conversion worker: every selected page becomes one
// JPEG picture, and every picture one page of the book.
#include "convert/vuconsolethread.h"

#include "convert/logwriter.h"
#include "convert/parserbridge.h"
#include "convert/pdfgraber.h"
#include "leafbinder/src/epub_page.h"
#include "leafbinder/src/leafbinder.h"

#include <QFile>

#include <cstdio>
#include <memory>

namespace {

const char kSource[] = ".\\vuconsolethread";
const char kFunction[] = "VuConsoleThread::convertPicturePages";

} // namespace

bool VuConsoleThread::convertPicturePages(const QString& pdfPath, const QString& password,
                                          const std::vector<int>& pages)
{
    PDFGraber graber;
    if (!graber.open(pdfPath, password)) {
        writeLogSite(kSource, __LINE__, kFunction);
        writeLogLine("cannot open %s (not a PDF, or the password does not open it)", pdfPath.toUtf8().constData());
        return false;
    }
    const unsigned long long count = pages.size();
    int added = 0;
    for (unsigned long long i = 0; i < count; ++i) {
        if (isNeedCancel())
            break;
        const QString picturePath = graber.grabImage(pages[i], m_zoom, &m_area);
        // The grabber logged a damaged page; the row names it with the rest.
        if (picturePath.isEmpty() || !graber.damage().isEmpty())
            m_unreadPages.insert(pages[i]);
        if (picturePath.isEmpty()) {
            writeLogSite(kSource, __LINE__, kFunction);
            writeLogLine("page %d gave no picture and is left out", pages[i]);
        } else {
            addPicturePage(picturePath);
            QFile::remove(picturePath);
            ++added;
        }
        char progress[32];
        std::snprintf(progress, sizeof progress, ":%llu", i * 100 / count);
        parseProgressInfo(progressMessage, progress);
    }
    graber.close();
    if (added == 0 && !isNeedCancel()) {
        writeLogSite(kSource, __LINE__, kFunction);
        writeLogLine("no page of %s gave a picture", pdfPath.toUtf8().constData());
        return false;
    }
    return true;
}

// The builder copies the picture into the book before addEpubData returns,
// so page and picture go at once.
void VuConsoleThread::addPicturePage(const QString& picturePath)
{
    auto picture = std::make_unique<ns_epub::epubPicture>();
    picture->path = picturePath.toStdString();
    picture->extra = 0;
    auto page = std::make_unique<ns_epub::epubPage>();
    page->addPicture(picture.get());
    g_leafbinder.addEpubData(page.get());
}
