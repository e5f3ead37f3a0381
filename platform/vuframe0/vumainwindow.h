#ifndef VUMAINWINDOW_H
#define VUMAINWINDOW_H

#include <QMainWindow>

#include <memory>

class QAction;
class QMenu;
class VuSkin;
class VuUiUpdater;
class VuWidgetHelper;
class VuWindowFrame;

// The framework's main window. It lives inside a framed top-level window,
// widgetFrame(), which carries the title bar: hiding the frame hides the
// program's window while the main window itself stays "shown". Closing the
// frame asks the main window (its closeEvent decides); when the main window
// is the application's main window and agrees, the program quits.
//
// It brings three menus, put on its menu bar: the first ("&File") holds the
// exit action, bound to on_fileExit(); the second ("&Tools") the update
// check; the third ("&Help") help topics, readme and about. Subclasses may
// move them to a menu bar of their own.
//
// With enableUpdateUi(true) the window calls updateUiState() once after
// every burst of user input, queued signal or activation, so enabled states
// follow what just happened.
//
// GUI thread only.
class VuMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit VuMainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~VuMainWindow() override;

    void enableUpdateUi(bool enable);
    bool isUpdateUiEnabled() const;
    // Asks for an updateUiState() call once the current events are done.
    void requestUpdateUi();

    // Finishes the set-up after the subclass has built its form: title, icon,
    // the framework's texts and the current skin.
    void initialize();

    // Shows the framed window and the main window, centred on the screen when
    // center is true, and activates it.
    void show(bool center);
    using QMainWindow::show;
    // Showing the main window shows its frame too.
    void setVisible(bool visible) override;

    // The framed top-level window around this window (owned by it).
    QWidget* widgetFrame() const;
    VuWidgetHelper* widgetHelper() const { return m_helper.get(); }

    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* toolsMenu() const { return m_toolsMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    QAction* exitAction() const { return m_exitAction; }
    QAction* checkUpdateAction() const { return m_checkUpdateAction; }
    QAction* helpTopicsAction() const { return m_helpTopicsAction; }
    QAction* readmeAction() const { return m_readmeAction; }
    QAction* aboutAction() const { return m_aboutAction; }

    // Update-check settings, kept in the preference store. Updates are never
    // fetched from the network on this platform; the settings are kept for
    // the settings dialog.
    bool autoCheckUpdate() const;
    void setAutoCheckUpdate(bool enabled);
    // In days.
    int autoCheckUpdateInterval() const;
    void setAutoCheckUpdateInterval(int days);

    // Hook for filling the title bar's button menu; called by initialize().
    // The native title bar of this platform has no such menu.
    virtual void setCustomTitleButtonMenu();
    // Sets the framework's texts again (menus, actions, title); called on a
    // language change. Subclasses call it from their own retranslate().
    virtual void retranslate();
    // Sets enabled and visible states; see enableUpdateUi().
    virtual void updateUiState();
    virtual void skinChanged(VuSkin* skin);
    virtual void skinAboutToChange(VuSkin* skin);
    // Leaves the program: closes the framed window (the main window may
    // refuse) and quits when it closed.
    virtual void on_fileExit();
    // Says that updates are not checked on this platform.
    virtual void on_helpCheckUpdate();
    // Opens the README file next to the program, or says it is missing.
    virtual void on_helpReadme();
    // Reserved; does nothing.
    virtual void on_helpTodo();
    // Shows the product's name and version.
    virtual void on_helpAbout();
    // Shows or hides the menu bar.
    virtual void on_showMenuBar();
    virtual void on_titlebar_menu_aboutToShow();
    // Runs a named command: "exit", "about", "help", "checkupdate".
    virtual void on_action_command(const QString& command);
    // The help entries open the README (the program's only local help).
    virtual void on_helptopics();
    virtual void on_helpgetstart();
    // Shows the about box, which names the product and its version.
    virtual void on_helpsupport();
    virtual void on_localhelptopics();

protected:
    bool event(QEvent* event) override;
    // F1 opens the help topics.
    void keyPressEvent(QKeyEvent* event) override;
    // A language change calls retranslate().
    void changeEvent(QEvent* event) override;

private:
    friend class VuWindowFrame;
    void createMenus();
    void retranslateFramework();
    void frameGone();

    VuWindowFrame* m_frame = nullptr;
    std::unique_ptr<VuWidgetHelper> m_helper;
    VuUiUpdater* m_updater = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_checkUpdateAction = nullptr;
    QAction* m_helpTopicsAction = nullptr;
    QAction* m_readmeAction = nullptr;
    QAction* m_aboutAction = nullptr;
    bool m_showingFrame = false;
};

#endif
