#include "preview/qwinhost.h"

#include "platform/win32/win32window.h"

#include <QApplication>
#include <QEvent>

QWinHost::QWinHost(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    // The hosted window covers the widget; the widget itself never paints.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

QWinHost::~QWinHost()
{
    if (previousWindowProc && hostedWindow)
        win32::setWindowProc(hostedWindow, previousWindowProc);
    if (hostedWindow && ownsWindow)
        win32::destroyWindow(hostedWindow);
}

win32::HWND QWinHost::createWindow(win32::HWND, win32::HINSTANCE)
{
    return nullptr;
}

// A window destroyed behind the host's back is forgotten (the pointer to it
// is already null); one moved elsewhere is brought back.
void QWinHost::fixParent()
{
    if (hostedWindow && win32::getParent(hostedWindow) != this)
        win32::setParent(hostedWindow, this);
}

// The host's procedure goes in front of the window's own, once, while the
// window is the host's child. A window that takes part in tabbing makes the
// host take the focus by tab and by click.
void QWinHost::subclassWindow()
{
    if (previousWindowProc || win32::getParent(hostedWindow) != this)
        return;
    previousWindowProc = win32::setWindowProc(hostedWindow, hostWindowProc);
    if (win32::windowStyle(hostedWindow) & win32::WS_TABSTOP)
        setFocusPolicy(Qt::FocusPolicy(focusPolicy() | Qt::StrongFocus));
}

bool QWinHost::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Polish:
        // Made once: a window that went away later is not made again.
        if (!hostedWindow && !ownsWindow) {
            hostedWindow = createWindow(this, QCoreApplication::instance());
            ownsWindow = hostedWindow != nullptr;
        }
        fixParent();
        if (hostedWindow)
            subclassWindow();
        break;
    case QEvent::WindowBlocked:
        win32::enableWindow(hostedWindow, false);
        break;
    case QEvent::WindowUnblocked:
        win32::enableWindow(hostedWindow, true);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void QWinHost::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (hostedWindow) {
        win32::moveWindow(hostedWindow, 0, 0, width(), height());
        win32::showWindow(hostedWindow, true);
    }
}

void QWinHost::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    win32::moveWindow(hostedWindow, 0, 0, width(), height());
}

void QWinHost::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (!passingFocusOn)
        win32::setFocus(hostedWindow);
}

// The window has no place of its own in the tab order, so the walk to the
// next widget starts from the host.
bool QWinHost::focusNextPrevChild(bool next)
{
    if (hostedWindow && QApplication::focusWidget() == hostedWindow) {
        passingFocusOn = true;
        setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        passingFocusOn = false;
    }
    return QWidget::focusNextPrevChild(next);
}

win32::LRESULT QWinHost::hostWindowProc(win32::HWND window, win32::UINT message,
                                        win32::WPARAM wParam, win32::LPARAM lParam)
{
    auto* host = qobject_cast<QWinHost*>(win32::getParent(window));
    if (!host)
        return win32::defWindowProc(window, message, wParam, lParam);
    switch (message) {
    case win32::WM_KEYDOWN:
        if (wParam == win32::VK_TAB)
            win32::sendMessage(host, message, wParam, lParam);
        break;
    case win32::WM_SYSKEYDOWN:
    case win32::WM_SYSKEYUP:
        win32::sendMessage(host, message, wParam, lParam);
        break;
    case win32::WM_LBUTTONDOWN:
        if (win32::getFocus() != window && (host->focusPolicy() & Qt::ClickFocus))
            host->setFocus(Qt::MouseFocusReason);
        break;
    default:
        break;
    }
    return win32::callWindowProc(host->previousWindowProc, window, message, wParam, lParam);
}
