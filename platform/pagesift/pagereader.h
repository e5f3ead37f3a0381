#ifndef PAGEREADER_H
#define PAGEREADER_H

#include "documentsource.h"
#include "pagecontent.h"
#include "pagerecord.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace conversion {

class fitzDocument;

// A requested page as read, waiting for its turn to be handed over.
struct pageRead {
    int number = 0;
    bool read = false;                     // loaded and run whole, or in part with something on it
    QString problem;                       // why it was left out or is damaged; empty when read whole
    std::unique_ptr<pageRecord> record;    // null when the page could not be loaded
    std::vector<pagePicture> pictures;     // top to bottom, left to right; not in the record yet
    std::size_t weight = 0;                // bytes it holds, roughly
};

// Opens the document and reads the requested pages, on a thread of its own
// with a MuPDF context of its own, ahead of the conversion that hands them
// over: while a page goes into the book, the next ones are read. Pages wait
// in request order until what waits reaches a bound; then the reading
// waits. The object is used by the thread that made it; the reading ends
// when every page is read, when stop() is called, or when the object goes.
class pageReader {
public:
    enum class openState { open, cannotOpen, needsPassword, wrongPassword };
    struct opening {
        openState state = openState::cannotOpen;
        QString error;          // MuPDF's message when it cannot be opened
        int pageCount = -1;     // -1 when the page tree cannot be read
        QByteArray password;    // the one that opened it, if it needed one
    };

    // passwords: tried in order when the document needs one; empty ones
    // are skipped. pages: 1-based, in request order; those not in the
    // document are passed over.
    pageReader(documentSource source, std::vector<QByteArray> passwords, std::vector<int> pages);
    ~pageReader();
    pageReader(const pageReader&) = delete;
    pageReader& operator=(const pageReader&) = delete;

    // Starts the reading and waits until the document is open, or is not.
    opening open();
    // The next page that is in the document, in request order; waits for
    // it, looking every few milliseconds whether cancelled() says the
    // conversion ends. False when it does, or when the reading ended first;
    // the reading is stopped then.
    bool next(pageRead& page, const std::function<bool()>& cancelled);
    // A page handed over, to be freed by the reading, which made it: each
    // thread's allocator keeps what it frees for its own next blocks, and a
    // reading's blocks kept by the book's long-lived data would scatter both.
    void done(pageRead page);
    void stop();

private:
    void run();
    void openDocument(fitzDocument& document);
    pageRead readOne(fitzDocument& document, int number) const;
    bool push(pageRead page);
    bool stopped() const;
    void freeDone();

    documentSource m_source;
    std::vector<QByteArray> m_passwords;
    std::vector<int> m_pages;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_opened = false;
    opening m_opening;
    std::deque<pageRead> m_waiting;
    std::vector<pageRead> m_done;
    std::size_t m_waitingWeight = 0;
    bool m_ended = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace conversion

#endif
