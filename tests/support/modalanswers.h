#ifndef MODALANSWERS_H
#define MODALANSWERS_H

// Answers the modal windows a piece of code opens, one answer each, in the
// order they appear, from a timer that runs inside their event loops. Each
// window is answered once, even when the next one is built at the same
// address. Windows beyond the given answers are rejected and counted, so a
// test notices them and never hangs on them.

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

class ModalAnswers : public QObject {
public:
    using Answer = std::function<void(QWidget*)>;

    explicit ModalAnswers(QList<Answer> answers = {});

    // Windows answered with the given answers, and those beyond them.
    int answered() const { return m_next; }
    int unexpected() const { return m_unexpected; }

    // The titles and texts (a message box's text, or a label's) of every
    // modal window seen, in order.
    QStringList titles() const { return m_titles; }
    QStringList texts() const { return m_texts; }

private:
    void poll();

    QList<Answer> m_answers;
    QTimer m_poll;
    int m_next = 0;
    int m_unexpected = 0;
    QStringList m_titles;
    QStringList m_texts;
};

// Common answers: press the message box button or the push button with
// this text; type text into the window's line edit and press a button.
ModalAnswers::Answer pressButton(const QString& text);
ModalAnswers::Answer typeAndPress(const QString& typed, const QString& button);

// Answers a file dialog as a user does: with paths, types them into its file
// name field (quoted, so several and absolute ones are taken) and accepts;
// an empty list cancels. Typing works whether or not the field has the
// focus, which QFileDialog::selectFile does not (it leaves a focused field
// alone, and the dialog then accepts nothing).
ModalAnswers::Answer chooseFiles(const QStringList& paths);
// Answers a folder dialog: moves it to the folder and accepts.
ModalAnswers::Answer chooseFolder(const QString& folder);

#endif
