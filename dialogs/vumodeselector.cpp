#include "dialogs/vumodeselector.h"
#include "ui_vumodeselector.h"

#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuwidgethelper.h"

VuModeSelector::VuModeSelector()
    : VuDialog(nullptr, Qt::WindowFlags())
    , ui(std::make_unique<Ui::modeSelector>())
{
    ui->setupUi(this);
    // The form's title is the placeholder "Dialog"; the product names it.
    widgetHelper()->setAllWindowTitle(VuPref::product_name());
    // The item indexes are the mode numbers the task list stores.
    ui->comboboxMode->addItem(tr("Text"));
    ui->comboboxMode->addItem(tr("Picture"));
    ui->comboboxMode->setCurrentIndex(0);
}

VuModeSelector::~VuModeSelector() = default;

int VuModeSelector::currentMode() const
{
    return ui->comboboxMode->currentIndex();
}

bool VuModeSelector::showHintAgain() const
{
    return !ui->checkBox->isChecked();
}
