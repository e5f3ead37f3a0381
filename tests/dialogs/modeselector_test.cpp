// The conversion mode dialog: its form, and the two answers the task list
// reads after it closed, whichever way it was closed.
#include "dialogs/vumodeselector.h"

#include "modalanswers.h"

#include "platform/vuframe0/vupref.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

template <typename T>
T* child(const QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QLatin1String(name));
}

TEST(ModeSelector, FormHasItsWidgetsTextsAndFixedSize)
{
    VuModeSelector dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("modeSelector"));
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    // The form's own title is a placeholder; the product names the dialog.
    EXPECT_EQ(dialog.windowTitle(), VuPref::product_name());
    EXPECT_EQ(dialog.minimumSize(), QSize(420, 200));
    EXPECT_EQ(dialog.maximumSize(), QSize(420, 200));

    ASSERT_NE(child<QLabel>(dialog, "label"), nullptr);
    EXPECT_EQ(child<QLabel>(dialog, "label")->text(), QStringLiteral("Please select conversion mode:"));
    auto* combo = child<QComboBox>(dialog, "comboboxMode");
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Text"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("Picture"));
    EXPECT_EQ(combo->currentIndex(), 0);

    auto* prompt = child<QLabel>(dialog, "labelPrompt");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->text(), QStringLiteral("You can select Picture conversion mode from the list in the main "
                                             "window to edit the picture margin."));
    EXPECT_TRUE(prompt->wordWrap());
    EXPECT_EQ(prompt->textFormat(), Qt::PlainText);
    EXPECT_EQ(prompt->maximumHeight(), 45);
    EXPECT_EQ(prompt->minimumHeight(), 45);
    EXPECT_EQ(prompt->lineWidth(), 1);

    auto* box = child<QCheckBox>(dialog, "checkBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Do not show this message again"));
    EXPECT_FALSE(box->isChecked());
    ASSERT_NE(child<QPushButton>(dialog, "pushButton"), nullptr);
    EXPECT_EQ(child<QPushButton>(dialog, "pushButton")->text(), QStringLiteral("OK"));

    auto* inner = child<QLayout>(dialog, "verticalLayout_2");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->contentsMargins(), QMargins(6, 15, 6, 6));
    for (const char* name : {"verticalLayout_3", "horizontalLayout", "horizontalLayout_2"})
        EXPECT_NE(child<QLayout>(dialog, name), nullptr) << name;
}

TEST(ModeSelector, OkWithoutChangesGivesTextAndKeepsTheHint)
{
    VuModeSelector dialog;
    ModalAnswers ok({[](QWidget* modal) { child<QPushButton>(*modal, "pushButton")->click(); }});
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.currentMode(), 0);
    EXPECT_TRUE(dialog.showHintAgain());
}

TEST(ModeSelector, ClosingTheWindowStillGivesWhatItShows)
{
    VuModeSelector dialog;
    ModalAnswers close({[](QWidget* modal) {
        child<QComboBox>(*modal, "comboboxMode")->setCurrentIndex(1);
        child<QCheckBox>(*modal, "checkBox")->click();
        modal->close();
    }});
    dialog.exec();
    EXPECT_EQ(dialog.currentMode(), 1);
    EXPECT_FALSE(dialog.showHintAgain());
}

TEST(ModeSelector, EachShowingStartsAfresh)
{
    {
        VuModeSelector first;
        child<QComboBox>(first, "comboboxMode")->setCurrentIndex(1);
        child<QCheckBox>(first, "checkBox")->setChecked(true);
    }
    VuModeSelector second;
    EXPECT_EQ(second.currentMode(), 0);
    EXPECT_TRUE(second.showHintAgain());
}

TEST(ModeSelector, CannotBeResized)
{
    VuModeSelector dialog;
    dialog.show();
    dialog.resize(800, 600);
    EXPECT_EQ(dialog.size(), QSize(420, 200));
}

} // namespace
