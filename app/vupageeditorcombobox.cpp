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

void VuPageEditorCombobox::showText(const QString& text)
{
    const QSignalBlocker blocker(this);
    setEditText(text);
    m_typing.start(text);
}

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
    if (!utils::isPageTextValid(checked, pageCount, m_strictCheck)) {
        refuse(checked);
        return;
    }
    // A text with a dangling "-" runs to the last page, which the user
    // named only when the "-" was the last thing typed before Enter.
    if (m_typing.accept(checked, pageCount) || m_strictCheck)
        emit sglTextChange(m_row);
}

void VuPageEditorCombobox::refuse(const QString& text)
{
    VuMessageBox::info(tr("Invalid format or out of range!"), VuPref::product_name(), this);
    if (m_strictCheck && text == m_typing.accepted())
        goBackToSafeText();
    else
        m_typing.takeBack(lineEdit(), text);
}

// The text passed while it was typed but fails the strict check. Taking
// back only its last keystroke could leave "9-" of a refused "9-2", which
// converts pages 9 to the end: field and row go back to the latest text of
// this edit that passed the strict check and names only pages that were
// typed.
void VuPageEditorCombobox::goBackToSafeText()
{
    {
        const QSignalBlocker blocker(this);
        lineEdit()->setText(m_typing.safe());
    }
    m_typing.start(m_typing.safe());
    emit sglTextChange(m_row);
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
