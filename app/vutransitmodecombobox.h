#ifndef VUTRANSITMODECOMBOBOX_H
#define VUTRANSITMODECOMBOBOX_H

#include <QComboBox>

class QTreeWidgetItem;

// The in-place editor of the "Conversion Mode" cell: "Text" or "Picture".
// The task list places it over the cell under the pointer, remembers the
// row in it and shows the row's mode. Choosing a mode (or Enter, or a click
// elsewhere after the shown mode was changed) announces it with
// sglTextChange. GUI thread only.
class VuTransitModeComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit VuTransitModeComboBox(QWidget* parent = nullptr);
    ~VuTransitModeComboBox() override;

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
    void commitShownMode();

    QTreeWidgetItem* m_row = nullptr;
};

#endif
