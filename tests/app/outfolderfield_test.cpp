// The output folder field: what is typed is checked on Enter or Return and
// when a mouse click takes the focus away; a text that cannot name a folder
// is refused with a message and replaced by the stored output folder. Other
// focus losses check nothing, Escape undoes, and the field stores nothing.
#include "app/vulineedit.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

// Failures name the texts rather than their bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const char kFolderKey[] = "last_outputfile_dir";
const char kInvalidMessage[] = "The specified path is invalid!";

// Answers every message box that comes up while it lives with OK, and
// keeps what each said and who its parent was.
class MessageBoxes : public QObject {
public:
    struct Seen {
        QString text;
        QString title;
        QWidget* parent;
    };

    MessageBoxes()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            seen.push_back({box->text(), box->windowTitle(), box->parentWidget()});
            box->button(QMessageBox::Ok)->click();
        });
        m_poll.start(5);
    }

    std::vector<Seen> seen;

private:
    QTimer m_poll;
};

// A window with the field, a plain line edit and a button, as the field sits
// among other controls in the main window.
class OutputFolderField : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_store.isValid());
        ASSERT_TRUE(m_folders.isValid());
        VuPref::setStoreFolder(m_store.path());

        auto* layout = new QVBoxLayout(&m_window);
        m_field = new VuLineEdit(&m_window);
        m_field->setObjectName(QStringLiteral("lineEditOutFolder"));
        // A right click would open the edit menu and wait for it.
        m_field->setContextMenuPolicy(Qt::NoContextMenu);
        m_other = new QLineEdit(&m_window);
        m_button = new QPushButton(QStringLiteral("Browse"), &m_window);
        m_button->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(m_field);
        layout->addWidget(m_other);
        layout->addWidget(m_button);
        m_window.resize(300, 120);
        m_window.show();
        QApplication::setActiveWindow(&m_window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
        // Every test answers the boxes, so a check nobody expected shows up
        // as a failure rather than a test that waits for ever.
        m_boxes = std::make_unique<MessageBoxes>();
    }
    void TearDown() override { VuPref::setStoreFolder(QString()); }

    // Clears the field and types text into it, as a user does.
    void type(const QString& text)
    {
        m_field->setFocus(Qt::MouseFocusReason);
        m_field->clear();
        QTest::keyClicks(m_field, text);
        ASSERT_EQ(m_field->text(), text);
    }

    QString storedFolder() const { return m_folders.filePath(QStringLiteral("stored")); }
    QString validFolder() const { return m_folders.filePath(QStringLiteral("books")); }

    QTemporaryDir m_store;
    QTemporaryDir m_folders;
    QWidget m_window;
    VuLineEdit* m_field = nullptr;
    QLineEdit* m_other = nullptr;
    QPushButton* m_button = nullptr;
    std::unique_ptr<MessageBoxes> m_boxes;
};

TEST_F(OutputFolderField, InvalidTextLeftWithAMouseClickBringsBackTheStoredFolder)
{
    VuPref::setValue(QLatin1String(kFolderKey), storedFolder());
    type(QStringLiteral("relative/books"));

    m_boxes->seen.clear();
    QTest::mouseClick(m_other, Qt::LeftButton);

    ASSERT_EQ(m_boxes->seen.size(), 1u);
    EXPECT_EQ(m_boxes->seen[0].text, QLatin1String(kInvalidMessage));
    EXPECT_EQ(m_boxes->seen[0].title, VuPref::product_name());
    EXPECT_EQ(m_boxes->seen[0].parent, m_field);
    EXPECT_EQ(m_field->text(), storedFolder());
    EXPECT_EQ(m_field->cursorPosition(), 0);
    EXPECT_EQ(m_window.focusWidget(), m_other);
    // The check only reads the store.
    EXPECT_EQ(VuPref::value(QLatin1String(kFolderKey)).toString(), storedFolder());
}

TEST_F(OutputFolderField, InvalidTextOnEnterOrReturnBringsBackTheStoredFolder)
{
    VuPref::setValue(QLatin1String(kFolderKey), storedFolder());
    QSignalSpy returns(m_field, &QLineEdit::returnPressed);

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        type(QStringLiteral("books"));
        m_boxes->seen.clear();
        QTest::keyClick(m_field, key);
        ASSERT_EQ(m_boxes->seen.size(), 1u) << key;
        EXPECT_EQ(m_boxes->seen[0].text, QLatin1String(kInvalidMessage));
        EXPECT_EQ(m_field->text(), storedFolder());
        EXPECT_EQ(m_field->cursorPosition(), 0);
    }
    // The keys still reach the line edit.
    EXPECT_EQ(returns.size(), 2);
}

TEST_F(OutputFolderField, TextsThatCannotNameAFolderAreRefused)
{
    VuPref::setValue(QLatin1String(kFolderKey), storedFolder());
    const QString file = m_folders.filePath(QStringLiteral("a file.pdf"));
    ASSERT_TRUE(testfiles::writeAll(file, QByteArray("%PDF-1.4\n")));

    const QString invalid[] = {
        QString(),                         // nothing typed
        QStringLiteral("   "),             // blanks only
        QStringLiteral("out"),             // relative
        file,                              // an existing file
        QStringLiteral("/tmp/") + QString(256, QLatin1Char('x')), // a name too long
    };
    for (const QString& text : invalid) {
        m_field->setText(text);
        m_field->setFocus(Qt::MouseFocusReason);
        m_boxes->seen.clear();
        QTest::keyClick(m_field, Qt::Key_Return);
        EXPECT_EQ(m_boxes->seen.size(), 1u) << text.toStdString();
        EXPECT_EQ(m_field->text(), storedFolder()) << text.toStdString();
    }
}

TEST_F(OutputFolderField, ValidTextStaysAsTypedAndShowsItsFirstCharacter)
{
    VuPref::setValue(QLatin1String(kFolderKey), storedFolder());
    // Long enough that only part of it fits the field; it need not exist.
    const QString longPath = validFolder() + QStringLiteral("/") + QString(60, QLatin1Char('n'))
                             + QStringLiteral("/") + QString(60, QLatin1Char('m'));
    for (const QString& text : {validFolder(), longPath, m_folders.path()}) {
        type(text);
        m_boxes->seen.clear();
        QTest::keyClick(m_field, Qt::Key_Return);
        EXPECT_TRUE(m_boxes->seen.empty());
        EXPECT_EQ(m_field->text(), text);
        EXPECT_EQ(m_field->cursorPosition(), 0);
        const QRect cursor = m_field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        EXPECT_LT(cursor.left(), m_field->width() / 4);

        type(text);
        QTest::mouseClick(m_other, Qt::LeftButton);
        EXPECT_TRUE(m_boxes->seen.empty());
        EXPECT_EQ(m_field->text(), text);
        EXPECT_EQ(m_field->cursorPosition(), 0);
    }
    // Nothing typed is stored by the field: the main window stores the
    // folder when it checks or chooses it.
    EXPECT_EQ(VuPref::value(QLatin1String(kFolderKey)).toString(), storedFolder());
}

TEST_F(OutputFolderField, WithNothingStoredTheDefaultOutputFolderComesBack)
{
    ASSERT_FALSE(VuPref::contains(QLatin1String(kFolderKey)));
    type(QStringLiteral("nowhere"));
    m_boxes->seen.clear();
    QTest::keyClick(m_field, Qt::Key_Return);
    ASSERT_EQ(m_boxes->seen.size(), 1u);
    EXPECT_EQ(m_field->text(), Vu::outputPath());
    EXPECT_FALSE(VuPref::contains(QLatin1String(kFolderKey)));
}

TEST_F(OutputFolderField, OtherFocusLossesKeepTheInvalidText)
{
    VuPref::setValue(QLatin1String(kFolderKey), storedFolder());
    m_boxes->seen.clear();

    type(QStringLiteral("relative/books"));
    QTest::keyClick(m_field, Qt::Key_Tab);
    EXPECT_FALSE(m_field->hasFocus());
    EXPECT_EQ(m_field->text(), QStringLiteral("relative/books"));

    const Qt::FocusReason reasons[] = {Qt::TabFocusReason, Qt::BacktabFocusReason,
                                       Qt::ActiveWindowFocusReason, Qt::PopupFocusReason,
                                       Qt::ShortcutFocusReason, Qt::OtherFocusReason};
    for (Qt::FocusReason reason : reasons) {
        type(QStringLiteral("relative/books"));
        m_other->setFocus(reason);
        EXPECT_FALSE(m_field->hasFocus()) << reason;
        EXPECT_EQ(m_field->text(), QStringLiteral("relative/books")) << reason;
    }
    QApplication::processEvents();
    EXPECT_TRUE(m_boxes->seen.empty());

    // Typing other keys checks nothing either.
    type(QStringLiteral("x"));
    QTest::keyClick(m_field, Qt::Key_Backspace);
    QTest::keyClick(m_field, Qt::Key_Home);
    QApplication::processEvents();
    EXPECT_TRUE(m_boxes->seen.empty());
    EXPECT_TRUE(m_field->text().isEmpty());
}

TEST_F(OutputFolderField, EscapeUndoesTheLastEdit)
{
    m_field->setText(validFolder());
    m_field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(m_field, Qt::Key_End);
    QTest::keyClicks(m_field, QStringLiteral("/more"));
    ASSERT_EQ(m_field->text(), validFolder() + QStringLiteral("/more"));

    m_boxes->seen.clear();
    QTest::keyClick(m_field, Qt::Key_Escape);
    EXPECT_EQ(m_field->text(), validFolder());
    EXPECT_TRUE(m_boxes->seen.empty());
}

TEST_F(OutputFolderField, MouseClickSignalBelongsToNameDisplayFieldsOnly)
{
    m_field->setText(QStringLiteral("/tmp"));
    m_field->setCursorPosition(0);
    QSignalSpy clicks(m_field, &VuLineEdit::mouseClick);
    const QPoint rightEnd(m_field->width() - 4, m_field->height() / 2);
    QTest::mouseClick(m_field, Qt::LeftButton, {}, rightEnd);
    QTest::mouseClick(m_field, Qt::RightButton, {}, rightEnd);
    EXPECT_EQ(clicks.size(), 0);
    // The press still reaches the line edit: it places the cursor.
    EXPECT_TRUE(m_field->hasFocus());
    EXPECT_EQ(m_field->cursorPosition(), 4);

    VuLineEdit named(&m_window);
    named.setObjectName(QStringLiteral("nameDisplay"));
    named.setContextMenuPolicy(Qt::NoContextMenu);
    named.show();
    QSignalSpy namedClicks(&named, &VuLineEdit::mouseClick);
    QTest::mouseClick(&named, Qt::LeftButton);
    QTest::mouseClick(&named, Qt::RightButton);
    QTest::mouseClick(&named, Qt::MiddleButton);
    EXPECT_EQ(namedClicks.size(), 2);
    EXPECT_TRUE(named.hasFocus());
    EXPECT_TRUE(m_boxes->seen.empty());
}

} // namespace
