#ifndef TESTFILES_H
#define TESTFILES_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <thread>

namespace testfiles {

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

// Every regular file under folder, as paths relative to it with "/", sorted.
QStringList listFiles(const QString& folder);

// Runs a program and waits; the exit code, or -1 when it did not start or
// did not finish within the timeout. Standard output and error go to *output.
int runProgram(const QString& program, const QStringList& arguments, QString* output = nullptr,
               int timeoutMs = 120000);

// True when the program can be found on the PATH.
bool haveProgram(const QString& program);

// Makes the folder current while the object lives.
class CurrentDir {
public:
    explicit CurrentDir(const QString& folder);
    ~CurrentDir();
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

private:
    QString m_previous;
};

// A named pipe for code that must never open one. A writer waits on it
// from a thread of its own, so code that does open it for reading gets an
// empty file at once instead of blocking the test for good; wasOpened()
// tells whether that happened.
class Fifo {
public:
    explicit Fifo(const QString& path);
    ~Fifo();
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

    bool isValid() const { return m_valid; }
    bool wasOpened() const { return m_opened; }

private:
    void serveWriters();

    QByteArray m_path;
    bool m_valid = false;
    std::atomic<bool> m_opened{ false };
    std::atomic<bool> m_closing{ false };
    std::thread m_writer;
};

} // namespace testfiles

#endif
