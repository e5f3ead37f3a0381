#include "app/vutransitmodecombobox.h"

#include "app/celleditorpopup.h"
#include "app/celltexts.h"
#include "app/taskrow.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTreeWidgetItem>

VuTransitModeComboBox::VuTransitModeComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setEditable(false);
    connect(this, &QComboBox::textActivated, this, &VuTransitModeComboBox::slotEditTextChanged);
}

VuTransitModeComboBox::~VuTransitModeComboBox() = default;

void VuTransitModeComboBox::slotEditTextChanged(const QString& text)
{
    if (text == celltexts::textMode() || text == celltexts::pictureMode())
        emit sglTextChange(m_row);
}

// Enter and a click elsewhere confirm the mode on show. The editor keeps
// the focus while it moves from row to row under the pointer, so a mode the
// row already has is not announced again: that would open the picture
// dialog for a row the user only passed over.
void VuTransitModeComboBox::commitShownMode()
{
    if (m_row && m_row->text(taskrow::ColumnMode) == currentText())
        return;
    slotEditTextChanged(currentText());
}

void VuTransitModeComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return)
        commitShownMode();
    QComboBox::keyPressEvent(event);
}

void VuTransitModeComboBox::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() == Qt::MouseFocusReason)
        commitShownMode();
    QComboBox::focusOutEvent(event);
}

void VuTransitModeComboBox::showPopup()
{
    showCellEditorPopup(this, 100);
}
