#ifndef VUTREEWIDGET_H
#define VUTREEWIDGET_H

#include <QPointer>
#include <QTreeWidget>

class HostWindow;

// The task list of the main window ("treeWidget"): one top-level item per
// task row (app/taskrow.h). The main window sets up its columns and the
// status painter and hands it the preview, which it uses to open files.
// GUI thread only.
class VuTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit VuTreeWidget(QWidget* parent = nullptr);
    ~VuTreeWidget() override;

    void setHostWindow(HostWindow* hostWindow);
    HostWindow* hostWindow() const;

    // Sets the cells' own words (mode, "All") in the current language.
    void retranslateCells();

signals:
    // The page text of a row was changed in the list; the page-range
    // controls follow it.
    void sglSyncListToSettings();

private:
    QPointer<HostWindow> m_hostWindow;
};

#endif
