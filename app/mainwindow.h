#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "app/pagetexttyping.h"
#include "platform/vuframe0/vumainwindow.h"

#include <QList>
#include <QSystemTrayIcon>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class MainActions;
class QMenu;
class QPoint;
class QTreeWidgetItem;
class QUrl;
class VuConsoleThread;
class VuSkin;
class VuTreeWidget;

namespace Ui {
class MainWindow;
}

// The program's only top-level window: the task list with its tool buttons,
// the output settings, the progress bar and the preview with its page
// controls. It is built once by main() and lives inside the framework's
// framed window (widgetFrame()).
//
// Construction reads the output settings from the preference store: the
// custom output folder ("last_outputfile_dir", default Vu::outputPath(),
// which is created) and the choice of the same folder
// ("last_outputfile_radio", default false, so "Customize" is chosen).
//
// Its behaviours live in files of their own: adding files
// (mainwindow_files.cpp), the output folder (mainwindow_output.cpp), the
// conversion queue (mainwindow_queue.cpp), the list commands and the
// window's state (mainwindow_list.cpp), the actions and menus
// (mainwindow_menus.cpp, mainaction.h), the tray icon and the "After Done"
// action (mainwindow_tray.cpp), the page controls (mainwindow_pages.cpp).
//
// GUI thread only. The one worker converts on a thread of its own and
// reaches the window through its signals.
class MainWindow : public VuMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Sets every text of the window again in the current language; the
    // framework calls it on a language change.
    void retranslate() override;

    // The paths of the given URLs in their order, each folder among them
    // replaced by its entries (one level, sorted by name ignoring case,
    // hidden ones left out) whose names match one of patterns, ignoring
    // case. A folder with foldersAllowed false ends the list there. Paths
    // that are no folder are taken as they are, existing or not.
    QStringList collectPdfPaths(const QList<QUrl>& urls, const QStringList& patterns,
                                bool foldersAllowed) const;

    // Checks the custom output folder before it is used: path receives the
    // field's text cleaned, which the field then shows. A relative or empty
    // text is refused, and the field shows the stored folder again. A
    // missing folder is offered for creation; an existing or created folder
    // is remembered ("last_outputfile_dir"). True when the folder exists
    // afterwards and is writable; otherwise the user has been told why.
    bool checkOutputFolder(QString& path);

    // Fills the queue of a run: every row, or (selectedQueued) the rows the
    // queue holds already. Every page list must be valid, else nothing is
    // queued; converted rows go in again only when the user agrees; skipped
    // and aborted rows stay out; the others wait, and a row whose PDF is
    // missing is skipped.
    void getTaskItemList(bool selectedQueued);
    // Whether a row waits or converts: the window is running.
    bool hasPendingTask() const;
    // Every waiting or converting row becomes idle; for the end of a run.
    void resetQueueStatus();
    // Runs the "After Done" choice at the end of a run: nothing, or the
    // power action (with its count-down) of the checked choice.
    void runAfterDoneAction();

    // Test seam: every worker made from now on calls hook on its own thread
    // after each page (VuConsoleThread::setPageHook).
    void setWorkerPageHook(std::function<void()> hook);

    // Makes the tray icon, hidden, with its menu, once; without a tray on
    // this system there is none (noted in the log).
    void initSysTrayIcon();

    // The current-page field's text: empty, or a page of the previewed
    // document in plain digits.
    bool isCurrentPageTextValid(const QString& text) const;
    // The page field's text: a page list for the previewed document, as
    // leniently checked as while it is typed. The row checks it strictly
    // when editing ends.
    bool isPageRangeTextValid(const QString& text) const;

public slots:
    void slotOutputRadioStatus();
    void slotAfterChangeSkin(VuSkin* current, VuSkin* previous);
    void showTaskListContextMenu(const QPoint& pos);
    // Enables the controls by the list's state: empty, rows while idle
    // (with or without a selection), or a task pending.
    void updateUiState() override;
    void quitApp();
    void on_addFiles();
    void on_addFolder();
    void on_runTask();
    void on_removeFile();
    void on_clearFiles();
    void on_selectInverse();
    void on_moveUp();
    void on_moveDown();
    void on_convert();
    void on_convertCancel();
    void on_convertSelection();
    void on_editEpubInfo();
    void on_taskStop();
    void on_openPdfFile();
    void on_openOutputFolder();
    void on_selectOutputFolder();
    void on_settings();
    void slotSelectAll();
    void slotPdfConvert();
    void slotOpenPPTFile(const QString& path);
    void slotRefreshTaskProcess(QTreeWidgetItem* row, double percent);
    void slotTaskFinished(QTreeWidgetItem* row, bool stopped, bool succeeded);
    void on_listSelectionChanged();
    void on_toolButtonFirstPage_clicked();
    void on_toolButtonBefore_clicked();
    void on_toolButtonNext_clicked();
    void on_toolButtonLastPage_clicked();
    void on_radioButtonPageAll_clicked();
    void on_radioButtonPageCur_clicked();
    void on_radioButtonPageRange_clicked();
    void on_lineEditCurPage_textEdited(const QString& text);
    void on_lineEditCurPage_editingFinished();
    void on_lineEditPageStr_textEdited(const QString& text);
    void on_lineEditPageStr_editingFinished();
    void on_syncListToSettings();
    void on_workBackground();
    void on_resumeMainWindow();
    void on_trayIconActivated(QSystemTrayIcon::ActivationReason reason);

protected:
    // With rows in the list, closing asks first; while a task runs, a Yes
    // stops it and the program ends once it has stopped.
    void closeEvent(QCloseEvent* event) override;
    // Whether the desktop offers a tray; tests put one in place.
    virtual bool isSystemTrayAvailable() const;

private:
    enum class ListState { Empty, NoneSelected, SomeSelected, Running };

    void setUpProgressBar();
    void loadOutputSettings();
    void showOutputFolder(const QString& folder);
    void setUpTaskList();
    void setTaskListHeaders();
    void setButtonIcons();
    void connectSignals();
    void retranslateTrayMenu();

    bool queuedPageListsValid();
    bool takeQueuedStatuses();
    void skipMissingFiles();
    void skipRow(QTreeWidgetItem* row);
    bool startNextTask();
    void startTask(QTreeWidgetItem* row);
    void goOnWithRun();
    bool askHoldingQueue(const QString& question);
    void goOnAfterQuestion();
    void retireWorker();
    void showBookLink(QTreeWidgetItem* row);
    void finishRun();
    void showSelectedFileInPreview();
    void unlockQueuedRows();
    void previewSelectedRow();
    bool isListedRow(QTreeWidgetItem* row) const;

    QTreeWidgetItem* firstSelectedRow() const;
    void setPageTextEnabled(bool enabled);
    ListState listState() const;
    void stopAndQuit();
    bool hasConvertingRow() const;

    void showInvalidPagesMessage();
    QString currentPageText() const;
    void showCurrentPage();
    void writeCurrentPageToRow();
    void setPageFieldText(const QString& text);

    void createActions();
    void fillMenuBar();
    void updateActionStates(ListState state);

    std::unique_ptr<Ui::MainWindow> ui;
    // The actions and the window's own menus, owned by the window.
    std::unique_ptr<MainActions> m_actions;
    VuTreeWidget* m_taskList = nullptr;
    // The worker of the task being converted; null until the first task.
    VuConsoleThread* m_currentWorker = nullptr;
    // The queue of the run, consumed from the front.
    QList<QTreeWidgetItem*> m_pendingTasks;
    // The output folder of the run in progress, ending in "/"; empty until
    // a run starts.
    QString m_outputFolder;
    // Name filters for adding the files of a folder.
    QStringList m_fileFilters;
    // Set when the user chose to leave while a task ran: the end of that
    // task ends the program.
    bool m_quitAfterStop = false;
    // Whether the run under way has started a row; only such a run ends
    // with the "After Done" action.
    bool m_rowStartedInRun = false;
    // Questions about stopping, cancelling or leaving that are open; while
    // there are any, no new row starts.
    int m_openQuestions = 0;
    // A task ended while a question was open; the run goes on (or ends)
    // once the question is answered.
    bool m_runHeldByQuestion = false;
    std::function<void()> m_workerPageHook;
    // True while the message about an invalid page text is shown.
    bool m_showingPagesMessage = false;
    // The typing in the page field since it was last filled.
    PageTextTyping m_pageTyping;
    // Null until the tray icon is made, and without a tray.
    QSystemTrayIcon* m_trayIcon = nullptr;
    std::unique_ptr<QMenu> m_trayMenu;
};

#endif
