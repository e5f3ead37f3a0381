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
    m_acceptedText = text;
    m_textBefore = text;
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
    if (checked != m_acceptedText) {
        m_textBefore = m_acceptedText;
        m_acceptedText = checked;
    }
    emit sglTextChange(m_row);
}

void VuPageEditorCombobox::refuse(const QString& text)
{
    VuMessageBox::info(tr("Invalid format or out of range!"), VuPref::product_name(), this);
    if (m_strictCheck && text == m_acceptedText)
        stepBack();
    else
        restoreAccepted(text);
}

// A new edit failed the check: the field goes back to the text accepted
// last, which the row already holds, with the cursor where it was.
void VuPageEditorCombobox::restoreAccepted(const QString& refused)
{
    QLineEdit* field = lineEdit();
    const int cursor = field->cursorPosition() - int(refused.size() - m_acceptedText.size());
    const QSignalBlocker blocker(this);
    field->setText(m_acceptedText);
    field->setCursorPosition(qBound(0, cursor, int(m_acceptedText.size())));
}

// The text passed while it was typed (and is in the row) but fails the
// strict check: its last edit is taken back, and the row takes the text
// before it, so field and row agree.
void VuPageEditorCombobox::stepBack()
{
    {
        const QSignalBlocker blocker(this);
        lineEdit()->setText(m_textBefore);
    }
    m_acceptedText = m_textBefore;
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
