#ifndef LEAFBINDER_H
#define LEAFBINDER_H

#include "leafbinder_export.h"

#include <memory>
#include <string>

namespace ns_epub {

class epubPage;
class leafbinderImp;

// Book information, read by position: the order of the fields is part of the
// interface. Every field holds UTF-8 text.
struct epubPubInfo {
    std::string title;
    std::string identifier;   // the ISBN
    std::string subject;      // the series
    std::string relation;
    std::string description;  // the comments
    std::string creator;      // the author
    std::string publisher;
    std::string rights;
    std::string date;
    std::string coverImage;   // path of the cover picture, empty for none
};

// What to build. The builder keeps a pointer to this record, and through it to
// pubInfo, from create() until close(): both must stay alive and unchanged.
// The text fields hold NUL-terminated UTF-8 of at most 1023 bytes.
struct epubCreationConfig {
    unsigned char buildFromPages = 0;   // non-zero: build the book from page records
    char bookName[1024] = {};           // the work folder's last component, the book file's base name
    char outputFolder[1024] = {};       // must end with a separator: joined to bookName as is
    epubPubInfo* pubInfo = nullptr;
};

// Turns a stream of page records into one ePub book:
// create(), addEpubData() once per page in reading order, then close().
// One builder serves any number of books in turn; all calls for one book
// come from one thread, and only one book is built at a time in a process.
class LEAFBINDER_EXPORT leafbinder {
public:
    leafbinder();
    // Copies share the creator variant of the original. The variant lives as
    // long as any builder holding it, so each is deleted exactly once.
    leafbinder(const leafbinder& other);
    leafbinder& operator=(const leafbinder& other);
    virtual ~leafbinder();

    // Starts a book: replaces the variant with one chosen by
    // config->buildFromPages and prepares the work folder. config is never
    // null. Afterwards errno is 0 when the work folder was made, and
    // otherwise why not (EINVAL for a refused book name, EEXIST when
    // anything is at the work folder's name already): the book then takes
    // no page and close() is false. A book's work folder is removed when
    // its variant goes (at the next create or with the builder).
    void create(epubCreationConfig* config);
    // Writes one page before returning; keeps no pointer into it.
    void addEpubData(epubPage* page);
    // Finishes and packs the book; false when nothing was packed.
    bool close();
    void setEpubDir(const char* dir);

private:
    std::shared_ptr<leafbinderImp> m_imp;
};

} // namespace ns_epub

#endif
