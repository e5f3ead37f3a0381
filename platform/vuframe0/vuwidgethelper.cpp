#include "platform/vuframe0/vuwidgethelper.h"

VuWidgetHelper::VuWidgetHelper(QWidget* widget, QWidget* frame)
    : m_widget(widget)
    , m_frame(frame)
{
}

QWidget* VuWidgetHelper::window() const
{
    if (m_frame)
        return m_frame;
    return m_widget ? m_widget->window() : nullptr;
}

void VuWidgetHelper::setAllWindowTitle(const QString& title)
{
    if (m_widget)
        m_widget->setWindowTitle(title);
    if (QWidget* top = window())
        top->setWindowTitle(title);
}

void VuWidgetHelper::setDefaultSize(const QSize& size)
{
    m_defaultSize = size;
    if (QWidget* top = window())
        top->resize(size);
}
