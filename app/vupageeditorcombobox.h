#ifndef VUPAGEEDITORCOMBOBOX_H
#define VUPAGEEDITORCOMBOBOX_H

#include <QComboBox>

class QTreeWidgetItem;

// The in-place editor of the "Selected Pages" cell. The task list places it
// over the cell under the pointer, remembers the row in it and puts the
// row's page count on item 0 (kPageCountRole). Every change of the text is
// checked at once against that count with the lenient check, so a text
// still being typed ("1,3," or "5-") passes; Enter, Return and a click
// elsewhere check the text strictly. An accepted text is announced with
// sglTextChange; a refused one is reported and the keystroke that made it
// is taken back. GUI thread only.
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

signals:
    void sglTextChange(QTreeWidgetItem* row);

public slots:
    void slotEditTextChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showPopup() override;

private:
    void checkStrictly();
    void refuse();

    QTreeWidgetItem* m_row = nullptr;
    // Set only while a finishing check runs.
    bool m_strictCheck = false;
};

#endif
