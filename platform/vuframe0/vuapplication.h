#ifndef VUAPPLICATION_H
#define VUAPPLICATION_H

#include <QApplication>

class VuMainWindow;
class VuSkinManager;

// The framework's application object. Besides what QApplication does it
// names the product (organisation and application name), installs the
// translators, sets up the preference store, answers "--help" and
// "--version", and knows the main window and the skin manager.
//
// Closing the last visible window never ends the program here: a message
// box without parent shown while the main window is hidden (tray mode) would
// otherwise quit it. The program ends only through its own exit paths
// (QCoreApplication::quit()).
//
// QCoreApplication::quit() ends the event loop at once, as exit(0) does:
// Qt 6 would first ask every visible window to close, and the main window's
// close handling asks the user questions that belong to closing it by hand,
// not to the program's own exit paths (a run stopped on request, the "Exit"
// after-done action).
//
// The main window and the skin manager are also reachable through the static
// functions when the application is a plain QApplication, as in tests.
class VuApplication : public QApplication {
    Q_OBJECT
public:
    VuApplication(int& argc, char** argv);
    ~VuApplication() override;

    // The running VuApplication, or null when the application is another
    // kind (or none).
    static VuApplication* instance();

    void setVuframeVersion(int version);
    int vuframeVersion() const { return m_vuframeVersion; }

    // Installs Qt's own translation and the program's for the system locale,
    // where they exist ("<product_key>_<locale>.qm" in the "translations"
    // folder next to the program). Returns how many were installed.
    int installTranslators();

    // Loads the configuration: cfgFolder (null for the default) becomes the
    // preference store's folder, created when create is true. False when the
    // folder does not exist afterwards.
    bool initCfg(const char* cfgFolder, bool create);

    // Handles "-h"/"--help" and "-v"/"--version": prints one short text to
    // standard output and returns true with *exitCode 0. An option that is
    // neither these nor one of Qt's own (which the application object takes
    // later) prints the usage line to standard error and returns true with
    // *exitCode 2. Otherwise returns false and the program starts; words
    // that are no option are left alone, and so is every word after "--",
    // which ends the options. Needs no application object, so a
    // program can answer before it builds one, which takes a display.
    static bool processCmdLine(int argc, char** argv, int* exitCode);
    // How many of the arguments, the program's name included, come before
    // "--", which ends the options: every word after it is a file, whatever
    // it starts with. Only these go to the application object, whose own
    // parser would otherwise take a file named like one of Qt's options.
    static int optionCount(int argc, char** argv);
    static QString usageLine();
    static QString helpText();
    static QString versionText();

    static void setMainWindow(VuMainWindow* window);
    static VuMainWindow* mainWindow();

    // The application's skin manager (made on first use, owned by the
    // application object).
    static VuSkinManager* skinManager();

protected:
    bool event(QEvent* event) override;

private:
    int m_vuframeVersion = 0;
};

#endif
