#include "modalanswers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVariant>
#include <QWidget>

namespace {

const char kAnsweredProperty[] = "modalAnswersAnswered";

QString textOf(QWidget* window)
{
    if (auto* box = qobject_cast<QMessageBox*>(window))
        return box->text();
    if (auto* label = window->findChild<QLabel*>())
        return label->text();
    return QString();
}

// The window as a file dialog; any other window is closed, so the test goes
// on and fails.
QFileDialog* fileDialogOrClose(QWidget* window)
{
    auto* dialog = qobject_cast<QFileDialog*>(window);
    if (!dialog)
        window->close();
    return dialog;
}

} // namespace

ModalAnswers::ModalAnswers(QList<Answer> answers)
    : m_answers(std::move(answers))
{
    connect(&m_poll, &QTimer::timeout, this, &ModalAnswers::poll);
    m_poll.start(5);
}

void ModalAnswers::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property(kAnsweredProperty).toBool())
        return;
    modal->setProperty(kAnsweredProperty, true);
    m_titles << modal->windowTitle();
    m_texts << textOf(modal);
    if (m_next < m_answers.size()) {
        m_answers.at(m_next++)(modal);
        return;
    }
    ++m_unexpected;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

ModalAnswers::Answer pressButton(const QString& text)
{
    return [text](QWidget* window) {
        const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
        for (QAbstractButton* button : buttons) {
            if (button->text().remove(QLatin1Char('&')) == text) {
                button->click();
                return;
            }
        }
        // No such button: close the window so the test goes on and fails.
        window->close();
    };
}

ModalAnswers::Answer typeAndPress(const QString& typed, const QString& button)
{
    return [typed, button](QWidget* window) {
        if (auto* edit = window->findChild<QLineEdit*>())
            edit->setText(typed);
        pressButton(button)(window);
    };
}

ModalAnswers::Answer chooseFiles(const QStringList& paths)
{
    return [paths](QWidget* window) {
        QFileDialog* dialog = fileDialogOrClose(window);
        if (!dialog)
            return;
        if (paths.isEmpty()) {
            dialog->reject();
            return;
        }
        QStringList quoted;
        for (const QString& path : paths)
            quoted << QLatin1Char('"') + path + QLatin1Char('"');
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(quoted.join(QLatin1Char(' ')));
        static_cast<QDialog*>(dialog)->accept();
    };
}

ModalAnswers::Answer chooseFolder(const QString& folder)
{
    return [folder](QWidget* window) {
        QFileDialog* dialog = fileDialogOrClose(window);
        if (!dialog)
            return;
        dialog->setDirectory(folder);
        static_cast<QDialog*>(dialog)->accept();
    };
}
