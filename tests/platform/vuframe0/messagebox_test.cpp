#include "platform/vuframe0/vumessagebox.h"

#include "modalanswer.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// What the box looked like when it was answered.
struct Seen {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QString title;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
};

// Answers the next box by clicking button, or by a key when button is
// NoButton.
ModalAnswer* answer(Seen* seen, QMessageBox::StandardButton button, int key = 0)
{
    return new ModalAnswer([=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen->buttons = box->standardButtons();
        seen->defaultButton = box->standardButton(box->defaultButton());
        seen->icon = box->icon();
        seen->text = box->text();
        seen->title = box->windowTitle();
        seen->format = box->textFormat();
        seen->parent = box->parentWidget();
        if (button != QMessageBox::NoButton)
            box->button(button)->click();
        else
            QTest::keyClick(box, Qt::Key(key));
    });
}

TEST(VuMessageBox, InfoShowsOneOkButton)
{
    Seen seen;
    std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::Ok));
    const auto result = VuMessageBox::info(QStringLiteral("Invalid format or out of range!"),
                                           QStringLiteral("quireflow"), nullptr, true);
    EXPECT_TRUE(answering->answered());
    EXPECT_EQ(result, QMessageBox::Ok);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.text, QStringLiteral("Invalid format or out of range!"));
    EXPECT_EQ(seen.title, QStringLiteral("quireflow"));
    EXPECT_EQ(seen.parent, nullptr);
}

TEST(VuMessageBox, AlertIsAWarningWithOk)
{
    Seen seen;
    std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::NoButton, Qt::Key_Escape));
    const auto result = VuMessageBox::alert(QStringLiteral("Failed to open folder \"/x\"."),
                                            QString(), nullptr, true);
    EXPECT_EQ(result, QMessageBox::Ok);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(seen.title.isEmpty());
}

TEST(VuMessageBox, QuestionWithYesAndNo)
{
    QWidget parent;
    Seen seen;
    std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::No));
    const auto result = VuMessageBox::question(
        QStringLiteral("Are you sure you want to exit?"), QStringLiteral("quireflow"),
        QMessageBox::Yes | QMessageBox::No, &parent, QMessageBox::Yes, true);
    EXPECT_EQ(result, QMessageBox::No);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.parent, &parent);
}

TEST(VuMessageBox, EnterTakesTheDefaultAndEscapeTheNegativeAnswer)
{
    Seen seen;
    {
        std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::NoButton, Qt::Key_Return));
        EXPECT_EQ(VuMessageBox::question(QStringLiteral("q"), QString(),
                                         QMessageBox::Yes | QMessageBox::No, nullptr,
                                         QMessageBox::Yes, true),
                  QMessageBox::Yes);
    }
    {
        std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::NoButton, Qt::Key_Return));
        EXPECT_EQ(VuMessageBox::question(QStringLiteral("q"), QString(),
                                         QMessageBox::Yes | QMessageBox::No, nullptr,
                                         QMessageBox::No, true),
                  QMessageBox::No);
    }
    {
        std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::NoButton, Qt::Key_Escape));
        EXPECT_EQ(VuMessageBox::question(QStringLiteral("q"), QString(),
                                         QMessageBox::Yes | QMessageBox::No, nullptr,
                                         QMessageBox::Yes, true),
                  QMessageBox::No);
    }
}

TEST(VuMessageBox, QuestionWithThreeAnswers)
{
    Seen seen;
    const QString text = QStringLiteral(
        "Some files have already been converted successfully.\nDo you want to convert them again?");
    {
        std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::NoButton, Qt::Key_Escape));
        EXPECT_EQ(VuMessageBox::question(text, QStringLiteral("quireflow"),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         nullptr, QMessageBox::Yes, true),
                  QMessageBox::Cancel);
    }
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(seen.text, text);
    {
        std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::Yes));
        EXPECT_EQ(VuMessageBox::question(text, QStringLiteral("quireflow"),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         nullptr, QMessageBox::Yes, true),
                  QMessageBox::Yes);
    }
}

TEST(VuMessageBox, FileNamesAreShownAsWritten)
{
    Seen seen;
    std::unique_ptr<ModalAnswer> answering(answer(&seen, QMessageBox::Ok));
    const QString text = QStringLiteral("The file \"<b>a&b</b>.pdf\" has already existed in the list.");
    VuMessageBox::info(text, QString(), nullptr, true);
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.text, text);
}

TEST(VuMessageBox, ParentDestroyedWhileOpenGivesNoButton)
{
    QPointer<QWidget> parent = new QWidget;
    std::unique_ptr<ModalAnswer> answering(
        new ModalAnswer([parent](QWidget*) { delete parent.data(); }));
    const auto result = VuMessageBox::question(QStringLiteral("q"), QString(),
                                               QMessageBox::Yes | QMessageBox::No, parent,
                                               QMessageBox::Yes, true);
    EXPECT_TRUE(answering->answered());
    EXPECT_TRUE(parent.isNull());
    EXPECT_EQ(result, QMessageBox::NoButton);
}

} // namespace
