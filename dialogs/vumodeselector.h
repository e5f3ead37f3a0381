#ifndef VUMODESELECTOR_H
#define VUMODESELECTOR_H

#include "platform/vuframe0/vudialog.h"

#include <memory>

namespace Ui {
class modeSelector;
}

// Asks for the conversion mode of a PDF file being added to the task list.
// The task list builds one on the stack per added file, runs it and reads
// the two answers; closing it in any way confirms what it shows. The dialog
// stores nothing itself, and each showing starts with "Text" and an
// unchecked box. GUI thread only.
class VuModeSelector : public VuDialog {
    Q_OBJECT
public:
    VuModeSelector();
    ~VuModeSelector() override;

    // 0 Text, 1 Picture.
    int currentMode() const;
    // False once "Do not show this message again" is ticked.
    bool showHintAgain() const;

private:
    std::unique_ptr<Ui::modeSelector> ui;
};

#endif
