// The viewer core's side of the page window: placing the image, painting it
// and the window procedure.
#include "preview/pdfapp.h"

#include "convert/logwriter.h"

#include <QMessageBox>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
}

namespace {

const char kSource[] = ".\\pdfapp";

struct imageView {
    int width = 0;
    int height = 0;
    int components = 0;
    const unsigned char* samples = nullptr;
};

// The image as painting sees it; all zero when there is none.
imageView viewOf(const pdfapp_t* app)
{
    imageView view;
    if (!app->ctx || !app->image)
        return view;
    view.width = fz_pixmap_width(app->ctx, app->image);
    view.height = fz_pixmap_height(app->ctx, app->image);
    view.components = fz_pixmap_components(app->ctx, app->image);
    view.samples = fz_pixmap_samples(app->ctx, app->image);
    return view;
}

// Gray and alpha per pixel become blue, green, red (all the gray) and alpha.
std::vector<unsigned char> grayToColor(const imageView& view)
{
    const std::size_t pixels = std::size_t(view.width) * std::size_t(view.height);
    std::vector<unsigned char> color(pixels * 4);
    for (std::size_t i = 0; i < pixels; ++i) {
        const unsigned char gray = view.samples[i * 2];
        color[i * 4] = gray;
        color[i * 4 + 1] = gray;
        color[i * 4 + 2] = gray;
        color[i * 4 + 3] = view.samples[i * 2 + 1];
    }
    return color;
}

void blit(win32::HDC dc, const pdfapp_t* app, const imageView& view)
{
    win32::BITMAPINFO& dib = pdfapp_globals()->dibinf;
    dib.bmiHeader.biWidth = view.width;
    dib.bmiHeader.biHeight = -view.height;
    dib.bmiHeader.biSizeImage = win32::DWORD(view.height * 4);
    if (view.components == 2) {
        const std::vector<unsigned char> color = grayToColor(view);
        win32::setDIBitsToDevice(dc, app->panx, app->pany, view.width, view.height, 0, 0,
                                 color.data(), dib);
    } else if (view.components == 4) {
        win32::setDIBitsToDevice(dc, app->panx, app->pany, view.width, view.height, 0, 0,
                                 view.samples, dib);
    }
}

} // namespace

bool pdfapp_panview(pdfapp_t* app, int newx, int newy)
{
    const imageView view = viewOf(app);
    newx = std::min(newx, 0);
    newy = std::min(newy, 0);
    if (newx + view.width < app->winw)
        newx = app->winw - view.width;
    if (newy + view.height < app->winh)
        newy = app->winh - view.height;
    if (app->winw >= view.width)
        newx = (app->winw - view.width) / 2;
    if (app->winh >= view.height)
        newy = (app->winh - view.height) / 2;
    const bool moved = newx != app->panx || newy != app->pany;
    if (moved)
        win32::invalidateRect(pdfapp_globals()->viewwindow);
    app->panx = newx;
    app->pany = newy;
    return moved;
}

void pdfapp_onresize(pdfapp_t* app, int w, int h)
{
    if (app->winw == w && app->winh == h)
        return;
    app->winw = w;
    app->winh = h;
    pdfapp_panview(app, app->panx, app->pany);
    win32::invalidateRect(pdfapp_globals()->viewwindow);
}

bool pdfapp_paint(pdfapp_t* app, win32::HDC dc)
{
    const pdfapp_globals_t* globals = pdfapp_globals();
    const imageView view = viewOf(app);
    blit(dc, app, view);

    const int right = app->panx + view.width;
    const int bottom = app->pany + view.height;
    const int winw = app->winw;
    const int winh = app->winh;
    win32::fillRect(dc, { 0, 0, app->panx, winh }, globals->bgbrush);
    win32::fillRect(dc, { right, 0, winw, winh }, globals->bgbrush);
    win32::fillRect(dc, { 0, 0, winw, app->pany }, globals->bgbrush);
    win32::fillRect(dc, { 0, bottom, winw, winh }, globals->bgbrush);

    // A shadow of two pixels below and to the right of the page.
    win32::fillRect(dc, { app->panx + 2, bottom, right + 2, bottom + 2 }, globals->shbrush);
    win32::fillRect(dc, { right, app->pany + 2, right + 2, bottom }, globals->shbrush);
    return view.width > 0 && view.height > 0;
}

win32::LRESULT pdfapp_viewproc(win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                               win32::LPARAM lParam)
{
    pdfapp_t* app = pdfapp_record();
    pdfapp_globals_t* globals = pdfapp_globals();
    switch (message) {
    case win32::WM_SIZE: {
        if (wParam == win32::SIZE_MINIMIZED)
            return 0;
        if (wParam == win32::SIZE_MAXIMIZED)
            app->shrinkwrap = 0;
        win32::RECT rect;
        if (globals->canresize && win32::getWindowRect(window, &rect)) {
            globals->fitw = rect.right - rect.left;
            globals->fith = rect.bottom - rect.top;
            pdfapp_showpage(app, true, true);
        }
        pdfapp_onresize(app, win32::LOWORD(win32::WPARAM(lParam)), win32::HIWORD(win32::WPARAM(lParam)));
        break;
    }
    case win32::WM_PAINT: {
        win32::Window* own = win32::asWindow(window);
        if (!own)
            break;
        globals->hdc = own->beginPaint();
        pdfapp_paint(app, globals->hdc);
        globals->hdc = nullptr;
        own->endPaint();
        return 0;
    }
    case win32::WM_ERASEBKGND:
        // Painting covers the whole window; erasing first would only flicker.
        return 1;
    default:
        break;
    }
    std::fflush(stdout);
    return win32::defWindowProc(window, message, wParam, lParam);
}

void winerror(pdfapp_t* app, const char* message)
{
    const char* detail = app->ctx ? fz_caught_message(app->ctx) : "";
    writeLogSite(kSource, __LINE__, "winerror");
    writeLogLine("%s: %s", message, detail);
    writeLogLine("displaying error message to user");
    QString text = QString::fromUtf8(message);
    if (detail && *detail)
        text += QLatin1Char('\n') + QString::fromUtf8(detail);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("MuPDF: Error"), text, QMessageBox::Ok,
                    pdfapp_globals()->framewindow);
    box.exec();
}
