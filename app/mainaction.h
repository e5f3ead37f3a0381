#ifndef MAINACTION_H
#define MAINACTION_H

// The main window's actions and its own menus: the task list's context
// menu, "&Edit", "&Actions" and "After Done". Made once, all owned by the
// window; the window connects them and puts the menus on its menu bar.
//
// The five "After Done" actions are checkable and exclusive, with "Do
// &Nothing" checked at every start; nothing is connected to them, the end
// of a run reads which one is checked. Each action has an object name of
// its own ("actionConvert", ...), so it can be found by name.
//
// GUI thread only.

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

class MainActions {
public:
    explicit MainActions(QWidget* window);

    // Sets every text and title again in the current language.
    void retranslate();

    QAction* addFiles = nullptr;
    QAction* addFolder = nullptr;
    QAction* workBackground = nullptr;
    QAction* remove = nullptr;
    QAction* removeAll = nullptr;
    QAction* selectAll = nullptr;
    QAction* convertSelection = nullptr;
    QAction* selectInverse = nullptr;
    QAction* editEpubInfo = nullptr;
    QAction* moveUp = nullptr;
    QAction* moveDown = nullptr;
    QAction* convert = nullptr;
    QAction* abort = nullptr;
    QAction* doNothing = nullptr;
    QAction* shutDown = nullptr;
    QAction* hibernate = nullptr;
    QAction* standBy = nullptr;
    QAction* exitProgram = nullptr;
    QAction* settings = nullptr;

    QActionGroup* afterDoneGroup = nullptr;

    QMenu* taskListMenu = nullptr;
    QMenu* editMenu = nullptr;
    QMenu* afterDoneMenu = nullptr;
    QMenu* actionsMenu = nullptr;

private:
    void createActions(QWidget* window);
    void createMenus(QWidget* window);
};

#endif
