#include "platform/vuframe0/vudialog.h"

#include "platform/vuframe0/vuwidgethelper.h"

#include <QEvent>

VuDialog::VuDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_helper(std::make_unique<VuWidgetHelper>(this))
{
}

VuDialog::~VuDialog() = default;

void VuDialog::updateUiState()
{
}

void VuDialog::retranslate()
{
}

bool VuDialog::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::LanguageChange:
        retranslate();
        break;
    case QEvent::Show:
        updateUiState();
        break;
    default:
        break;
    }
    return QDialog::event(event);
}
