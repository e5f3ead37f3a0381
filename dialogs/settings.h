#ifndef SETTINGS_H
#define SETTINGS_H

#include "platform/vuframe0/vudialog.h"

#include <QString>

#include <memory>

class QAbstractButton;

namespace Ui {
class SettingsClass;
}

// The options dialog. It shows one tab, "General": the temporary folder
// (preference "temporarydir") and the main window's automatic update check.
// The form's "Word", "Excel" and "HTML" tabs are removed before it is shown;
// their settings are still loaded and stored, so the first OK or Apply
// writes each of their keys. OK and Apply store at once, and refuse a
// temporary folder that is not valid, cannot be made or cannot be written;
// Cancel stores nothing. The main window builds it on the stack and runs it.
//
// The on_<object>_<signal> slots are connected by name when the form is
// built. GUI thread only.
class Settings : public VuDialog {
    Q_OBJECT
public:
    explicit Settings(QWidget* parent = nullptr);
    ~Settings() override;

    // "<system temporary folder>/<company_root_key>/<product_key>", native.
    static QString defaultTemporaryDir();

    // True when text names an absolute folder in plain form (no "." or ".."
    // parts, no doubled separators; one trailing separator is allowed)
    // under a root of this machine, without any of the characters
    // " * : < > ` ! # ? | after the root.
    static bool isTemporaryFolderValid(const QString& text);

public slots:
    void on_lineEdit_editingFinished();
    void on_browse_clicked();
    void on_open_clicked();
    void on_resetToDefaultGeneral_clicked();
    void on_resetToDefaultWord_clicked();
    void on_resetToDefaultExcel_clicked();
    void on_resetToDefaultHtml_clicked();
    void on_buttonBox_clicked(QAbstractButton* button);
    bool saveTabGeneral();
    bool saveTabWord();
    bool saveTabExcel();
    bool saveTabHtml();

private:
    // Connected explicitly; kept out of the slot list so the connection by
    // name does not look for objects named "Settings" or "compressRateChanged".
    void on_Settings_Changed();
    void on_compressRateChanged(int value);

    void loadTabGeneral();
    void loadTabExcel();
    void loadTabHtml();
    void refuseTemporaryFolder();

    std::unique_ptr<Ui::SettingsClass> ui;
};

#endif
