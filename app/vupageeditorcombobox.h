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
// sglTextChange, and the row takes it at once; a refused one is reported
// and the edit that made it is taken back. A text refused by the strict
// check goes back to the last one that passed it. GUI thread only.
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
    void restoreAccepted(const QString& refused);
    void goBackToSafeText();
    static bool namesOnlyTypedPages(const QString& text, int pageCount);

    QTreeWidgetItem* m_row = nullptr;
    // The text accepted last, which the row holds. The line edit's own undo
    // would take back all typing since the editor was placed, not just the
    // refused keystroke.
    QString m_acceptedText;
    // The latest text since the placement that passed the strict check
    // without a dangling "-" (or the text the row had then): where a refused
    // Enter goes back to.
    QString m_safeText;
    // Set only while a finishing check runs.
    bool m_strictCheck = false;
};

#endif
