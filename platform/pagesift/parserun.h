#ifndef PARSERUN_H
#define PARSERUN_H

#include "compoundsreading.h"
#include "pdfparser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <set>
#include <vector>

namespace conversion {

class documentSource;
class fitzContext;
class pageReader;
struct pageRead;
class pictureStore;

// One call of pdfParser::parse: checks the request, opens the document,
// and delivers the requested pages one at a time, so memory does not grow
// with the number of pages.
//
// The pages are read ahead on a thread of their own (pagereader.h) while
// those before them go into the book on the calling thread, which does all
// the talking to the caller. A page with a word broken at a line end by a
// plain hyphen waits for the document's hyphenated words, read alongside
// (compoundsreading.h) from the first such page on, while the reading ahead
// goes on.
class parseRun {
public:
    parseRun(pdfParseProgress* progress, pdfParser::pageParseFunc pageFunc, const QString& pictureFolder,
             compoundsReading::pageHook compoundsHook = {});
    ~parseRun();

    void run(const pdfParseConf* request);
    QString problems() const;
    // The requested pages that were left out or damaged, each once, rising.
    std::vector<int> unreadPages() const;

private:
    bool readRequest(const pdfParseConf* request);
    bool openDocument(pageReader& reader, int& count);

    void deliverPages(const documentSource& source, pageReader& reader, pictureStore& pictures,
                      const std::vector<int>& pages, int count);
    void savePictures(pageRead& page, pictureStore& pictures);
    bool waitForCompounds(compoundsReading& compounds) const;
    bool handOver(pageRead& page);

    bool cancelled() const;
    void fail(const QString& why);
    void notice(const QString& what);
    void noticeUnreadable(int pageNumber, const QString& why);
    void reportDone(int done);

    pdfParseProgress* m_progress;
    pdfParser::pageParseFunc m_pageFunc;
    QString m_pictureFolder;
    compoundsReading::pageHook m_compoundsHook;
    QString m_path;
    QByteArray m_passwords[2];
    QByteArray m_openingPassword;
    // Encodes the pictures of the pages being handed over, made on first use.
    std::unique_ptr<fitzContext> m_pictureContext;
    QStringList m_problems;
    std::set<int> m_unread;
};

} // namespace conversion

#endif
