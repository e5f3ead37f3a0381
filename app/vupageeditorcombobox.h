#ifndef VUPAGEEDITORCOMBOBOX_H
#define VUPAGEEDITORCOMBOBOX_H

#include "app/pagetexttyping.h"

#include <QComboBox>

class QTreeWidgetItem;

// The in-place editor of the "Selected Pages" cell. The task list places it
// over the cell under the pointer, remembers the row in it and puts the
// row's page count on item 0 (kPageCountRole). Every change of the text is
// checked at once against that count with the lenient check, so a text
// still being typed ("1,3," or "5-") passes; Enter, Return and a click
// elsewhere check the text strictly. A refused text is reported and the edit
// that made it is taken back; one refused by the strict check goes back to
// the last one that passed it. The row takes a text (sglTextChange) only
// when it names pages the row can convert: while typing, a text that names
// only typed pages; on finishing, any that passes the strict check ("5-"
// then runs to the last page). Leaving the editor any other way leaves the
// row with the last text it took. GUI thread only.
class VuPageEditorCombobox : public QComboBox {
    Q_OBJECT
public:
    // Item 0 carries the row's "Total Pages" text under this role.
    static constexpr int kPageCountRole = 0x21;

    explicit VuPageEditorCombobox(QWidget* parent = nullptr);
    ~VuPageEditorCombobox() override;

    // The row the editor was placed over last; null before the first
    // placement and after that row left the list.
    QTreeWidgetItem* row() const { return m_row; }
    void setRow(QTreeWidgetItem* row) { m_row = row; }

    // Shows the row's page text without checking or announcing it.
    void showText(const QString& text);

    // The list opens under the editor (celleditorpopup.h).
    void showPopup() override;

signals:
    void sglTextChange(QTreeWidgetItem* row);

public slots:
    void slotEditTextChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void checkStrictly();
    void refuse(const QString& text);
    void goBackToSafeText();

    QTreeWidgetItem* m_row = nullptr;
    // The typing since the editor was placed over its row.
    PageTextTyping m_typing;
    // Set only while a finishing check runs.
    bool m_strictCheck = false;
};

#endif
