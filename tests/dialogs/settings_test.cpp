// The settings dialog: its form with the one tab it shows, the temporary
// folder check, what OK, Apply and Cancel store, the folder commands, and
// the settings of the hidden tabs that are loaded and stored unseen.
#include "dialogs/settings.h"

#include "modalanswers.h"
#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vumainwindow.h"
#include "platform/vuframe0/vupref.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

template <typename T = QWidget>
T* child(const QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Takes the "open" requests for local files instead of the desktop.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    OpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList paths;
public slots:
    void open(const QUrl& url) { paths << url.toLocalFile(); }
};

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        VuPref::setStoreFolder(m_dir.filePath(QStringLiteral("pref")));
        m_window = std::make_unique<VuMainWindow>();
        VuApplication::setMainWindow(m_window.get());
    }
    void TearDown() override
    {
        VuApplication::setMainWindow(nullptr);
        m_window.reset();
        VuPref::setStoreFolder(QString());
    }

    QString folder(const QString& name) const { return m_dir.filePath(name); }

    static QPushButton* button(const Settings& dialog, QDialogButtonBox::StandardButton which)
    {
        return child<QDialogButtonBox>(dialog, "buttonBox")->button(which);
    }
    static QLineEdit* field(const Settings& dialog) { return child<QLineEdit>(dialog, "lineEdit"); }

    // Presses OK or Apply with a folder the dialog refuses; the message box
    // is answered and its text given back.
    static QString pressRefused(Settings& dialog, QDialogButtonBox::StandardButton which)
    {
        ModalAnswers box({pressButton(QStringLiteral("OK"))});
        button(dialog, which)->click();
        EXPECT_EQ(box.answered(), 1);
        return box.texts().value(0);
    }

    static QStringList storedKeys()
    {
        QSettings store(VuPref::storeFile(), QSettings::IniFormat);
        return store.allKeys();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<VuMainWindow> m_window;
};

TEST_F(SettingsDialog, ShowsOnlyTheGeneralTab)
{
    Settings dialog(nullptr);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("SettingsClass"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(dialog.minimumSize(), QSize(690, 596));
    EXPECT_EQ(dialog.maximumSize(), QSize(690, 596));
    auto* tabs = child<QTabWidget>(dialog, "tabWidget");
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(tabs->currentWidget(), child<QWidget>(dialog, "tabGeneral"));

    EXPECT_EQ(child<QGroupBox>(dialog, "groupBoxTmpFolder")->title(), QStringLiteral("Temporary Folder"));
    EXPECT_EQ(child<QPushButton>(dialog, "browse")->text(), QStringLiteral("Browse..."));
    EXPECT_EQ(child<QPushButton>(dialog, "open")->text(), QStringLiteral("Open"));
    EXPECT_EQ(child<QGroupBox>(dialog, "groupBoxUpdate")->title(), QStringLiteral("Update Settings"));
    EXPECT_EQ(child<QCheckBox>(dialog, "checkUpdate")->text(), QStringLiteral("Check for Updates Automatically:"));
    auto* freq = child<QComboBox>(dialog, "updateFreq");
    ASSERT_EQ(freq->count(), 3);
    EXPECT_EQ(freq->itemText(0), QStringLiteral("Every Day"));
    EXPECT_EQ(freq->itemText(1), QStringLiteral("Every Week"));
    EXPECT_EQ(freq->itemText(2), QStringLiteral("Every Month"));
    EXPECT_TRUE(child<QGroupBox>(dialog, "groupBoxPower")->isHidden());
    EXPECT_EQ(child<QPushButton>(dialog, "resetToDefaultGeneral")->text(), QStringLiteral("Reset to Default"));

    EXPECT_TRUE(button(dialog, QDialogButtonBox::Ok));
    EXPECT_TRUE(button(dialog, QDialogButtonBox::Cancel));
    EXPECT_FALSE(button(dialog, QDialogButtonBox::Apply)->isEnabled());

    // The removed tabs' widgets stay with the dialog.
    EXPECT_EQ(child<QGroupBox>(dialog, "groupBoxExcelConvert")->title(), QStringLiteral("Conversion Settings "));
    EXPECT_EQ(child<QRadioButton>(dialog, "radioButtonOnlyTable")->text(),
              QStringLiteral("Only Convert Tables from PDF Files"));
    EXPECT_EQ(child<QComboBox>(dialog, "comboBoxColor")->itemText(2), QStringLiteral("Blue"));
    EXPECT_EQ(child<QGraphicsView>(dialog, "graphicsView")->size(), QSize(50, 50));
    EXPECT_EQ(child<QSlider>(dialog, "horizontalSliderCompress")->maximum(), 100);
    EXPECT_EQ(child<QLabel>(dialog, "labelCompress")->text(), QStringLiteral("100%"));
    EXPECT_NE(child<QPushButton>(dialog, "resetToDefaultWord"), nullptr);
}

TEST_F(SettingsDialog, DefaultTemporaryFolderLiesInTheSystemTemporaryFolder)
{
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::TempLocation) + QLatin1Char('/')
        + VuPref::company_root_key() + QLatin1Char('/') + VuPref::product_key();
    EXPECT_EQ(Settings::defaultTemporaryDir(), expected);
    Settings dialog(nullptr);
    EXPECT_EQ(field(dialog)->text(), expected);
    EXPECT_EQ(field(dialog)->cursorPosition(), 0);
}

TEST_F(SettingsDialog, TemporaryFolderCheck)
{
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"/tmp/x", true},         {"/tmp/x/", true},       {"/var/tmp/quire flow", true},
        {"", false},              {"tmp/x", false},        {"./x", false},
        {"/tmp/../x", false},     {"/tmp/./x", false},     {"/tmp//x", false},
        {"//server/share", false}, {"/tmp/x//", true},     {"/te?mp", false},
        {"/tmp/a#b", false},      {"/tmp/a!b", false},     {"/tmp/a:b", false},
        {"/tmp/a*b", false},      {"/tmp/a\"b", false},    {"/tmp/a<b", false},
        {"/tmp/a>b", false},      {"/tmp/a`b", false},     {"/tmp/a|b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Settings::isTemporaryFolderValid(QString::fromUtf8(c.text)), c.valid) << c.text;
}

TEST_F(SettingsDialog, FirstOkStoresEveryKeyWithItsDefault)
{
    Settings dialog(nullptr);
    field(dialog)->setText(folder(QStringLiteral("work")));
    ModalAnswers ok({pressButton(QStringLiteral("OK"))});
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);

    EXPECT_EQ(VuPref::value(QStringLiteral("temporarydir")).toString(), folder(QStringLiteral("work")));
    EXPECT_EQ(VuPref::value(QStringLiteral("excelconvertsetting")).toInt(), 0);
    EXPECT_TRUE(VuPref::value(QStringLiteral("opensettingbeforeconvert")).toBool());
    EXPECT_EQ(VuPref::value(QStringLiteral("htmlconvertsetting")).toInt(), 0);
    EXPECT_TRUE(VuPref::value(QStringLiteral("autorotate")).toBool());
    EXPECT_EQ(VuPref::value(QStringLiteral("backgroundcolor")).toInt(), 0);
    EXPECT_TRUE(VuPref::value(QStringLiteral("keeplink")).toBool());
    EXPECT_TRUE(VuPref::value(QStringLiteral("ignorepicture")).toBool());
    EXPECT_EQ(VuPref::value(QStringLiteral("picturecompressrate")).toInt(), 100);
    EXPECT_TRUE(m_window->autoCheckUpdate());
    EXPECT_EQ(m_window->autoCheckUpdateInterval(), 7);
}

TEST_F(SettingsDialog, HiddenTabsShowAndStoreTheirStoredValues)
{
    VuPref::setValue(QStringLiteral("excelconvertsetting"), 2);
    VuPref::setValue(QStringLiteral("opensettingbeforeconvert"), false);
    VuPref::setValue(QStringLiteral("htmlconvertsetting"), 1);
    VuPref::setValue(QStringLiteral("autorotate"), false);
    VuPref::setValue(QStringLiteral("backgroundcolor"), 2);
    VuPref::setValue(QStringLiteral("keeplink"), false);
    VuPref::setValue(QStringLiteral("ignorepicture"), false);
    VuPref::setValue(QStringLiteral("picturecompressrate"), 35);
    Settings dialog(nullptr);
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioButtonOnlyTable")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "checkBoxAutoExcelSettings")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioButtonPageOneHtml")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "checkBoxAutoRotate")->isChecked());
    EXPECT_EQ(child<QComboBox>(dialog, "comboBoxColor")->currentIndex(), 2);
    EXPECT_FALSE(child<QCheckBox>(dialog, "checkBoxKeepLink")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "checkBoxIgnorePicture")->isChecked());
    EXPECT_EQ(child<QSlider>(dialog, "horizontalSliderCompress")->value(), 35);
    EXPECT_EQ(child<QLabel>(dialog, "labelCompress")->text(), QStringLiteral("35%"));
    EXPECT_FALSE(button(dialog, QDialogButtonBox::Apply)->isEnabled());

    field(dialog)->setText(folder(QStringLiteral("work")));
    button(dialog, QDialogButtonBox::Ok)->click();
    EXPECT_EQ(VuPref::value(QStringLiteral("excelconvertsetting")).toInt(), 2);
    EXPECT_FALSE(VuPref::value(QStringLiteral("opensettingbeforeconvert")).toBool());
    EXPECT_EQ(VuPref::value(QStringLiteral("htmlconvertsetting")).toInt(), 1);
    EXPECT_EQ(VuPref::value(QStringLiteral("backgroundcolor")).toInt(), 2);
    EXPECT_EQ(VuPref::value(QStringLiteral("picturecompressrate")).toInt(), 35);
}

TEST_F(SettingsDialog, UnknownStoredChoicesShowTheFirst)
{
    VuPref::setValue(QStringLiteral("excelconvertsetting"), 7);
    VuPref::setValue(QStringLiteral("htmlconvertsetting"), -1);
    Settings dialog(nullptr);
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioButtonAllOneSheet")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioButtonAllOneHtml")->isChecked());
}

TEST_F(SettingsDialog, UpdateIntervalFollowsTheMainWindow)
{
    const struct {
        int stored;
        int shown;
        int saved;
    } cases[] = {{1, 0, 1}, {7, 1, 7}, {30, 2, 30}, {14, 1, 7}};
    for (const auto& c : cases) {
        m_window->setAutoCheckUpdate(false);
        m_window->setAutoCheckUpdateInterval(c.stored);
        Settings dialog(nullptr);
        EXPECT_FALSE(child<QCheckBox>(dialog, "checkUpdate")->isChecked());
        EXPECT_FALSE(child<QComboBox>(dialog, "updateFreq")->isEnabled());
        EXPECT_EQ(child<QComboBox>(dialog, "updateFreq")->currentIndex(), c.shown) << c.stored;
        child<QCheckBox>(dialog, "checkUpdate")->click();
        EXPECT_TRUE(child<QComboBox>(dialog, "updateFreq")->isEnabled());
        field(dialog)->setText(folder(QStringLiteral("work")));
        button(dialog, QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(m_window->autoCheckUpdate());
        EXPECT_EQ(m_window->autoCheckUpdateInterval(), c.saved) << c.stored;
    }
}

TEST_F(SettingsDialog, ARefusedFolderStoresNothingAndKeepsTheDialogOpen)
{
    Settings dialog(nullptr);
    dialog.show();
    field(dialog)->setText(QStringLiteral("relative/folder"));
    EXPECT_EQ(pressRefused(dialog, QDialogButtonBox::Ok),
              QStringLiteral("The selected path is incorrect, please select again."));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(field(dialog)->selectedText(), QStringLiteral("relative/folder"));
    EXPECT_TRUE(storedKeys().isEmpty()) << storedKeys().join(QLatin1Char(' ')).toStdString();
}

TEST_F(SettingsDialog, AFolderThatCannotBeMadeIsRefused)
{
    const QString file = folder(QStringLiteral("plain-file"));
    QFile plain(file);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    Settings dialog(nullptr);
    dialog.show();
    field(dialog)->setText(file + QStringLiteral("/inside"));
    EXPECT_FALSE(pressRefused(dialog, QDialogButtonBox::Ok).isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(VuPref::contains(QStringLiteral("temporarydir")));
}

TEST_F(SettingsDialog, AValidMissingFolderIsMadeWithItsParentsAndStoredAsTyped)
{
    const QString typed = folder(QStringLiteral("a/b/c/"));
    Settings dialog(nullptr);
    field(dialog)->setText(typed);
    button(dialog, QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(QFileInfo(folder(QStringLiteral("a/b/c"))).isDir());
    EXPECT_EQ(VuPref::value(QStringLiteral("temporarydir")).toString(), typed);
}

TEST_F(SettingsDialog, ApplyStoresAndWaitsForTheNextChange)
{
    Settings dialog(nullptr);
    dialog.show();
    QPushButton* apply = button(dialog, QDialogButtonBox::Apply);
    child<QCheckBox>(dialog, "checkUpdate")->click();
    ASSERT_TRUE(apply->isEnabled());

    // A refused folder leaves Apply as it was.
    field(dialog)->setText(QStringLiteral("/tmp/a#b"));
    pressRefused(dialog, QDialogButtonBox::Apply);
    EXPECT_TRUE(apply->isEnabled());

    field(dialog)->setText(folder(QStringLiteral("work")));
    apply->click();
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(VuPref::value(QStringLiteral("temporarydir")).toString(), folder(QStringLiteral("work")));
    EXPECT_FALSE(m_window->autoCheckUpdate());

    child<QComboBox>(dialog, "updateFreq")->setCurrentIndex(2);
    EXPECT_TRUE(apply->isEnabled());
}

TEST_F(SettingsDialog, CancelStoresNothing)
{
    Settings dialog(nullptr);
    ModalAnswers cancel({[this](QWidget* modal) {
        child<QLineEdit>(*modal, "lineEdit")->setText(folder(QStringLiteral("work")));
        child<QCheckBox>(*modal, "checkUpdate")->click();
        child<QDialogButtonBox>(*modal, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    }});
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(storedKeys().isEmpty());
}

TEST_F(SettingsDialog, ResetGeneralRestoresTheDefaults)
{
    m_window->setAutoCheckUpdate(false);
    m_window->setAutoCheckUpdateInterval(30);
    Settings dialog(nullptr);
    field(dialog)->setText(folder(QStringLiteral("work")));
    child<QPushButton>(dialog, "resetToDefaultGeneral")->click();
    EXPECT_EQ(field(dialog)->text(), Settings::defaultTemporaryDir());
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkUpdate")->isChecked());
    EXPECT_EQ(child<QComboBox>(dialog, "updateFreq")->currentIndex(), 0);
    EXPECT_TRUE(button(dialog, QDialogButtonBox::Apply)->isEnabled());
}

TEST_F(SettingsDialog, ResetOfTheHiddenTabsRestoresTheirDefaults)
{
    VuPref::setValue(QStringLiteral("excelconvertsetting"), 1);
    VuPref::setValue(QStringLiteral("opensettingbeforeconvert"), false);
    VuPref::setValue(QStringLiteral("htmlconvertsetting"), 1);
    VuPref::setValue(QStringLiteral("keeplink"), false);
    VuPref::setValue(QStringLiteral("picturecompressrate"), 10);
    Settings dialog(nullptr);
    child<QPushButton>(dialog, "resetToDefaultExcel")->click();
    child<QPushButton>(dialog, "resetToDefaultHtml")->click();
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioButtonAllOneSheet")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkBoxAutoExcelSettings")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioButtonAllOneHtml")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkBoxKeepLink")->isChecked());
    EXPECT_EQ(child<QLabel>(dialog, "labelCompress")->text(), QStringLiteral("100%"));
}

TEST_F(SettingsDialog, EditingTheFieldMakesOneMissingFolderLevel)
{
    Settings dialog(nullptr);
    QLineEdit* edit = field(dialog);

    edit->setText(folder(QStringLiteral("one")));
    emit edit->editingFinished();
    EXPECT_TRUE(QFileInfo(folder(QStringLiteral("one"))).isDir());
    EXPECT_TRUE(button(dialog, QDialogButtonBox::Apply)->isEnabled());

    edit->setText(folder(QStringLiteral("two/three")));
    emit edit->editingFinished();
    EXPECT_FALSE(QFileInfo(folder(QStringLiteral("two"))).exists());
    EXPECT_EQ(edit->text(), folder(QStringLiteral("two/three")));

    // A relative name would be made in the program's own folder.
    const QString relative = QStringLiteral("settings-test-relative");
    edit->setText(relative);
    emit edit->editingFinished();
    EXPECT_FALSE(QFileInfo::exists(relative));
}

TEST_F(SettingsDialog, BrowseStartsAtTheStoredFolderNotTheField)
{
    VuPref::setValue(QStringLiteral("temporarydir"), folder(QStringLiteral("stored/deep")));
    const QString picked = folder(QStringLiteral("picked"));
    ASSERT_TRUE(QDir().mkpath(picked));
    Settings dialog(nullptr);
    dialog.show();
    field(dialog)->setText(folder(QStringLiteral("edited")));

    QString startFolder;
    ModalAnswers files({[&](QWidget* modal) {
        if (auto* shown = qobject_cast<QFileDialog*>(modal))
            startFolder = shown->directory().absolutePath();
        chooseFolder(picked)(modal);
    }});
    child<QPushButton>(dialog, "browse")->click();
    EXPECT_EQ(files.answered(), 1);
    EXPECT_EQ(startFolder, folder(QStringLiteral("stored/deep")));
    EXPECT_TRUE(QFileInfo(folder(QStringLiteral("stored/deep"))).isDir());
    EXPECT_EQ(field(dialog)->text(), picked);
    EXPECT_FALSE(button(dialog, QDialogButtonBox::Apply)->isEnabled());
}

TEST_F(SettingsDialog, OpenShowsTheFolderMakingItFirst)
{
    OpenedFiles opened;
    Settings dialog(nullptr);
    field(dialog)->setText(folder(QStringLiteral("to/open")));
    child<QPushButton>(dialog, "open")->click();
    EXPECT_TRUE(QFileInfo(folder(QStringLiteral("to/open"))).isDir());

    // An empty or relative text would name a folder in the current one, the
    // program's own.
    const QString relative = QStringLiteral("settings-test-open");
    for (const QString& text : {QString(), relative}) {
        field(dialog)->setText(text);
        ModalAnswers box({pressButton(QStringLiteral("OK"))});
        child<QPushButton>(dialog, "open")->click();
        EXPECT_EQ(box.texts(), QStringList{QStringLiteral("The selected path is incorrect, please select again.")});
    }
    EXPECT_FALSE(QFileInfo::exists(relative));
    EXPECT_EQ(opened.paths, QStringList{folder(QStringLiteral("to/open"))});
}

TEST_F(SettingsDialog, OpenSaysSoWhenTheFolderCannotBeMade)
{
    OpenedFiles opened;
    const QString file = folder(QStringLiteral("plain-file"));
    QFile plain(file);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    Settings dialog(nullptr);
    dialog.show();
    field(dialog)->setText(file + QStringLiteral("/inside"));
    ModalAnswers box({pressButton(QStringLiteral("OK"))});
    child<QPushButton>(dialog, "open")->click();
    EXPECT_EQ(box.texts().value(0), QStringLiteral("Failed to open folder \"%1\".").arg(file + QStringLiteral("/inside")));
    EXPECT_TRUE(opened.paths.isEmpty());
}

TEST_F(SettingsDialog, WorksWithoutAMainWindow)
{
    VuApplication::setMainWindow(nullptr);
    Settings dialog(nullptr);
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkUpdate")->isChecked());
    EXPECT_EQ(child<QComboBox>(dialog, "updateFreq")->currentIndex(), 1);
    field(dialog)->setText(folder(QStringLiteral("work")));
    button(dialog, QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(VuPref::value(QStringLiteral("temporarydir")).toString(), folder(QStringLiteral("work")));
}

} // namespace

#include "settings_test.moc"
