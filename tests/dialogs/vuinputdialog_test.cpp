// The password prompt: how it is built, and what getText answers for each
// way of closing it.
#include "markingtranslator.h"
#include "dialogs/vuinputdialog.h"

#include "modalanswers.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

QPushButton* button(QWidget* dialog, const QString& text)
{
    const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
    for (QPushButton* candidate : buttons) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

TEST(InputDialog, IsBuiltAsAMaskedFieldUnderItsPrompt)
{
    VuInputDialog dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("VuInputDialog"));
    auto* field = dialog.findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    EXPECT_EQ(field->maxLength(), 128);
    EXPECT_EQ(field->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_NE(button(&dialog, QStringLiteral("OK")), nullptr);
    EXPECT_NE(button(&dialog, QStringLiteral("Cancel")), nullptr);

    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->contentsMargins(), QMargins(10, 1, 10, 5));
    EXPECT_EQ(grid->spacing(), 5);
    EXPECT_NE(qobject_cast<QLabel*>(grid->itemAtPosition(0, 0)->widget()), nullptr);
    EXPECT_EQ(grid->itemAtPosition(1, 0)->widget(), field);
    ASSERT_NE(grid->itemAtPosition(2, 0)->layout(), nullptr);
    // Spacer, OK, Cancel, spacer: the buttons sit in the middle.
    QLayout* row = grid->itemAtPosition(2, 0)->layout();
    ASSERT_EQ(row->count(), 4);
    EXPECT_NE(row->itemAt(0)->spacerItem(), nullptr);
    EXPECT_EQ(row->itemAt(1)->widget(), button(&dialog, QStringLiteral("OK")));
    EXPECT_EQ(row->itemAt(2)->widget(), button(&dialog, QStringLiteral("Cancel")));
    EXPECT_NE(row->itemAt(3)->spacerItem(), nullptr);
}

TEST(InputDialog, TheFieldTakesAtMost128Characters)
{
    VuInputDialog dialog;
    auto* field = dialog.findChild<QLineEdit*>();
    dialog.show();
    QTest::keyClicks(field, QString(140, QLatin1Char('k')));
    EXPECT_EQ(dialog.text(), QString(128, QLatin1Char('k')));
    EXPECT_NE(field->displayText(), dialog.text());
}

TEST(InputDialog, OkAnswersTheTypedText)
{
    QWidget parent;
    QString label;
    QString title;
    ModalAnswers answers({ [&](QWidget* modal) {
        title = modal->windowTitle();
        label = modal->findChild<QLabel*>()->text();
        EXPECT_TRUE(modal->isModal());
        EXPECT_EQ(modal->parentWidget(), &parent);
        typeAndPress(QStringLiteral("s3cret"), QStringLiteral("OK"))(modal);
    } });
    bool ok = false;
    const QString text = VuInputDialog::getText(QStringLiteral("quireflow"), QStringLiteral("Enter it.\nfile.pdf"),
                                                QString(), &ok, &parent);
    EXPECT_TRUE(ok);
    EXPECT_EQ(text, QStringLiteral("s3cret"));
    EXPECT_EQ(title, QStringLiteral("quireflow"));
    EXPECT_EQ(label, QStringLiteral("Enter it.\nfile.pdf"));
}

TEST(InputDialog, OkOnAnEmptyFieldIsConfirmedEmpty)
{
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    bool ok = false;
    EXPECT_EQ(VuInputDialog::getText(QString(), QString(), QString(), &ok, nullptr), QString());
    EXPECT_TRUE(ok);
}

TEST(InputDialog, CancelStillAnswersWhatWasTyped)
{
    ModalAnswers answers({ typeAndPress(QStringLiteral("typed"), QStringLiteral("Cancel")) });
    bool ok = true;
    EXPECT_EQ(VuInputDialog::getText(QString(), QString(), QString(), &ok, nullptr), QStringLiteral("typed"));
    EXPECT_FALSE(ok);
}

TEST(InputDialog, EscapeAndTheCloseButtonAreARefusal)
{
    ModalAnswers answers({ [](QWidget* modal) {
                              modal->findChild<QLineEdit*>()->setText(QStringLiteral("esc"));
                              QTest::keyClick(modal, Qt::Key_Escape);
                          },
                           [](QWidget* modal) {
                               modal->findChild<QLineEdit*>()->setText(QStringLiteral("closed"));
                               modal->close();
                           } });
    bool ok = true;
    EXPECT_EQ(VuInputDialog::getText(QString(), QString(), QString(), &ok, nullptr), QStringLiteral("esc"));
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(VuInputDialog::getText(QString(), QString(), QString(), &ok, nullptr), QStringLiteral("closed"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(answers.answered(), 2);
}

TEST(InputDialog, TheStartingTextIsInTheFieldAndOkMayBeLeftOut)
{
    QString shown;
    ModalAnswers answers({ [&](QWidget* modal) {
        shown = modal->findChild<QLineEdit*>()->text();
        pressButton(QStringLiteral("OK"))(modal);
    } });
    EXPECT_EQ(VuInputDialog::getText(QString(), QString(), QStringLiteral("start"), nullptr, nullptr),
              QStringLiteral("start"));
    EXPECT_EQ(shown, QStringLiteral("start"));
}

TEST(InputDialog, ButtonsFollowTheLanguage)
{
    VuInputDialog dialog;
    MarkingTranslator translator("VuInputDialog");
    QCoreApplication::installTranslator(&translator);
    dialog.retranslate();
    QCoreApplication::removeTranslator(&translator);
    EXPECT_NE(button(&dialog, QStringLiteral("<OK>")), nullptr);
    EXPECT_NE(button(&dialog, QStringLiteral("<Cancel>")), nullptr);
}

} // namespace
