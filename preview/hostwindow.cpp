#include "preview/hostwindow.h"

HostWindow::HostWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
}

HostWindow::~HostWindow() = default;
