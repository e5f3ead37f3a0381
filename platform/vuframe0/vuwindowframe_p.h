#ifndef VUWINDOWFRAME_P_H
#define VUWINDOWFRAME_P_H

#include <QWidget>

class VuMainWindow;

// The framed top-level window that holds a VuMainWindow and nothing else.
// Closing it asks the main window first.
class VuWindowFrame : public QWidget {
    Q_OBJECT
public:
    VuWindowFrame(VuMainWindow* window, QWidget* parent, Qt::WindowFlags flags);
    ~VuWindowFrame() override;

    // Called by the main window when it goes first, so the frame does not
    // delete it again.
    void releaseWindow();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    VuMainWindow* m_window;
};

#endif
