#ifndef PARSERUN_H
#define PARSERUN_H

#include "pdfparser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <set>
#include <vector>

namespace conversion {

class fitzDocument;
class hyphenatedWords;
class pictureStore;

// One call of pdfParser::parse: checks the request, opens the document,
// and delivers the requested pages one at a time, so memory does not grow
// with the number of pages.
class parseRun {
public:
    parseRun(pdfParseProgress* progress, pdfParser::pageParseFunc pageFunc, const QString& pictureFolder);

    void run(const pdfParseConf* request);
    QString problems() const;
    // The requested pages that were left out or damaged, each once, rising.
    std::vector<int> unreadPages() const;

private:
    bool readRequest(const pdfParseConf* request);
    bool openDocument(fitzDocument& document);
    struct pageResult {
        bool read = false;   // loaded and run whole, or in part with something on it
        bool more = true;    // the page function asks for further pages
    };

    void deliverPages(fitzDocument& document, pictureStore& pictures, const std::vector<int>& pages, int count);
    void readWholeText(fitzDocument& document, std::vector<int> pages, hyphenatedWords& words) const;
    pageResult deliverPage(fitzDocument& document, pictureStore& pictures, int pageNumber,
                           hyphenatedWords& compounds);

    bool cancelled() const;
    void fail(const QString& why);
    void notice(const QString& what);
    void noticeUnreadable(int pageNumber, const QString& why);
    void reportDone(int done);

    pdfParseProgress* m_progress;
    pdfParser::pageParseFunc m_pageFunc;
    QString m_pictureFolder;
    QString m_path;
    QByteArray m_passwords[2];
    QStringList m_problems;
    std::set<int> m_unread;
};

} // namespace conversion

#endif
