#ifndef MAINWINDOWFIXTURE_H
#define MAINWINDOWFIXTURE_H

// A shown main window with a preference store and PDFs of the test's own,
// and the small tools the main-window tests share: finding the form's
// widgets and the window's actions, adding rows without being asked for a
// mode, answering file dialogs, holding the worker at a gate, waiting for a
// run to end.

#include "app/mainwindow.h"
#include "app/taskrow.h"
#include "app/vutreewidget.h"
#include "convert/logwriter.h"
#include "modalanswers.h"
#include "pdfmaker.h"
#include "platform/vuframe0/vupowerstate.h"
#include "platform/vuframe0/vupref.h"
#include "testfiles.h"
#include "workergate.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Failures name the texts rather than their bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Takes the desktop's "open" requests for local files while it lives, so
// nothing is opened for real.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// Accepts whatever dialog it gets (a power count-down, an information
// dialog) as its OK button would.
inline ModalAnswers::Answer acceptDialog()
{
    return [](QWidget* window) {
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->accept();
        else
            window->close();
    };
}

// Records the power actions instead of running them while it lives: no
// test may switch the machine off.
class RecordingPowerRunner {
public:
    RecordingPowerRunner()
        : m_previous(VuPowerState::setRunner([this](int state, const QStringList&) { states << state; }))
    {
    }
    ~RecordingPowerRunner() { VuPowerState::setRunner(m_previous); }
    QList<int> states;

private:
    VuPowerState::Runner m_previous;
};

// Takes the application's quit request inside a running event loop and
// ends the loop at once, as the program's own application object does
// (Qt would first ask every window to close). Closing the last window does
// not end the loop by itself while it lives.
class QuitCatcher : public QObject {
public:
    QuitCatcher()
    {
        qApp->installEventFilter(this);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    ~QuitCatcher() override
    {
        qApp->removeEventFilter(this);
        QApplication::setQuitOnLastWindowClosed(true);
    }
    int quits = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != qApp || event->type() != QEvent::Quit)
            return false;
        ++quits;
        QCoreApplication::exit(0);
        return true;
    }
};

// Runs action inside the application's event loop; true when the program
// asked to quit before the time ran out.
inline bool quitsAfter(const std::function<void()>& action, int limitMs = 60000)
{
    QuitCatcher catcher;
    QTimer::singleShot(0, qApp, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(limitMs);
    const int result = QCoreApplication::exec();
    return result == 0 && catcher.quits > 0;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        VuPref::setStoreFolder(m_dir.filePath(QStringLiteral("pref")));
        m_window = makeWindow();
        m_window->setWorkerPageHook(m_gate.hook());
        m_window->show(true);
        QApplication::setActiveWindow(m_window->widgetFrame());
        m_list = child<VuTreeWidget>("treeWidget");
        // The task list stores "ask for the mode" at construction; most
        // tests add files without being asked.
        VuPref::setValue(QStringLiteral("last_show_hint"), false);
    }

    void TearDown() override
    {
        m_gate.open();
        m_window.reset();
        VuPref::setStoreFolder(QString());
    }

    virtual std::unique_ptr<MainWindow> makeWindow() const { return std::make_unique<MainWindow>(); }

    template <typename T = QWidget>
    T* child(const char* name) const
    {
        T* found = m_window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A PDF of the test's own; each page says "Page <n>".
    QString pdf(const QString& name, int pages = 2, const QString& password = QString()) const
    {
        testpdf::DocSpec spec = testpdf::simpleDoc(pages);
        spec.userPassword = password;
        if (!password.isEmpty())
            spec.ownerPassword = QStringLiteral("owner");
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).path());
        QString error;
        EXPECT_TRUE(testpdf::writePdf(file, spec, &error)) << error.toStdString();
        return file;
    }

    // Rows for the given files, added without asking anything.
    void addRows(const QStringList& files)
    {
        const int before = rowCount();
        m_list->addToTable(files);
        ASSERT_EQ(rowCount(), before + files.size());
    }

    QTreeWidgetItem* row(int at) const { return m_list->topLevelItem(at); }
    int rowCount() const { return m_list->topLevelItemCount(); }

    void selectOnly(const QList<int>& rows)
    {
        m_list->clearSelection();
        for (int at : rows)
            row(at)->setSelected(true);
    }

    // Handles events until the condition holds or the time is up; the
    // limit only keeps a broken test from hanging.
    static bool waitUntil(const std::function<bool()>& done, int limitMs = 60000)
    {
        QDeadlineTimer deadline(limitMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    // The worker held at the gate ends, and its report reaches the window;
    // inside the event loop of an open question too.
    void finishHeldTask()
    {
        ASSERT_TRUE(m_gate.openAndWaitForEnd());
        QCoreApplication::processEvents();
    }

    // How often the log holds text; the log is shared by all tests of the
    // program, so tests compare counts before and after.
    static int logCount(const QString& text)
    {
        return QString::fromUtf8(testfiles::readAll(logFilePath())).count(text);
    }

    QTemporaryDir m_dir;
    // Every worker of the window passes it after each page.
    WorkerGate m_gate;
    std::unique_ptr<MainWindow> m_window;
    VuTreeWidget* m_list = nullptr;
};

#endif
