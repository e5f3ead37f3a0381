#ifndef PDFAPP_H
#define PDFAPP_H

// The page viewer core of the preview: one process-wide viewer record that
// holds one open PDF and its current page, renders that page into a pixmap
// fitted to the fit area, and paints it into the page window (a
// win32::Window whose procedure is pdfapp_viewproc). HostWindow drives it;
// nothing else calls these functions.
//
// Nothing open is an ordinary state: every operation checks for it, does
// nothing and says so in its result (false, or 0 for counts).
//
// Threads: GUI thread only. The record's MuPDF context is made on that
// thread by pdfapp_init and never used on another.

#include "platform/win32/win32paint.h"
#include "platform/win32/win32window.h"

#include <QByteArray>
#include <QPointer>

#include <memory>

extern "C" {
#include <mupdf/fitz.h>
}

// The viewer record.
struct pdfapp_t {
    fz_context* ctx = nullptr;
    // The file name of the path, or the document's Info Title; UTF-8.
    QByteArray doctitle;
    fz_document* doc = nullptr;
    int pagecount = 0;

    // Dots per inch the page is drawn at; the fitting changes it.
    int resolution = 72;
    // Degrees the view is turned, on top of the page's own rotation.
    int rotate = 0;
    // The drawn page: blue, green, red, alpha per pixel (gray, alpha when
    // grayscale is set), rows top first.
    fz_pixmap* image = nullptr;
    int grayscale = 0;

    // The current page, 1-based, and what is loaded of it.
    int pageno = 0;
    fz_page* page = nullptr;
    fz_display_list* pagelist = nullptr;
    fz_stext_page* pagetext = nullptr;

    // The page window's client size.
    int winw = 0;
    int winh = 0;
    int shrinkwrap = 0;
    // Where the image's top-left corner lies in the page window.
    int panx = 0;
    int pany = 0;

    // Search and selection; nothing here starts either, so nothing is
    // highlighted.
    int iscopying = 0;
    int selr[4] = {};
    int isediting = 0;
    char search[512] = {};
    int hit = 0;
    int hitlen = 0;
};

// What the viewer keeps beside the record: the windows, the painting tools,
// the fit area and the path of the open file.
struct pdfapp_globals_t {
    // Receives the title text and owns the error box.
    QPointer<QWidget> framewindow;
    // The page window; null until the preview makes it.
    QPointer<QWidget> viewwindow;
    // Only while the page window paints.
    win32::HDC hdc = nullptr;
    win32::HCURSOR arrowcurs = Qt::ArrowCursor;
    win32::HCURSOR waitcurs = Qt::WaitCursor;
    win32::HBRUSH bgbrush;
    win32::HBRUSH shbrush;
    win32::BITMAPINFO dibinf;
    // Every drawn page is fitted to this area, in pixels.
    int fitw = 100;
    int fith = 100;
    bool canresize = false;
    // The open file's path as given and in UTF-8.
    char16_t wbuf[1024] = {};
    char filename[1024] = {};
};

// The one record and its globals.
pdfapp_t* pdfapp_record();
pdfapp_globals_t* pdfapp_globals();

// Closes whatever is open and empties the record (resolution 72), making
// its MuPDF context first if it has none. False when no context could be made.
bool pdfapp_init(pdfapp_t* app);
// Closes the record and drops its context.
void pdfapp_uninit(pdfapp_t* app);

class RegularFile;

// Opens the PDF in the opened file (closing what was open), checks the
// password, reads title and page count and shows the current page fitted.
// The document reads the file while it is open. False when the
// document cannot be opened, the password is refused or longer than 127
// bytes, or the page tree cannot be read; a document that opened stays in
// the record then (as nothing shown, with no pages).
bool pdfapp_open(pdfapp_t* app, const char* filename, const char* password,
                 const std::shared_ptr<const RegularFile>& file);
// The first half of a two-step open: only opens the document in the opened
// file (closing what was open); no page count, no page.
bool pdfapp_openstart(pdfapp_t* app, const std::shared_ptr<const RegularFile>& file);
// True when the open document needs a password; false when nothing is open.
bool pdfapp_needspassword(pdfapp_t* app);
// True when MuPDF accepts the password for the open document. A password
// of more than 127 bytes is refused; so is any when nothing is open.
bool pdfapp_checkpassword(pdfapp_t* app, const char* password);
// The second half: title, page count and view reset, no page shown. A page
// tree that cannot be read goes to the error display; false then, and false
// when nothing is open.
bool pdfapp_openfinish(pdfapp_t* app, const char* filename);

// Loads and/or draws the current page, fitting it to the fit area, and
// updates the frame window's title. False when nothing is open, the page
// number is out of range, or the page cannot be loaded (the previous image
// stays) or drawn.
bool pdfapp_showpage(pdfapp_t* app, bool loadpage, bool drawpage);

// Drops the loaded page, the image and the document; the page
// count becomes 0. Harmless when nothing is open.
void pdfapp_close(pdfapp_t* app);

// Moves the image to (x, y) within the page window, kept on screen and
// centred where it is smaller than the window. True when it moved.
bool pdfapp_panview(pdfapp_t* app, int x, int y);
// The page window's new client size.
void pdfapp_onresize(pdfapp_t* app, int w, int h);
// Paints the image, the background around it and its shadow. False when
// there is no image (only the background is painted).
bool pdfapp_paint(pdfapp_t* app, win32::HDC dc);

// The window procedure of the page window.
win32::LRESULT pdfapp_viewproc(win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                               win32::LPARAM lParam);

// Reports a failure inside the viewer: a log entry and an error box over
// the frame window. The program goes on.
void winerror(pdfapp_t* app, const char* message);

#endif
