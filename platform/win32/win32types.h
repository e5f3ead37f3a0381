#ifndef WIN32TYPES_H
#define WIN32TYPES_H

// The words of the other platform's window interface that the preview is
// written in, mapped onto Qt: a window handle is a QWidget*, a device context
// the QPainter of a paint event, a brush a QBrush, a cursor a Qt cursor
// shape, the application instance the QCoreApplication. Only what the
// preview and its window bridge use is here.

#include <QBrush>
#include <QtGlobal>

#include <cstdint>

class QCoreApplication;
class QPainter;
class QWidget;

namespace win32 {

using HWND = QWidget*;
using HDC = QPainter*;
using HINSTANCE = QCoreApplication*;
using HBRUSH = QBrush;
using HCURSOR = Qt::CursorShape;

using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using LONG = std::int32_t;
using COLORREF = DWORD;
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;

// A window procedure: the one function that handles every message of a window.
using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages, with their numbers on that platform.
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_LBUTTONDOWN = 0x0201;

// The wParam of WM_SIZE.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// The wParam of WM_LBUTTONDOWN.
constexpr WPARAM MK_LBUTTON = 0x0001;

// Virtual keys: the wParam of the key messages.
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;
constexpr WPARAM VK_NEXT = 0x22;
constexpr WPARAM VK_END = 0x23;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F10 = 0x79;

// Window styles.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_TABSTOP = 0x00010000;

// Window class styles: the whole window is repainted when its width or
// height changes.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;

// The "let the system choose" position and size.
constexpr int CW_USEDEFAULT = int(0x80000000);

// A rectangle given by its edges; right and bottom lie just outside it.
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

constexpr WORD LOWORD(quintptr value)
{
    return WORD(value & 0xFFFF);
}

constexpr WORD HIWORD(quintptr value)
{
    return WORD((value >> 16) & 0xFFFF);
}

constexpr LPARAM MAKELPARAM(int low, int high)
{
    return LPARAM((DWORD(WORD(low)) | (DWORD(WORD(high)) << 16)));
}

// A colour written 0x00BBGGRR.
constexpr COLORREF RGB(int red, int green, int blue)
{
    return COLORREF(red & 0xFF) | (COLORREF(green & 0xFF) << 8) | (COLORREF(blue & 0xFF) << 16);
}

} // namespace win32

#endif
