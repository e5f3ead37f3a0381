#ifndef VUDIALOG_H
#define VUDIALOG_H

#include <QDialog>

#include <memory>

class VuWidgetHelper;

// The framework's dialog base. Dialogs are built on the stack and run with
// exec(); a language change calls retranslate(), and updateUiState() runs
// each time the dialog is shown.
class VuDialog : public QDialog {
    Q_OBJECT
public:
    explicit VuDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~VuDialog() override;

    VuWidgetHelper* widgetHelper() const { return m_helper.get(); }

    virtual void updateUiState();
    virtual void retranslate();

protected:
    bool event(QEvent* event) override;

private:
    std::unique_ptr<VuWidgetHelper> m_helper;
};

#endif
