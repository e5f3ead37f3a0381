#ifndef QWINHOST_H
#define QWINHOST_H

// A Qt widget that holds a window with a window procedure (a win32::Window)
// and keeps it in step with the Qt side: the window fills the widget, takes
// the keyboard focus when the widget gets it, follows the widget's modal
// blocking, and passes Tab and the Alt keys back to the widget so that Qt's
// focus moving and shortcuts still work. A derived class makes the window
// in createWindow(), called when the widget is polished; the host then
// installs its own procedure in front of the window's. GUI thread only.
//
// The set-focus message the other platform sends to the widget itself is
// Qt's focus-in event here; focusInEvent() hands the focus on. There Qt
// keeps the focus on the host while the window has it; here the window is a
// Qt widget of its own, so Tab and Shift+Tab from it move on from the host's
// place in the tab order (focusNextPrevChild()).

#include "platform/win32/win32types.h"

#include <QPointer>
#include <QWidget>

class QWinHost : public QWidget {
    Q_OBJECT
public:
    explicit QWinHost(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~QWinHost() override;

    // The hosted window; null until made, and after it went away.
    win32::HWND window() const { return hostedWindow; }

protected:
    // Makes the window to host as a child of parent; null here.
    virtual win32::HWND createWindow(win32::HWND parent, win32::HINSTANCE instance);

    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void fixParent();
    void subclassWindow();
    static win32::LRESULT hostWindowProc(win32::HWND window, win32::UINT message,
                                         win32::WPARAM wParam, win32::LPARAM lParam);

    win32::WNDPROC previousWindowProc = nullptr;
    bool ownsWindow = false;
    QPointer<QWidget> hostedWindow;
    // Set while the host takes the focus back from its window only to pass
    // it on to the next widget.
    bool passingFocusOn = false;
};

#endif
