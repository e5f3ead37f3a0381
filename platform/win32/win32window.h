#ifndef WIN32WINDOW_H
#define WIN32WINDOW_H

// Windows with a window procedure, over Qt widgets. A win32::Window is a
// QWidget whose paint, size, focus, key and left-button events reach its
// window procedure as the messages of the other platform, so code written as
// a window procedure (the preview's page window) runs unchanged in meaning;
// the procedure may be replaced ("subclassing") by another that passes on
// to it. The free functions are the few window calls the preview and its
// bridge make, each a line of Qt. GUI thread only.

#include "platform/win32/win32types.h"

#include <QString>
#include <QWidget>

#include <memory>

namespace win32 {

// What windows of one kind share.
struct WindowClass {
    QString name;
    UINT style = 0;
    WNDPROC windowProc = nullptr;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = Qt::ArrowCursor;
    // What defWindowProc erases the window with; Qt::NoBrush erases nothing.
    HBRUSH background;
};

class Window : public QWidget {
    Q_OBJECT
public:
    Window(const WindowClass& windowClass, DWORD style, QWidget* parent);
    ~Window() override;

    const WindowClass& windowClass() const { return m_class; }
    DWORD style() const { return m_style; }

    WNDPROC windowProc() const { return m_windowProc; }
    // Installs another procedure and returns the one it replaces.
    WNDPROC setWindowProc(WNDPROC windowProc);

    // Hands a message to the window's procedure (defWindowProc without one).
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    // Only while WM_PAINT is handled: the device context of the window,
    // after the window was erased by a WM_ERASEBKGND message; null at any
    // other time. endPaint() ends it (also done when WM_PAINT returns).
    HDC beginPaint();
    void endPaint();

protected:
    bool event(QEvent* event) override;

private:
    bool dispatchKey(QEvent* event);

    WindowClass m_class;
    DWORD m_style;
    WNDPROC m_windowProc;
    bool m_painting = false;
    std::unique_ptr<QPainter> m_painter;
};

// A hidden window of the class (WS_VISIBLE is not among the styles used
// here), placed in its parent; CW_USEDEFAULT places it at 0 and makes it
// empty, as for any child window there.
HWND createWindow(const WindowClass& windowClass, DWORD style, int x, int y, int width, int height,
                  HWND parent);
void destroyWindow(HWND window);

// Null when the window is not a win32::Window.
Window* asWindow(HWND window);

// What a message does when no procedure handles it: WM_PAINT paints nothing
// but the erased background, WM_ERASEBKGND fills the window with its class's
// brush and answers 1; everything else answers 0.
LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// windowProc, or defWindowProc when there is none.
LRESULT callWindowProc(WNDPROC windowProc, HWND window, UINT message, WPARAM wParam,
                       LPARAM lParam);
// To a win32::Window, its procedure at once; to any other widget, a key
// message arrives as the matching Qt key event. Answers the procedure's result
// (0 for other widgets).
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

WNDPROC windowProc(HWND window);
WNDPROC setWindowProc(HWND window, WNDPROC windowProc);
DWORD windowStyle(HWND window);

HWND getParent(HWND window);
// Moves the window into another parent, keeping whether it is shown.
void setParent(HWND window, HWND parent);
void moveWindow(HWND window, int x, int y, int width, int height);
void showWindow(HWND window, bool show);
void enableWindow(HWND window, bool enable);
// The window's rectangle on the screen; false for no window.
bool getWindowRect(HWND window, RECT* rect);
// Repaints the whole window (without erasing it first) at the next paint.
void invalidateRect(HWND window);
void setWindowText(HWND window, const QString& text);

HWND getFocus();
void setFocus(HWND window);
void bringWindowToTop(HWND window);
void setActiveWindow(HWND window);

// The virtual key of a Qt key, 0 for keys without one here; and back.
WPARAM virtualKey(int qtKey);
int qtKey(WPARAM virtualKey, Qt::KeyboardModifiers modifiers);

} // namespace win32

#endif
