#ifndef PARSEDPAGES_H
#define PARSEDPAGES_H

// Runs the parser the way the program does and keeps a copy of every page it
// delivers (the parser frees its pages as soon as the callback returns).

#include "platform/pagesift/pdfparseprogress.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace conversion {
class compoundsReading;
}

namespace parsed {

struct run {
    bool bold = false;
    bool italic = false;
    QString family;
    QString color;
    int size = 0;
    int kind = -1;
    QString text;
};

struct line {
    bool endsParagraph = false;
    bool centred = false;
    bool rightToLeft = false;
    std::vector<run> runs;
    QString text() const;
};

struct column {
    std::vector<line> lines;
    QString text() const;   // lines joined as a reader sees them
};

struct section {
    std::vector<column> columns;
};

struct picture {
    QString path;
    bool existed = false;   // the file was there while the callback ran
    QByteArray bytes;
    QFileDevice::Permissions folderPermissions;
};

struct page {
    std::vector<section> sections;
    std::vector<picture> pictures;
    bool structureOk = true;   // no empty section, column, line or run, every run kind 0
    QString text() const;      // paragraphs on lines of their own, columns and sections apart
    std::vector<const line*> lines() const;
};

// Records what the parser tells its caller; optionally cancels after a
// number of pages.
class recorder : public conversion::pdfParseProgress {
public:
    void parseProgressInfo(messageType type, char* text) override;
    void setSuccess(bool value) override;
    bool isSuccess() override;

    int total() const { return pageNumber; }

    int cancelAfter = -1;
    QStringList progress;       // texts of progress messages
    QStringList notices;        // texts of other messages
    std::vector<bool> successCalls;
};

struct result {
    std::vector<page> pages;
    recorder progress;
    QString lastError;
};

struct request {
    QString path;
    std::vector<int> pages;
    QByteArray password1;
    QByteArray password2;
    QString pictureFolder;
    int cancelAfter = -1;
    bool cancelFirst = false;
    std::function<void(conversion::compoundsReading&)> compoundsHook;
};

void parse(const request& what, result& out);

// The share of MuPDF's plain-text words of the 1-based page that the
// delivered page holds; a word counts when it is a word of the page, or part
// of one (lines of CJK text or hyphenated words join without a space, the
// latter without the hyphen at the line end).
double wordRecall(const QString& path, int pageNumber, const page& delivered,
                  const QList<QByteArray>& passwords = {}, QStringList* missing = nullptr);

} // namespace parsed

#endif
