// The program's entry: the command line, the framework application, the
// single-instance test, then the main window until the event loop ends.
#include "app/mainwindow.h"
#include "platform/os/modulepath.h"
#include "platform/vuframe0/qtsingleapplication.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuproduct.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

// The templates are looked up relative to the current folder, so the
// program's own folder (where "epubTemplate" is installed) becomes current,
// wherever the program was started from.
void enterInstallationFolder()
{
    const QString program = moduleFilePath();
    if (!program.isEmpty())
        QDir::setCurrent(QFileInfo(program).absolutePath());
}

// The starter of the program waits for this text to take its splash screen
// down: written once, without a line end, after the window is shown.
void announceWindowShown()
{
    static const char kCloseSplash[] = "command:close splash screen";
    std::fwrite(kCloseSplash, 1, sizeof kCloseSplash - 1, stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    // Help, version and unknown options are answered before the
    // application object, which cannot be built on a machine without a
    // display. Any other command line is not handled here, so the start-up
    // goes on as always.
    int exitCode = 0;
    if (VuApplication::processCmdLine(argc, argv, &exitCode))
        return exitCode;

    enterInstallationFolder();

    // Qt reads only the options; the files after "--" are not its own.
    int optionCount = VuApplication::optionCount(argc, argv);
    QtSingleApplication app(QString(), optionCount, argv);
    app.setVuframeVersion(1030);
    VuPref::setTanslucentWhenSkin(false);
    VuPref::setTanslucentWhenSkin(false);
    app.installTranslators();
    app.initCfg(nullptr, true);

    // Another instance runs: leave quietly, it keeps the user's work.
    if (app.isRunning(productInfo(QStringLiteral("SINGLETON_APP_ID"))))
        return 0;

    // The window goes before the application object: a local declared later.
    MainWindow window(nullptr);
    app.setMainWindow(&window);
    app.setActivationWindow(window.widgetFrame(), true);
    window.show(true);
    announceWindowShown();

    app.exec();
    return 0;
}
