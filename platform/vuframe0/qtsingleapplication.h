#ifndef QTSINGLEAPPLICATION_H
#define QTSINGLEAPPLICATION_H

#include "platform/vuframe0/vuapplication.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>

class QLockFile;

// The single-instance application object. isRunning(id) tells whether
// another process of this user holds the instance id; the first process to
// ask takes the id and holds it until its application object is destroyed.
// The id is held through a lock file ("<product_key>-<hash of id>.lock" in
// $XDG_RUNTIME_DIR when that is a folder private to this user, else in the
// private folder "<product_key>" of the user's cache folder, made with mode
// 0700); a lock left by a process that died is taken over. TMPDIR does not
// move the lock.
class QtSingleApplication : public VuApplication {
    Q_OBJECT
public:
    // id is kept for id(); the program passes an empty id and asks
    // isRunning() with the product's "SINGLETON_APP_ID".
    QtSingleApplication(const QString& id, int& argc, char** argv);
    ~QtSingleApplication() override;

    QString id() const { return m_id; }

    // True when another process holds id. False when this process holds it
    // (from now on) or when it cannot be checked (an empty id, no lock
    // folder): the program then starts rather than refusing to.
    bool isRunning(const QString& id);

    // The window to bring to the front when the instance is asked to
    // (activateWindow()).
    void setActivationWindow(QWidget* window, bool activateOnMessage = true);
    QWidget* activationWindow() const { return m_activationWindow; }
    bool activatesOnMessage() const { return m_activateOnMessage; }

    // The lock file that stands for id.
    static QString lockFilePath(const QString& id);

public slots:
    // Shows, raises and activates the activation window.
    void activateWindow();

private:
    QString m_id;
    QPointer<QWidget> m_activationWindow;
    bool m_activateOnMessage = false;
    std::map<QString, std::unique_ptr<QLockFile>> m_held;
};

#endif
