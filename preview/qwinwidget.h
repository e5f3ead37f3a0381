#ifndef QWINWIDGET_H
#define QWINWIDGET_H

// The converse of QWinHost: a Qt widget placed inside a window of the other
// side (its native parent), so that Qt dialogs can be shown over that window.
// The widget itself stays an empty spot in the parent; its top-level
// children (the dialogs) are what the user sees. While one is shown the
// widget hides, the focus of the parent side is saved and given back when it
// goes, and Tab and Shift+Tab move between the widget's children and the
// native parent. GUI thread only.
//
// Here the native parent is a Qt widget and the dialogs are its descendants,
// so disabling the parent while a modal dialog shows, as the other platform
// needs, would disable the dialog too: Qt's modality already blocks the
// parent, and the widget only keeps track of that state. The set-focus
// message of the other platform is Qt's focus-in event here.

#include "platform/win32/win32types.h"

#include <QPointer>
#include <QWidget>

class QWinWidget : public QWidget {
    Q_OBJECT
public:
    // With a native parent the widget becomes its child (and is owned by
    // it); otherwise a parent widget given as parent owns it.
    explicit QWinWidget(win32::HWND parentWnd, QObject* parent = nullptr, Qt::WindowFlags flags = {});
    ~QWinWidget() override;

    win32::HWND parentWindow() const { return nativeParent; }

    // Saves the focus of the parent side, then shows the widget.
    void show();
    // Places the widget, empty, at the centre of the native parent, so that
    // its top-level children centre over the parent.
    void center();
    void showCentered();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void init();
    void saveFocus();
    void resetFocus();
    bool isTabStop(const QWidget* widget) const;

    QPointer<QWidget> nativeParent;
    QPointer<QWidget> savedFocus;
    bool parentDisabled = false;
};

#endif
