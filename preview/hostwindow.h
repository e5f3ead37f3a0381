#ifndef HOSTWINDOW_H
#define HOSTWINDOW_H

#include <QWidget>

// The preview pane of the main window: shows the pages of the file selected
// in the task list and opens files for the task list (page count, password).
// The main window's form places it as "widgetPDFView"; the program builds one.
// GUI thread only.
class HostWindow : public QWidget {
    Q_OBJECT
public:
    explicit HostWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~HostWindow() override;
};

#endif
