#ifndef VUWIDGETHELPER_H
#define VUWIDGETHELPER_H

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

// Window chores shared by the framework's windows and dialogs. A main window
// lives inside a framed top-level window, so "the window" is that frame when
// there is one and the widget itself otherwise.
class VuWidgetHelper {
public:
    explicit VuWidgetHelper(QWidget* widget, QWidget* frame = nullptr);

    QWidget* widget() const { return m_widget; }
    // The top-level window: the frame, or the widget when it has none.
    QWidget* window() const;

    // Gives the widget, its frame and its top-level window the same title,
    // so the title bar and the task bar agree.
    void setAllWindowTitle(const QString& title);

    // The size the window gets when it is first shown; applied at once.
    void setDefaultSize(const QSize& size);
    QSize defaultSize() const { return m_defaultSize; }

private:
    QPointer<QWidget> m_widget;
    QPointer<QWidget> m_frame;
    QSize m_defaultSize;
};

#endif
