#include "dialogs/settings.h"
#include "ui_settings.h"

#include "dialogs/dialogprefs.h"
#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vumainwindow.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vuwidgethelper.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace {

const QSize kDialogSize(690, 596);

// Update-check intervals in days, by position in the "updateFreq" list.
const int kIntervals[] = {1, 7, 30};
constexpr int kDefaultIntervalIndex = 1;

enum Tab { TabGeneral = 0, TabWord = 1, TabExcel = 2, TabHtml = 3 };

QString withTrailingSeparator(const QString& path)
{
    return path.endsWith(QDir::separator()) ? path : path + QDir::separator();
}

int intervalIndex(int days)
{
    for (int i = 0; i < 3; ++i) {
        if (kIntervals[i] == days)
            return i;
    }
    return kDefaultIntervalIndex;
}

int intervalDays(int index)
{
    return index >= 0 && index < 3 ? kIntervals[index] : kIntervals[kDefaultIntervalIndex];
}

} // namespace

Settings::Settings(QWidget* parent)
    : VuDialog(parent, Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui::SettingsClass>())
{
    ui->setupUi(this);

    // Each tab is loaded before its change signals are connected, so loading
    // leaves Apply disabled.
    loadTabGeneral();
    connect(ui->resetToDefaultWord, &QPushButton::clicked, this, &Settings::on_Settings_Changed);
    loadTabExcel();
    loadTabHtml();

    // Only "General" is offered; the other tabs' widgets stay with the
    // dialog and keep their loaded values.
    ui->tabWidget->removeTab(TabHtml);
    ui->tabWidget->removeTab(TabExcel);
    ui->tabWidget->removeTab(TabWord);
    ui->tabWidget->setCurrentIndex(TabGeneral);

    ui->buttonBox->button(QDialogButtonBox::Apply)->setEnabled(false);
    widgetHelper()->setAllWindowTitle(tr("Settings"));
    setFixedSize(kDialogSize);
}

Settings::~Settings() = default;

QString Settings::defaultTemporaryDir()
{
    const QString temp = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return QDir::toNativeSeparators(temp + QLatin1Char('/') + VuPref::company_root_key() + QLatin1Char('/')
                                    + VuPref::product_key());
}

bool Settings::isTemporaryFolderValid(const QString& text)
{
    if (text.isEmpty())
        return false;
    QString path = text;
    if (path.endsWith(QDir::separator()))
        path.chop(1);

    // The text as typed against its cleaned absolute form: relative paths,
    // "." and ".." parts and doubled separators differ.
    const QString native = withTrailingSeparator(QDir::toNativeSeparators(path));
    const QString absolute =
        withTrailingSeparator(QDir::toNativeSeparators(QDir(QDir(path).absolutePath()).absolutePath()));
    if (native != absolute)
        return false;

    static const QRegularExpression forbidden(QStringLiteral("\"|\\*|:|<|>|`|!|#|\\?|\\|"));
    const QFileInfoList roots = QDir::drives();
    for (const QFileInfo& drive : roots) {
        const QString root = withTrailingSeparator(QDir::toNativeSeparators(drive.filePath()));
        if (native.startsWith(root, Qt::CaseInsensitive))
            return native.indexOf(forbidden, root.size()) < 0;
    }
    return false;
}

void Settings::loadTabGeneral()
{
    ui->lineEdit->setText(dialogprefs::temporaryDir());
    ui->lineEdit->setCursorPosition(0);

    // Without a main window (no update check to set) the framework's
    // defaults are shown and nothing is stored for it.
    const VuMainWindow* window = VuApplication::mainWindow();
    ui->checkUpdate->setChecked(window ? window->autoCheckUpdate() : true);
    ui->updateFreq->setCurrentIndex(window ? intervalIndex(window->autoCheckUpdateInterval())
                                           : kDefaultIntervalIndex);
    ui->updateFreq->setEnabled(ui->checkUpdate->isChecked());

    connect(ui->checkUpdate, &QCheckBox::toggled, ui->updateFreq, &QComboBox::setEnabled);
    connect(ui->lineEdit, &QLineEdit::editingFinished, this, &Settings::on_Settings_Changed);
    connect(ui->checkUpdate, &QCheckBox::toggled, this, &Settings::on_Settings_Changed);
    connect(ui->updateFreq, &QComboBox::currentIndexChanged, this, &Settings::on_Settings_Changed);
    connect(ui->resetToDefaultGeneral, &QPushButton::clicked, this, &Settings::on_Settings_Changed);
    ui->groupBoxPower->hide();
}

void Settings::loadTabExcel()
{
    switch (dialogprefs::excelConvertSetting.value()) {
    case 1:
        ui->radioButtonPageOneSheet->setChecked(true);
        break;
    case 2:
        ui->radioButtonOnlyTable->setChecked(true);
        break;
    default:
        ui->radioButtonAllOneSheet->setChecked(true);
        break;
    }
    ui->checkBoxAutoExcelSettings->setChecked(dialogprefs::openSettingBeforeConvert.value());

    for (QAbstractButton* button : {static_cast<QAbstractButton*>(ui->radioButtonAllOneSheet),
                                    static_cast<QAbstractButton*>(ui->radioButtonPageOneSheet),
                                    static_cast<QAbstractButton*>(ui->radioButtonOnlyTable),
                                    static_cast<QAbstractButton*>(ui->checkBoxAutoExcelSettings)})
        connect(button, &QAbstractButton::toggled, this, &Settings::on_Settings_Changed);
    connect(ui->resetToDefaultExcel, &QPushButton::clicked, this, &Settings::on_Settings_Changed);
}

void Settings::loadTabHtml()
{
    if (dialogprefs::htmlConvertSetting.value() == 1)
        ui->radioButtonPageOneHtml->setChecked(true);
    else
        ui->radioButtonAllOneHtml->setChecked(true);
    ui->checkBoxAutoRotate->setChecked(dialogprefs::autoRotate.value());
    ui->checkBoxKeepLink->setChecked(dialogprefs::keepLink.value());
    ui->checkBoxIgnorePicture->setChecked(dialogprefs::ignorePicture.value());
    ui->comboBoxColor->setCurrentIndex(dialogprefs::backgroundColor.value());
    ui->horizontalSliderCompress->setValue(dialogprefs::pictureCompressRate.value());
    on_compressRateChanged(ui->horizontalSliderCompress->value());

    connect(ui->horizontalSliderCompress, &QSlider::valueChanged, this, &Settings::on_compressRateChanged);
    for (QAbstractButton* button : {static_cast<QAbstractButton*>(ui->radioButtonAllOneHtml),
                                    static_cast<QAbstractButton*>(ui->radioButtonPageOneHtml),
                                    static_cast<QAbstractButton*>(ui->checkBoxAutoRotate),
                                    static_cast<QAbstractButton*>(ui->checkBoxKeepLink),
                                    static_cast<QAbstractButton*>(ui->checkBoxIgnorePicture)})
        connect(button, &QAbstractButton::toggled, this, &Settings::on_Settings_Changed);
    connect(ui->comboBoxColor, &QComboBox::currentIndexChanged, this, &Settings::on_Settings_Changed);
    connect(ui->horizontalSliderCompress, &QSlider::valueChanged, this, &Settings::on_Settings_Changed);
    connect(ui->resetToDefaultHtml, &QPushButton::clicked, this, &Settings::on_Settings_Changed);
}

void Settings::on_Settings_Changed()
{
    ui->buttonBox->button(QDialogButtonBox::Apply)->setEnabled(true);
}

void Settings::on_compressRateChanged(int value)
{
    ui->labelCompress->setText(QStringLiteral("%1%").arg(value));
}

// Enter or leaving the field: a missing folder is made (one level), and a
// folder that exists is shown with native separators. Only an absolute path
// is made: a relative one would land in the program's own folder, and OK
// refuses it anyway.
void Settings::on_lineEdit_editingFinished()
{
    const QString text = ui->lineEdit->text();
    if (text.isEmpty())
        return;
    bool exists = QDir(text).exists();
    if (!exists && QDir::isAbsolutePath(text))
        exists = QDir().mkdir(text);
    if (exists)
        ui->lineEdit->setText(QDir::toNativeSeparators(text));
}

void Settings::on_browse_clicked()
{
    // The stored folder, not the field: the field may hold an unfinished edit.
    const QString start = dialogprefs::temporaryDir();
    if (!QDir(start).exists())
        QDir().mkpath(start);
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Select one folder"), start, QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        ui->lineEdit->setText(QDir::toNativeSeparators(folder));
}

// A text OK would refuse is refused here too: a relative one, the empty one
// included, would name a folder in the current one, which is the program's
// own installation folder.
void Settings::on_open_clicked()
{
    if (!isTemporaryFolderValid(ui->lineEdit->text())) {
        refuseTemporaryFolder();
        return;
    }
    const QString folder = ui->lineEdit->text();
    if (!QDir(folder).exists())
        QDir().mkpath(folder);
    const bool opened = QDir(folder).exists() && QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    if (!opened)
        VuMessageBox::alert(tr("Failed to open folder \"%1\".").arg(QDir::toNativeSeparators(folder)), QString(),
                            nullptr);
}

void Settings::on_resetToDefaultGeneral_clicked()
{
    ui->lineEdit->setText(defaultTemporaryDir());
    ui->checkUpdate->setChecked(true);
    ui->updateFreq->setCurrentIndex(0);
}

void Settings::on_resetToDefaultWord_clicked()
{
}

void Settings::on_resetToDefaultExcel_clicked()
{
    ui->radioButtonAllOneSheet->setChecked(true);
    ui->checkBoxAutoExcelSettings->setChecked(true);
}

void Settings::on_resetToDefaultHtml_clicked()
{
    ui->radioButtonAllOneHtml->setChecked(true);
    ui->checkBoxAutoRotate->setChecked(true);
    ui->comboBoxColor->setCurrentIndex(0);
    ui->checkBoxKeepLink->setChecked(true);
    ui->checkBoxIgnorePicture->setChecked(true);
    ui->horizontalSliderCompress->setValue(100);
}

void Settings::on_buttonBox_clicked(QAbstractButton* button)
{
    const QDialogButtonBox::StandardButton which = ui->buttonBox->standardButton(button);
    if (which == QDialogButtonBox::Cancel) {
        reject();
        return;
    }
    if (which != QDialogButtonBox::Ok && which != QDialogButtonBox::Apply)
        return;
    if (!saveTabGeneral() || !saveTabExcel() || !saveTabHtml())
        return;
    if (which == QDialogButtonBox::Ok)
        accept();
    else
        button->setEnabled(false);
}

void Settings::refuseTemporaryFolder()
{
    ui->tabWidget->setCurrentIndex(TabGeneral);
    VuMessageBox::alert(tr("The selected path is incorrect, please select again."), QString(), nullptr);
    ui->lineEdit->setFocus();
    ui->lineEdit->selectAll();
}

bool Settings::saveTabGeneral()
{
    const QString text = ui->lineEdit->text();
    if (!isTemporaryFolderValid(text)) {
        refuseTemporaryFolder();
        return false;
    }
    if (!QDir(text).exists())
        QDir().mkpath(text);
    if (text.isEmpty() || !QDir(text).exists() || !Vu::isFolderWritable(QDir(text).absolutePath())) {
        refuseTemporaryFolder();
        return false;
    }
    // Stored as typed, not normalised.
    dialogprefs::setTemporaryDir(text);
    if (VuMainWindow* window = VuApplication::mainWindow()) {
        window->setAutoCheckUpdate(ui->checkUpdate->isChecked());
        window->setAutoCheckUpdateInterval(intervalDays(ui->updateFreq->currentIndex()));
    }
    return true;
}

bool Settings::saveTabWord()
{
    return true;
}

bool Settings::saveTabExcel()
{
    int setting = 0;
    if (ui->radioButtonPageOneSheet->isChecked())
        setting = 1;
    else if (ui->radioButtonOnlyTable->isChecked())
        setting = 2;
    dialogprefs::excelConvertSetting.setValue(setting);
    dialogprefs::openSettingBeforeConvert.setValue(ui->checkBoxAutoExcelSettings->isChecked());
    return true;
}

bool Settings::saveTabHtml()
{
    dialogprefs::htmlConvertSetting.setValue(ui->radioButtonPageOneHtml->isChecked() ? 1 : 0);
    dialogprefs::autoRotate.setValue(ui->checkBoxAutoRotate->isChecked());
    dialogprefs::backgroundColor.setValue(ui->comboBoxColor->currentIndex());
    dialogprefs::keepLink.setValue(ui->checkBoxKeepLink->isChecked());
    dialogprefs::ignorePicture.setValue(ui->checkBoxIgnorePicture->isChecked());
    dialogprefs::pictureCompressRate.setValue(ui->horizontalSliderCompress->value());
    return true;
}
