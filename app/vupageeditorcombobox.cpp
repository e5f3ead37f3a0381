#include "app/vupageeditorcombobox.h"

#include "app/celleditorpopup.h"
#include "app/celltexts.h"
#include "app/taskrow.h"
#include "convert/pagelist.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

VuPageEditorCombobox::VuPageEditorCombobox(QWidget* parent)
    : QComboBox(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setEditable(true);
    // Enter would otherwise add every typed page list to the drop-down
    // list, which offers only "All" and the hint.
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::editTextChanged, this, &VuPageEditorCombobox::slotEditTextChanged);
}

VuPageEditorCombobox::~VuPageEditorCombobox() = default;

void VuPageEditorCombobox::slotEditTextChanged(const QString& text)
{
    QString checked = text;
    if (text == celltexts::pagesHint()) {
        // The hint was picked: a page list starts at page 1. The text is set
        // quietly so that "1" is checked, and announced, once.
        const QSignalBlocker blocker(this);
        setEditText(QStringLiteral("1"));
        checked = currentText();
    }
    const int pageCount = itemData(0, kPageCountRole).toInt();
    if (utils::isPageTextValid(checked, pageCount, m_strictCheck))
        emit sglTextChange(m_row);
    else
        refuse();
}

void VuPageEditorCombobox::refuse()
{
    VuMessageBox::info(tr("Invalid format or out of range!"), VuPref::product_name(), this);
    // The text before the refused edit passed the lenient check when it was
    // typed and is what the row holds; checked leniently again it is
    // written back, so the row and the field agree even after a strict
    // check, and no chain of refusals runs back through older texts.
    m_strictCheck = false;
    QLineEdit* field = lineEdit();
    if (field->isUndoAvailable()) {
        field->undo();
    } else if (m_row) {
        // Nothing typed to take back (the hint was picked): the field shows
        // the row's own text again, which needs no check.
        const QSignalBlocker blocker(this);
        field->setText(taskrow::pageText(m_row));
    }
}

void VuPageEditorCombobox::checkStrictly()
{
    m_strictCheck = true;
    slotEditTextChanged(currentText());
    m_strictCheck = false;
}

void VuPageEditorCombobox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        lineEdit()->undo();
        break;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        checkStrictly();
        break;
    default:
        break;
    }
    QComboBox::keyPressEvent(event);
}

void VuPageEditorCombobox::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() == Qt::MouseFocusReason)
        checkStrictly();
    QComboBox::focusOutEvent(event);
}

void VuPageEditorCombobox::showPopup()
{
    showCellEditorPopup(this, 140);
}
