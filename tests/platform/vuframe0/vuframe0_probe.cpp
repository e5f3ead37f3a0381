// A small program built on the vuframe0 layer, started by the layer's tests
// to see what only a separate process shows: the command line, the single
// instance, preferences after a restart, and how the program quits.
//
//   vuframe0_probe cmdline [arguments...]   "started" unless the framework
//                                          handled the command line
//   vuframe0_probe instance                "running", or "primary" and wait
//                                          for standard input to close
//   vuframe0_probe pref-set <key> <value>
//   vuframe0_probe pref-get <key>           the value, or "<absent>"
//   vuframe0_probe box-closed               closes a message box without
//                                          parent while the window is hidden
//   vuframe0_probe quit-refused             quit() while the window refuses
//   vuframe0_probe close-frame              the user closes the framed window
#include "platform/vuframe0/qtsingleapplication.h"
#include "platform/vuframe0/vumainwindow.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuproduct.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

void say(const char* text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Ends a run that went wrong instead of hanging the test.
void exitAfterSafetyDelay()
{
    QTimer::singleShot(10000, [] { QCoreApplication::exit(9); });
}

class RefusingWindow : public VuMainWindow {
protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

int runCmdline(QtSingleApplication& app, int argc, char** argv)
{
    // The mode's name stands where the program name would.
    int exitCode = 0;
    if (app.processCmdLine(argc - 1, argv + 1, &exitCode))
        return exitCode;
    say("started");
    return 3;
}

int runInstance(QtSingleApplication& app)
{
    if (app.isRunning(productInfo(QStringLiteral("SINGLETON_APP_ID")))) {
        say("running");
        return 0;
    }
    say("primary");
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

int runPrefGet(const char* key)
{
    const QVariant value = VuPref::value(QString::fromUtf8(key));
    say(value.isValid() ? value.toString().toUtf8().constData() : "<absent>");
    return 0;
}

int runBoxClosed(QtSingleApplication& app)
{
    VuMainWindow window;
    app.setMainWindow(&window);
    window.show(true);
    QTimer::singleShot(0, &window, [&window] {
        // Tray mode: the framed window is hidden, the box is the only window.
        window.widgetFrame()->hide();
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        answer.start(10);
        VuMessageBox::info(QStringLiteral("note"), QString(), nullptr);
        answer.stop();
        QTimer::singleShot(200, [] {
            say("alive");
            QCoreApplication::exit(7);
        });
    });
    exitAfterSafetyDelay();
    return app.exec();
}

int runQuitRefused(QtSingleApplication& app)
{
    RefusingWindow window;
    app.setMainWindow(&window);
    window.show(true);
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    exitAfterSafetyDelay();
    const int code = app.exec();
    say("ended");
    return code;
}

int runCloseFrame(QtSingleApplication& app)
{
    VuMainWindow window;
    app.setMainWindow(&window);
    window.show(true);
    QTimer::singleShot(0, &window, [&window] { window.widgetFrame()->close(); });
    exitAfterSafetyDelay();
    const int code = app.exec();
    say("ended");
    return code;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QtSingleApplication app(QString(), argc, argv);
    if (argc < 2)
        return 2;
    const char* mode = argv[1];
    if (std::strcmp(mode, "cmdline") == 0)
        return runCmdline(app, argc, argv);
    if (std::strcmp(mode, "instance") == 0)
        return runInstance(app);
    if (std::strcmp(mode, "pref-set") == 0 && argc == 4) {
        VuPref::setValue(QString::fromUtf8(argv[2]), QString::fromUtf8(argv[3]), false);
        return 0;
    }
    if (std::strcmp(mode, "pref-get") == 0 && argc == 3)
        return runPrefGet(argv[2]);
    if (std::strcmp(mode, "box-closed") == 0)
        return runBoxClosed(app);
    if (std::strcmp(mode, "quit-refused") == 0)
        return runQuitRefused(app);
    if (std::strcmp(mode, "close-frame") == 0)
        return runCloseFrame(app);
    return 2;
}
