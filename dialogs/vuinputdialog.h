#ifndef VUINPUTDIALOG_H
#define VUINPUTDIALOG_H

// The password prompt: a small modal dialog with a prompt and one masked
// line of at most 128 characters, used through getText(). GUI thread only.

#include "platform/vuframe0/vudialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

class VuInputDialog : public VuDialog {
    Q_OBJECT
public:
    explicit VuInputDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~VuInputDialog() override;

    QString text() const;

    void retranslate() override;

    // Shows the prompt modally and answers what is in the field when it
    // closes, confirmed or not; *ok (when given) is true only for OK, so a
    // caller must look at it, not at the text.
    static QString getText(const QString& title, const QString& label, const QString& text, bool* ok,
                           QWidget* parent);

public slots:
    void onOK();
    void onCancel();

private:
    QLineEdit* m_lineEdit;
    QLabel* m_label;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    bool m_accepted = false;
};

#endif
