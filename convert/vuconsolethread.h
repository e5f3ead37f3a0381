#ifndef VUCONSOLETHREAD_H
#define VUCONSOLETHREAD_H

#include "platform/pagesift/pdfparseprogress.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTreeWidgetItem>

#include <atomic>
#include <functional>
#include <set>
#include <vector>

namespace conversion {
struct pdfParseConf;
}
namespace ns_epub {
struct epubPubInfo;
}

// The book information of the task being converted: written by
// VuConsoleThread::startTask on the GUI thread before the worker starts, read
// by the book builder on the worker thread. Relation and rights stay empty.
extern ns_epub::epubPubInfo g_epubPubInfo;

// Converts one task (one row of the task list) into one book on a thread of
// its own, and is the parser's progress object while it does so.
//
// Threads: the object lives on the GUI thread, where it is built, given its
// task, stopped and destroyed; the conversion and every call of the parser's
// interface run on the worker thread. The flags that both threads touch are
// atomic. Progress leaves the worker thread only as the queued signal
// sglItemTaskProcess; sglTaskComplete is emitted on the GUI thread once the
// thread has finished.
class VuConsoleThread : public QThread, public conversion::pdfParseProgress {
    Q_OBJECT

public:
    explicit VuConsoleThread(QObject* parent = nullptr);
    // A running worker is cancelled and waited for: a thread object must
    // never be destroyed while its thread runs.
    ~VuConsoleThread() override;

    // From the GUI thread: takes the task and starts the thread. The book
    // information comes from the row (which may be null: no information);
    // conversionZoom 0 is Text mode, any other value Picture mode at that
    // zoom, with area in page pixels at 100 %. Does nothing while the thread
    // runs.
    void startTask(QTreeWidgetItem* row, const QStringList& pageList, int pageCount, const QString& pdfPath,
                   const QString& outputFolder, const QString& outputName, const QString& password1,
                   const QString& password2, int conversionZoom, const QRect& area);

    // From the GUI thread: stops the task at the next page; with
    // quitAfterStop the program quits once the stopped task has ended.
    void stop(bool quitAfterStop);

    // Test seam, set before startTask: the worker thread calls hook after
    // every page, before the next one starts or the book is closed, so a
    // test can hold the task at a point it knows. Unset, it costs nothing.
    void setPageHook(std::function<void()> hook);
    // Test seam, set before startTask: the worker thread calls hook just
    // before it creates the book, so a test can change the output folder at
    // that point.
    void setBookHook(std::function<void()> hook);

    // From the GUI thread once the thread has finished: the requested pages
    // the task left out or found damaged (each logged), each once, rising.
    // A book that succeeded holds what could be read of them.
    std::vector<int> unreadPages() const;

    // Type 0 only: ":<percent>" is a percentage; any other text counts pages
    // done against the parser's total (nothing while that total is 0). No
    // signal once a stop was requested.
    void parseProgressInfo(messageType type, char* text) override;
    void setSuccess(bool value) override;
    bool isSuccess() override;

signals:
    void sglTaskComplete(QTreeWidgetItem* row, bool stopped, bool succeeded);
    void sglItemTaskProcess(QTreeWidgetItem* row, double percent);
    void processQiut();

public slots:
    void procFinished();

protected:
    // The task: checks the pages, builds the book in its own new work
    // folder, converts, closes (packs) the book unless stopped, and gives
    // the book up, which removes the work folder.
    void run() override;

    // Picture mode: one picture page per entry of pages, in order, until a
    // stop. False (logged) when the PDF does not open with the password or
    // not one page could be made; the book must then not be finished.
    bool convertPicturePages(const QString& pdfPath, const QString& password, const std::vector<int>& pages);

private:
    bool makePageVector(std::vector<int>& pages) const;
    void convertTask(const std::vector<int>& pages);
    bool parsePages(conversion::pdfParseConf& request);
    void addPicturePage(const QString& picturePath);

protected:
    QTreeWidgetItem* m_row = nullptr;          // the task row, passed back in every signal; not owned
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_quitAfterStop{false};
    std::atomic<bool> m_success{false};        // the result of the task
    QStringList m_pageList;                     // selected pages as decimal texts; empty: all
    int m_pageCount = 0;
    QString m_pdfPath;
    QString m_outputFolder;                     // ends with a separator
    QString m_outputName;                       // the book's file name, "epub" suffix included
    QString m_password1;
    QString m_password2;
    int m_pictureMode = 0;                      // 1 = Picture mode, 0 = Text mode
    int m_zoom = 0;                             // percent, Picture mode
    QRect m_area;                               // page area for Picture mode; null until set
    std::function<void()> m_pageHook;           // tests only; see setPageHook
    std::function<void()> m_bookHook;           // tests only; see setBookHook
    std::set<int> m_unreadPages;                // written by the worker thread only
};

#endif
