#ifndef VULINEEDIT_H
#define VULINEEDIT_H

#include <QLineEdit>

// The main window's output folder field ("lineEditOutFolder"): holds the
// custom output folder the main window reads for each run.
//
// When the user finishes typing (Enter or Return, or a mouse click that
// takes the focus elsewhere) the text is checked with Vu::isFolderNameValid;
// a text that cannot name a folder is refused with a message and replaced by
// the output folder stored last ("last_outputfile_dir", default
// Vu::outputPath()). A focus loss for any other reason (Tab, another window,
// a dialog) checks nothing: the main window checks the folder again before
// every run. The field never writes the preferences itself.
class VuLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit VuLineEdit(QWidget* parent = nullptr);
    ~VuLineEdit() override;

signals:
    // Never emitted.
    void fileNameChange();
    // A left or right press on a field named "nameDisplay".
    void mouseClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void checkFolder();
};

#endif
