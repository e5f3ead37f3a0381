#ifndef PDFGRABER_H
#define PDFGRABER_H

// Page capture of Picture mode: renders one page of a PDF at a zoom, keeps
// the chosen page area and writes it as a JPEG picture "p-<page>.jpg". The
// conversion worker turns each picture into a book page; the Picture-mode
// dialog shows them as its page preview.
//
// Threads: every PDFGraber has a MuPDF context of its own, made by its
// constructor. Build, use and destroy an object on one thread; two objects
// may work on two threads at the same time.

#include <QSize>
#include <QString>

#include <memory>

class QRect;

class PDFGraber {
public:
    PDFGraber();
    ~PDFGraber();
    PDFGraber(const PDFGraber&) = delete;
    PDFGraber& operator=(const PDFGraber&) = delete;

    // Opens a PDF (a damaged cross-reference table is repaired), closing
    // what was open. False for an empty path, a path over 1023 characters or
    // UTF-8 bytes, a password of more than 127 UTF-8 bytes (logged), a file
    // that is not a readable PDF, a password that does not open a protected
    // document, and a page tree that cannot be read.
    bool open(const QString& path, const QString& password);

    // Renders the page (1-based) at zoom percent, that is zoom * 72 / 100
    // dots per inch in whole numbers, keeps the area and saves the result.
    // A page with more pixels or a longer side at that resolution than
    // rendercap allows is drawn at the largest scale within the cap instead
    // (logged). The area is in page pixels at 100 %, as the Picture-mode
    // dialog stores it; it is scaled with the page as drawn and kept within
    // it, so the whole page's area keeps the whole page at every zoom. No
    // area, an empty or inside-out one, or one wholly off the page keeps the
    // whole page.
    //
    // The page is read as Text mode reads it and judged by the same list
    // (lostcontent.h): a damaged page is drawn with what could be read and
    // logged with what was lost, and a page that cannot be loaded is logged
    // too.
    //
    // Returns the picture's path, or an empty text when no picture was
    // written: nothing is open, the page is out of range or cannot be
    // loaded, the zoom gives no pixels, or the picture could not be saved
    // (logged). Each grab of a page number replaces its earlier picture.
    //
    // The pictures lie in a folder of this object's own inside the user's
    // private temporary folder, so a dialog and a conversion that render at
    // the same time never overwrite each other's pictures. The folder and
    // whatever is left in it go when the object is destroyed.
    QString grabImage(int page, int zoom, const QRect* area);

    // Drops the page and the document; does nothing when nothing is open.
    void close();

    bool isOpen() const;
    // The open document's page count; 0 when nothing is open.
    int pageCount() const;
    // The whole last grabbed page's size in pixels at the zoom asked for:
    // the picture's size without an area, unless the page was drawn smaller
    // to stay within the pixel cap. Empty when the last grab loaded no page.
    QSize requestedSize() const;
    // MuPDF's message when the last grabbed page was damaged or could not be
    // loaded; empty when it was read whole.
    QString damage() const;
    // The size of the picture the last grabbed page gives at zoom with area,
    // as grabImage would write it; empty when no page was grabbed.
    QSize pictureSize(int zoom, const QRect* area) const;

private:
    struct renderState;
    std::unique_ptr<renderState> m_state;
};

#endif
