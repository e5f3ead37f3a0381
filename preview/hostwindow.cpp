#include "preview/hostwindow.h"

#include "dialogs/vuinputdialog.h"
#include "fixed_field.h"
#include "platform/os/regularfile.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "platform/win32/win32window.h"
#include "preview/pdfapp.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>
#include <string>

#include <string.h>

namespace {

// The page window's class, made once for the program on the first call.
const win32::WindowClass& viewWindowClass(win32::HINSTANCE instance)
{
    static const win32::WindowClass windowClass = [instance] {
        win32::WindowClass made;
        made.name = QStringLiteral("qtest");
        made.style = win32::CS_HREDRAW | win32::CS_VREDRAW;
        made.windowProc = pdfapp_viewproc;
        made.instance = instance;
        made.cursor = Qt::ArrowCursor;
        made.background = QApplication::palette().brush(QPalette::Window);
        return made;
    }();
    return windowClass;
}

void fillBitmapHeader(win32::BITMAPINFO* dib)
{
    *dib = win32::BITMAPINFO();
    win32::BITMAPINFOHEADER& header = dib->bmiHeader;
    header.biSize = sizeof(win32::BITMAPINFOHEADER);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = win32::BI_RGB;
    header.biXPelsPerMeter = 2834;
    header.biYPelsPerMeter = 2834;
    header.biClrUsed = 0;
}

// A password as the bytes MuPDF is given (UTF-8); an embedded NUL would end
// it early and test another password, so such a text is none.
bool passwordBytes(const QString& password, std::string* bytes)
{
    if (password.contains(QChar(0)))
        return false;
    *bytes = password.toStdString();
    return true;
}

bool isOpen()
{
    const pdfapp_t* app = pdfapp_record();
    return app->doc && app->pagecount > 0;
}

} // namespace

HostWindow::HostWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWinHost(parent, flags)
{
    setFocusPolicy(Qt::StrongFocus);
    initPDF();
    pdfapp_globals_t* globals = pdfapp_globals();
    globals->framewindow = parent;
    globals->viewwindow = nullptr;
    // The program builds one preview; it starts from the program's start state.
    globals->fitw = 100;
    globals->fith = 100;
    globals->canresize = false;
    globals->arrowcurs = Qt::ArrowCursor;
    globals->waitcurs = Qt::WaitCursor;
    globals->bgbrush = win32::createSolidBrush(0x707070);
    globals->shbrush = win32::createSolidBrush(0x404040);
    fillBitmapHeader(&globals->dibinf);
    globals->hdc = nullptr;
    setCursor(globals->arrowcurs);
}

HostWindow::~HostWindow()
{
    uninitPDF();
}

win32::HWND HostWindow::createWindow(win32::HWND parent, win32::HINSTANCE instance)
{
    const win32::HWND window = win32::createWindow(
        viewWindowClass(instance), win32::WS_CHILD | win32::WS_CLIPSIBLINGS | win32::WS_TABSTOP,
        win32::CW_USEDEFAULT, 0, win32::CW_USEDEFAULT, 0, parent);
    pdfapp_globals()->viewwindow = window;
    return window;
}

bool HostWindow::initPDF()
{
    return pdfapp_init(pdfapp_record());
}

void HostWindow::uninitPDF()
{
    pdfapp_uninit(pdfapp_record());
}

int HostWindow::countPage() const
{
    return pdfapp_record()->pagecount;
}

int HostWindow::curPage() const
{
    return pdfapp_record()->pageno;
}

// The path into the path buffers and the file opened for reading; null
// (and said) when it cannot be opened.
std::shared_ptr<const RegularFile> HostWindow::openFile(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    pdfapp_globals_t* globals = pdfapp_globals();
    const QString openFailed = tr("Failed to open PDF file \"%1\".").arg(path);
    std::fill(std::begin(globals->filename), std::end(globals->filename), '\0');
    // A path longer than the buffer is refused, not cut: cut, it names
    // another file.
    if (!ns_epub::setFieldText(globals->wbuf, path)) {
        VuMessageBox::alert(openFailed, QString(), nullptr);
        return nullptr;
    }
    // Only a regular file: opening a named pipe would wait for a writer,
    // and the window with it.
    std::shared_ptr<const RegularFile> file = RegularFile::open(ns_epub::fieldText(globals->wbuf));
    if (!file) {
        VuMessageBox::alert(openFailed, QString(), nullptr);
        return nullptr;
    }
    if (!ns_epub::setFieldText(globals->filename, path)) {
        VuMessageBox::alert(tr("Failed to convert filename \"%1\".").arg(path), QString(), nullptr);
        return nullptr;
    }
    return file;
}

bool HostWindow::openPDF(const QString& path, const QString& password)
{
    const std::shared_ptr<const RegularFile> file = openFile(path);
    if (!file)
        return false;
    pdfapp_t* app = pdfapp_record();
    pdfapp_globals_t* globals = pdfapp_globals();
    app->pageno = 1;
    app->resolution = 72;
    globals->fitw = width();
    globals->fith = height();
    std::string secret;
    bool opened = false;
    if (passwordBytes(password, &secret))
        opened = pdfapp_open(app, globals->filename, secret.c_str(), file);
    explicit_bzero(secret.data(), secret.size());
    if (!opened) {
        VuMessageBox::alert(tr("Failed to open PDF file \"%1\".").arg(path), QString(), nullptr);
        return false;
    }
    globals->canresize = true;
    return true;
}

bool HostWindow::openPDFInit(const QString& path)
{
    const std::shared_ptr<const RegularFile> file = openFile(path);
    if (!file)
        return false;
    if (!pdfapp_openstart(pdfapp_record(), file)) {
        VuMessageBox::alert(tr("Failed to open PDF file \"%1\".").arg(path), QString(), nullptr);
        return false;
    }
    return true;
}

bool HostWindow::needPWD()
{
    return pdfapp_needspassword(pdfapp_record());
}

QString HostWindow::checkPWD(const QString&, const QString& fileName)
{
    const QString prompt = tr("Please enter your password for the PDF file.") + QLatin1Char('\n') + fileName;
    for (int attempt = 0; attempt < 3; ++attempt) {
        bool ok = false;
        const QString entry = VuInputDialog::getText(VuPref::product_name(), prompt, QString(), &ok, this);
        if (!ok)
            return QString();
        std::string secret;
        if (entry.isEmpty() || !passwordBytes(entry, &secret))
            continue;
        const bool accepted = pdfapp_checkpassword(pdfapp_record(), secret.c_str());
        explicit_bzero(secret.data(), secret.size());
        if (accepted)
            return entry;
    }
    return QString();
}

bool HostWindow::openPDFFinish()
{
    return pdfapp_openfinish(pdfapp_record(), pdfapp_globals()->filename);
}

void HostWindow::clearPDF()
{
    pdfapp_close(pdfapp_record());
    win32::invalidateRect(pdfapp_globals()->viewwindow);
}

void HostWindow::setCanResizePreview(bool canResize)
{
    pdfapp_globals()->canresize = canResize;
}

bool HostWindow::moveTo(int page)
{
    if (!isOpen())
        return false;
    pdfapp_record()->pageno = page;
    return showPage(1, 1, true);
}

bool HostWindow::firstPage()
{
    return moveTo(1);
}

bool HostWindow::prePage()
{
    return moveTo(std::max(curPage() - 1, 1));
}

bool HostWindow::nextPage()
{
    return moveTo(std::min(curPage() + 1, countPage()));
}

bool HostWindow::lastPage()
{
    return moveTo(countPage());
}

bool HostWindow::toPage(int page)
{
    return moveTo(std::min(std::max(page, 1), countPage()));
}

bool HostWindow::largePage()
{
    if (!isOpen())
        return false;
    pdfapp_t* app = pdfapp_record();
    if (app->resolution > 72)
        app->resolution = 72;
    return showPage(0, 1, true);
}

bool HostWindow::smallPage()
{
    if (!isOpen())
        return false;
    pdfapp_t* app = pdfapp_record();
    if (app->resolution < 72)
        app->resolution = 72;
    return showPage(0, 1, true);
}

bool HostWindow::showPage(int loadPage, int drawPage, bool)
{
    const bool shown = pdfapp_showpage(pdfapp_record(), loadPage != 0, drawPage != 0);
    win32::invalidateRect(pdfapp_globals()->viewwindow);
    return shown;
}

void HostWindow::returnPressed()
{
    VuMessageBox::info(QStringLiteral("Return pressed in QLineEdit!"), QStringLiteral("Message from Qt"),
                       window());
}
