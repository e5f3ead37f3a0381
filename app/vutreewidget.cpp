#include "app/vutreewidget.h"

#include "preview/hostwindow.h"

VuTreeWidget::VuTreeWidget(QWidget* parent)
    : QTreeWidget(parent)
{
}

VuTreeWidget::~VuTreeWidget() = default;

void VuTreeWidget::setHostWindow(HostWindow* hostWindow)
{
    m_hostWindow = hostWindow;
}

HostWindow* VuTreeWidget::hostWindow() const
{
    return m_hostWindow;
}

void VuTreeWidget::retranslateCells()
{
}
