#ifndef VULINEEDIT_H
#define VULINEEDIT_H

#include <QLineEdit>

// The main window's output folder field ("lineEditOutFolder"): holds the
// custom output folder the main window reads for each run.
class VuLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit VuLineEdit(QWidget* parent = nullptr);
    ~VuLineEdit() override;
};

#endif
