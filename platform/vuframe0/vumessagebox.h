#ifndef VUMESSAGEBOX_H
#define VUMESSAGEBOX_H

#include <QMessageBox>
#include <QString>

class QWidget;

// The framework's modal message boxes: real QMessageBox windows run with
// exec(), so a caller (or a test, through QApplication::activeModalWidget())
// finds the standard buttons and presses them. Texts are shown as plain text,
// so a file name holding "<" or "&" appears as written.
//
// center: the box is centred over its parent (over the screen when it has
// none); false leaves the placement to the window system.
//
// Each returns the button that closed the box: the escape button when the
// box was closed by Escape or its close button, NoButton when the parent went
// away while the box was open.
class VuMessageBox {
public:
    // An information box with an OK button.
    static QMessageBox::StandardButton info(const QString& text, const QString& title = QString(),
                                            QWidget* parent = nullptr, bool center = true);

    // A warning box with an OK button.
    static QMessageBox::StandardButton alert(const QString& text, const QString& title = QString(),
                                             QWidget* parent = nullptr, bool center = true);

    // A question with the given buttons (Yes and No, or Yes, No and Cancel)
    // and the given default button.
    static QMessageBox::StandardButton question(
        const QString& text, const QString& title,
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
        QWidget* parent = nullptr, QMessageBox::StandardButton defaultButton = QMessageBox::Yes,
        bool center = true);
};

#endif
