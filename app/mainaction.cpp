#include "app/mainaction.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace {

// The texts live in the window's translation context.
QString translated(const char* text)
{
    return QCoreApplication::translate("MainWindow", text);
}

struct ActionSpec {
    QAction* MainActions::*action;
    const char* objectName;
    const char* text;
    const char* shortcut;
};

// In the order they are made.
const ActionSpec kActions[] = {
    {&MainActions::addFiles, "actionAddFiles", QT_TRANSLATE_NOOP("MainWindow", "Add File(s)..."), nullptr},
    {&MainActions::addFolder, "actionAddFolder", QT_TRANSLATE_NOOP("MainWindow", "Add Folder..."), nullptr},
    {&MainActions::workBackground, "actionRunInBackground", QT_TRANSLATE_NOOP("MainWindow", "Run in Background"),
     nullptr},
    {&MainActions::remove, "actionRemove", QT_TRANSLATE_NOOP("MainWindow", "Remove"), "Del"},
    {&MainActions::removeAll, "actionRemoveAll", QT_TRANSLATE_NOOP("MainWindow", "Remove All"), nullptr},
    {&MainActions::selectAll, "actionSelectAll", QT_TRANSLATE_NOOP("MainWindow", "Select All"), "Ctrl+A"},
    {&MainActions::convertSelection, "actionConvertSelection",
     QT_TRANSLATE_NOOP("MainWindow", "Convert Selected Items"), nullptr},
    {&MainActions::selectInverse, "actionSelectInvert", QT_TRANSLATE_NOOP("MainWindow", "Select Invert"), nullptr},
    {&MainActions::editEpubInfo, "actionEditEpubInfo", QT_TRANSLATE_NOOP("MainWindow", "Edit EPUB Info"), nullptr},
    {&MainActions::moveUp, "actionMoveUp", QT_TRANSLATE_NOOP("MainWindow", "Move Up"), nullptr},
    {&MainActions::moveDown, "actionMoveDown", QT_TRANSLATE_NOOP("MainWindow", "Move Down"), nullptr},
    {&MainActions::convert, "actionConvert", QT_TRANSLATE_NOOP("MainWindow", "Convert"), nullptr},
    {&MainActions::abort, "actionAbort", QT_TRANSLATE_NOOP("MainWindow", "Abort"), nullptr},
    {&MainActions::doNothing, "actionDoNothing", QT_TRANSLATE_NOOP("MainWindow", "Do &Nothing"), nullptr},
    {&MainActions::shutDown, "actionShutDown", QT_TRANSLATE_NOOP("MainWindow", "&Shut Down"), nullptr},
    {&MainActions::hibernate, "actionHibernate", QT_TRANSLATE_NOOP("MainWindow", "&Hibernate"), nullptr},
    {&MainActions::standBy, "actionStandBy", QT_TRANSLATE_NOOP("MainWindow", "Stand &By"), nullptr},
    {&MainActions::exitProgram, "actionExitAfterDone", QT_TRANSLATE_NOOP("MainWindow", "E&xit"), nullptr},
    {&MainActions::settings, "actionSettings", QT_TRANSLATE_NOOP("MainWindow", "Settings..."), nullptr},
};

const char kEditTitle[] = QT_TRANSLATE_NOOP("MainWindow", "&Edit");
const char kAfterDoneTitle[] = QT_TRANSLATE_NOOP("MainWindow", "After Done");
const char kActionsTitle[] = QT_TRANSLATE_NOOP("MainWindow", "&Actions");

} // namespace

MainActions::MainActions(QWidget* window)
{
    createActions(window);
    createMenus(window);
    retranslate();
}

void MainActions::createActions(QWidget* window)
{
    for (const ActionSpec& spec : kActions) {
        auto* action = new QAction(window);
        action->setObjectName(QLatin1String(spec.objectName));
        if (spec.shortcut)
            action->setShortcut(QKeySequence(QLatin1String(spec.shortcut)));
        this->*spec.action = action;
    }
}

void MainActions::createMenus(QWidget* window)
{
    taskListMenu = new QMenu(window);
    taskListMenu->setObjectName(QStringLiteral("menuTaskList"));
    taskListMenu->addActions({ addFiles, addFolder, remove, removeAll });
    taskListMenu->addSeparator();
    taskListMenu->addAction(editEpubInfo);
    taskListMenu->addSeparator();
    taskListMenu->addActions({ moveUp, moveDown });
    taskListMenu->addSeparator();
    taskListMenu->addAction(convertSelection);

    editMenu = new QMenu(window);
    editMenu->setObjectName(QStringLiteral("menuEdit"));
    editMenu->addActions({ remove, removeAll });
    editMenu->addSeparator();
    editMenu->addAction(editEpubInfo);
    editMenu->addSeparator();
    editMenu->addActions({ selectAll, selectInverse });
    editMenu->addSeparator();
    editMenu->addActions({ moveUp, moveDown });

    afterDoneMenu = new QMenu(window);
    afterDoneMenu->setObjectName(QStringLiteral("menuAfterDone"));
    afterDoneGroup = new QActionGroup(afterDoneMenu);
    afterDoneGroup->setExclusive(true);
    for (QAction* choice : { doNothing, shutDown, hibernate, standBy, exitProgram }) {
        choice->setCheckable(true);
        afterDoneGroup->addAction(choice);
    }
    doNothing->setChecked(true);
    afterDoneMenu->addAction(doNothing);
    afterDoneMenu->addSeparator();
    afterDoneMenu->addActions({ shutDown, hibernate, standBy, exitProgram });

    actionsMenu = new QMenu(window);
    actionsMenu->setObjectName(QStringLiteral("menuActions"));
    actionsMenu->addActions({ convert, abort });
    actionsMenu->addSeparator();
    actionsMenu->addMenu(afterDoneMenu);
}

void MainActions::retranslate()
{
    for (const ActionSpec& spec : kActions)
        (this->*spec.action)->setText(translated(spec.text));
    editMenu->setTitle(translated(kEditTitle));
    afterDoneMenu->setTitle(translated(kAfterDoneTitle));
    actionsMenu->setTitle(translated(kActionsTitle));
}
