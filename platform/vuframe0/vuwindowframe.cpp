#include "platform/vuframe0/vuwindowframe_p.h"

#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vumainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QVBoxLayout>

VuWindowFrame::VuWindowFrame(VuMainWindow* window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::Window)
    , m_window(window)
{
    setObjectName(QStringLiteral("VuWindowFrame"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

VuWindowFrame::~VuWindowFrame()
{
    // Deleting the frame deletes the main window with it (its child); the
    // window must not try to delete the frame in turn.
    if (m_window)
        m_window->frameGone();
}

void VuWindowFrame::releaseWindow()
{
    m_window = nullptr;
}

void VuWindowFrame::closeEvent(QCloseEvent* event)
{
    if (!m_window) {
        event->accept();
        return;
    }
    if (!m_window->close()) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_window == VuApplication::mainWindow())
        QCoreApplication::quit();
}
