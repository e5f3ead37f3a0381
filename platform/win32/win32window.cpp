#include "platform/win32/win32window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

namespace win32 {

namespace {

struct KeyPair {
    int qtKey;
    WPARAM virtualKey;
};

const KeyPair kKeys[] = {
    { Qt::Key_Tab, VK_TAB },         { Qt::Key_Backtab, VK_TAB },   { Qt::Key_Return, VK_RETURN },
    { Qt::Key_Enter, VK_RETURN },    { Qt::Key_Alt, VK_MENU },      { Qt::Key_Escape, VK_ESCAPE },
    { Qt::Key_Space, VK_SPACE },     { Qt::Key_PageUp, VK_PRIOR },  { Qt::Key_PageDown, VK_NEXT },
    { Qt::Key_End, VK_END },         { Qt::Key_Home, VK_HOME },     { Qt::Key_Left, VK_LEFT },
    { Qt::Key_Up, VK_UP },           { Qt::Key_Right, VK_RIGHT },   { Qt::Key_Down, VK_DOWN },
    { Qt::Key_F10, VK_F10 },
};

bool isKeyDown(UINT message)
{
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
}

bool isKeyMessage(UINT message)
{
    return isKeyDown(message) || message == WM_KEYUP || message == WM_SYSKEYUP;
}

// Keys pressed with Alt, F10 and Alt itself are the "system" keys there.
UINT keyMessage(const QKeyEvent* key)
{
    const bool system = (key->modifiers() & Qt::AltModifier) || key->key() == Qt::Key_F10
        || key->key() == Qt::Key_Alt;
    if (key->type() == QEvent::KeyPress)
        return system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    return system ? WM_SYSKEYUP : WM_KEYUP;
}

WPARAM sizeType(const QWidget* widget)
{
    if (widget->isMinimized())
        return SIZE_MINIMIZED;
    if (widget->isMaximized())
        return SIZE_MAXIMIZED;
    return SIZE_RESTORED;
}

} // namespace

Window::Window(const WindowClass& windowClass, DWORD style, QWidget* parent)
    : QWidget(parent)
    , m_class(windowClass)
    , m_style(style)
    , m_windowProc(windowClass.windowProc)
{
    setObjectName(windowClass.name);
    // Whatever the procedure does not paint keeps what was there, as on the
    // other platform; erasing is the procedure's business.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(windowClass.cursor);
    setFocusPolicy(Qt::NoFocus);
}

Window::~Window() = default;

WNDPROC Window::setWindowProc(WNDPROC windowProc)
{
    const WNDPROC previous = m_windowProc;
    m_windowProc = windowProc;
    return previous;
}

LRESULT Window::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    return callWindowProc(m_windowProc, this, message, wParam, lParam);
}

HDC Window::beginPaint()
{
    if (!m_painting)
        return nullptr;
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(this);
        dispatch(WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_painter.get()), 0);
    }
    return m_painter.get();
}

void Window::endPaint()
{
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
}

bool Window::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Paint:
        m_painting = true;
        dispatch(WM_PAINT, 0, 0);
        endPaint();
        m_painting = false;
        return true;
    case QEvent::Resize: {
        const bool handled = QWidget::event(event);
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        dispatch(WM_SIZE, sizeType(this), MAKELPARAM(size.width(), size.height()));
        return handled;
    }
    case QEvent::FocusIn: {
        const bool handled = QWidget::event(event);
        dispatch(WM_SETFOCUS, 0, 0);
        return handled;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return dispatchKey(event);
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const QPoint at = mouse->position().toPoint();
        dispatch(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x(), at.y()));
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

// The procedure has every key, Tab included: Qt's own focus moving is left
// out, as a window procedure there sees Tab before anyone moves the focus.
// lParam carries the Qt keyboard modifiers on this platform.
bool Window::dispatchKey(QEvent* event)
{
    auto* key = static_cast<QKeyEvent*>(event);
    dispatch(keyMessage(key), virtualKey(key->key()), LPARAM(key->modifiers().toInt()));
    key->accept();
    return true;
}

HWND createWindow(const WindowClass& windowClass, DWORD style, int x, int y, int width, int height,
                  HWND parent)
{
    auto* window = new Window(windowClass, style, parent);
    window->setGeometry(x == CW_USEDEFAULT ? 0 : x, y == CW_USEDEFAULT ? 0 : y,
                        width == CW_USEDEFAULT ? 0 : width, height == CW_USEDEFAULT ? 0 : height);
    // Hidden until shown, even when its parent is already on screen or
    // shown later.
    window->hide();
    return window;
}

void destroyWindow(HWND window)
{
    delete window;
}

Window* asWindow(HWND window)
{
    return qobject_cast<Window*>(window);
}

LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    Window* own = asWindow(window);
    switch (message) {
    case WM_PAINT:
        if (own) {
            own->beginPaint();
            own->endPaint();
        }
        return 0;
    case WM_ERASEBKGND: {
        auto* painter = reinterpret_cast<HDC>(wParam);
        if (!own || !painter || own->windowClass().background.style() == Qt::NoBrush)
            return 0;
        painter->fillRect(own->rect(), own->windowClass().background);
        return 1;
    }
    default:
        return 0;
    }
}

LRESULT callWindowProc(WNDPROC windowProc, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (windowProc)
        return windowProc(window, message, wParam, lParam);
    return defWindowProc(window, message, wParam, lParam);
}

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window)
        return 0;
    if (Window* own = asWindow(window))
        return own->dispatch(message, wParam, lParam);
    if (isKeyMessage(message)) {
        const auto modifiers = Qt::KeyboardModifiers::fromInt(int(lParam));
        QKeyEvent key(isKeyDown(message) ? QEvent::KeyPress : QEvent::KeyRelease,
                      qtKey(wParam, modifiers), modifiers);
        QCoreApplication::sendEvent(window, &key);
    }
    return 0;
}

WNDPROC windowProc(HWND window)
{
    Window* own = asWindow(window);
    return own ? own->windowProc() : nullptr;
}

WNDPROC setWindowProc(HWND window, WNDPROC windowProc)
{
    Window* own = asWindow(window);
    return own ? own->setWindowProc(windowProc) : nullptr;
}

DWORD windowStyle(HWND window)
{
    Window* own = asWindow(window);
    if (own)
        return own->style();
    return window && !window->isWindow() ? WS_CHILD : 0;
}

HWND getParent(HWND window)
{
    return window ? window->parentWidget() : nullptr;
}

void setParent(HWND window, HWND parent)
{
    if (!window)
        return;
    const bool shown = !window->isHidden();
    window->setParent(parent, parent ? window->windowFlags() & ~Qt::Window : window->windowFlags());
    if (shown)
        window->show();
}

void moveWindow(HWND window, int x, int y, int width, int height)
{
    if (window)
        window->setGeometry(x, y, width, height);
}

void showWindow(HWND window, bool show)
{
    if (window)
        window->setVisible(show);
}

void enableWindow(HWND window, bool enable)
{
    if (window)
        window->setEnabled(enable);
}

bool getWindowRect(HWND window, RECT* rect)
{
    if (!window || !rect)
        return false;
    const QPoint topLeft = window->mapToGlobal(QPoint(0, 0));
    rect->left = topLeft.x();
    rect->top = topLeft.y();
    rect->right = topLeft.x() + window->width();
    rect->bottom = topLeft.y() + window->height();
    return true;
}

void invalidateRect(HWND window)
{
    if (window)
        window->update();
}

void setWindowText(HWND window, const QString& text)
{
    if (window)
        window->setWindowTitle(text);
}

HWND getFocus()
{
    return QApplication::focusWidget();
}

void setFocus(HWND window)
{
    if (window)
        window->setFocus(Qt::OtherFocusReason);
}

void bringWindowToTop(HWND window)
{
    if (window)
        window->raise();
}

void setActiveWindow(HWND window)
{
    if (window)
        window->activateWindow();
}

WPARAM virtualKey(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return WPARAM(key);
    for (const KeyPair& pair : kKeys) {
        if (pair.qtKey == key)
            return pair.virtualKey;
    }
    return 0;
}

int qtKey(WPARAM key, Qt::KeyboardModifiers modifiers)
{
    if (key == VK_TAB && (modifiers & Qt::ShiftModifier))
        return Qt::Key_Backtab;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return int(key);
    for (const KeyPair& pair : kKeys) {
        if (pair.virtualKey == key)
            return pair.qtKey;
    }
    return Qt::Key_unknown;
}

} // namespace win32
