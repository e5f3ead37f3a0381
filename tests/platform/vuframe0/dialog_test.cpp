#include "platform/vuframe0/vudialog.h"
#include "platform/vuframe0/vuwidgethelper.h"

#include "modalanswer.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

namespace {

class Dialog : public VuDialog {
public:
    using VuDialog::VuDialog;
    void retranslate() override { ++retranslated; }
    void updateUiState() override { ++updated; }

    int retranslated = 0;
    int updated = 0;
};

TEST(VuDialog, RunsModallyAndReturnsItsResult)
{
    Dialog dialog(nullptr);
    ModalAnswer accepting([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(accepting.answered());
    EXPECT_GE(dialog.updated, 1);

    ModalAnswer closing([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

TEST(VuDialog, LanguageChangeRetranslates)
{
    Dialog dialog(nullptr);
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&dialog, &change);
    EXPECT_EQ(dialog.retranslated, 1);
}

TEST(VuDialog, HelperSetsTheTitle)
{
    QWidget parent;
    Dialog dialog(&parent, Qt::MSWindowsFixedSizeDialogHint);
    dialog.widgetHelper()->setAllWindowTitle(QStringLiteral("Settings"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(parent.windowTitle(), QString());
    EXPECT_TRUE(dialog.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
}

} // namespace
