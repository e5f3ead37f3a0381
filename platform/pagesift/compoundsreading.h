#ifndef COMPOUNDSREADING_H
#define COMPOUNDSREADING_H

#include "documentsource.h"
#include "hyphenatedwords.h"

#include <QByteArray>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {

// The document's hyphenated words (hyphenatedwords.h), gathered from the
// text of the pages being converted by a reading that runs alongside the
// conversion: on a thread of its own, with a MuPDF context and an opening of
// the document of its own, so that the conversion neither waits for it page
// by page nor hears what MuPDF says while it reads. It reads each page once,
// in rising order, whatever order the pages are converted in.
//
// The object is used by the thread that made it; the reading ends when it
// has read every page, when stop() is called, or at the latest when the
// object goes.
class compoundsReading {
public:
    // Called on the reading's thread before each page, with the reading (a
    // test seam: a test holds the reading there).
    using pageHook = std::function<void(compoundsReading&)>;

    // pages: 1-based; password: the one that opened the document, if any.
    compoundsReading(documentSource source, QByteArray password, std::vector<int> pages, pageHook hook = {});
    ~compoundsReading();
    compoundsReading(const compoundsReading&) = delete;
    compoundsReading& operator=(const compoundsReading&) = delete;

    // Starts the reading, once.
    void start();
    // Asks the reading to end soon, in the middle of a page if need be.
    void stop();

    // Whether the reading has ended, waiting up to timeoutMs for it.
    bool waitForEnd(int timeoutMs);
    // Once the reading has ended unstopped: the words of every page, as far
    // as each could be read (none when the document could not be opened).
    const hyphenatedWords& words() const { return m_words; }

    // For the page hook: waits until stop() has been called, up to limitMs.
    bool waitUntilStopped(int limitMs);

private:
    void read();
    bool stopped() const;
    // Waits, up to timeoutMs, until the flag (guarded by m_mutex) is set.
    bool waitFor(const bool& flag, int timeoutMs);

    documentSource m_source;
    QByteArray m_password;
    std::vector<int> m_pages;
    pageHook m_hook;
    hyphenatedWords m_words;
    fz_cookie m_cookie = {};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    bool m_ended = false;
    std::thread m_thread;
};

} // namespace conversion

#endif
