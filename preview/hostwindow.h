#ifndef HOSTWINDOW_H
#define HOSTWINDOW_H

// The preview pane of the main window ("widgetPDFView"): shows the pages of
// the file selected in the task list and opens files for the task list
// (page count, password). It hosts the viewer core's page window and acts on
// the one process-wide viewer record, so every HostWindow shows the same
// document, the one opened last; the program builds one.
//
// With nothing open every operation does nothing: counts read 0 and the
// page moves answer false. GUI thread only.

#include "preview/qwinhost.h"

#include <QString>

#include <memory>

class RegularFile;

class HostWindow : public QWinHost {
    Q_OBJECT
public:
    explicit HostWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~HostWindow() override;

    // Empties the viewer record (closing what was open); false when MuPDF
    // could not be set up.
    bool initPDF();
    // Closes the viewer record.
    void uninitPDF();

    // The open document's page count, 0 when nothing is open.
    int countPage() const;
    // The current page, 1-based.
    int curPage() const;

    // Opens a PDF for display and shows its first page fitted to this
    // widget's size. An empty path is false without a message; any other
    // failure shows "Failed to open PDF file ..." (or "Failed to convert
    // filename ...") and is false. Anything but a regular file (a named
    // pipe, a device, a folder) is refused so, before it is opened.
    bool openPDF(const QString& path, const QString& password);

    // The two-step open of files added to the task list: openPDFInit opens
    // the document only (messages as openPDF); needPWD tells whether it
    // needs a password; checkPWD asks for it, at most three times, and
    // answers the accepted password or an empty text (given up, or three
    // wrong or empty entries); openPDFFinish reads title and page count
    // (then countPage()), false when nothing is open or the page tree
    // cannot be read. fileName is shown in the prompt; text is not used.
    bool openPDFInit(const QString& path);
    bool needPWD();
    QString checkPWD(const QString& text, const QString& fileName);
    bool openPDFFinish();

    // Closes the document; the pane shows only its background.
    void clearPDF();
    // Whether a change of the pane's size fits the page to the new size.
    void setCanResizePreview(bool canResize);

    // Page moves, each kept within 1 and the page count; the page is loaded,
    // fitted and drawn. False when nothing is open or the page cannot be
    // shown.
    bool firstPage();
    bool prePage();
    bool nextPage();
    bool lastPage();
    bool toPage(int page);
    // Back to 72 dpi from above (largePage) or below (smallPage) and drawn
    // again; since every drawn page is fitted, both end in the fitted view.
    bool largePage();
    bool smallPage();

signals:
    void message(const QString& text, int timeout);

public slots:
    void returnPressed();

protected:
    win32::HWND createWindow(win32::HWND parent, win32::HINSTANCE instance) override;

private:
    std::shared_ptr<const RegularFile> openFile(const QString& path);
    bool showPage(int loadPage, int drawPage, bool);
    bool moveTo(int page);
};

#endif
