#ifndef LEAFBINDER_IMP_H
#define LEAFBINDER_IMP_H

#include <QString>

#include <cerrno>
#include <memory>

namespace ns_epub {

struct epubCreationConfig;
class epubConverter;
class epubPage;
class epubWorkFolder;

// Base of the creator variants: prepares the work folder and otherwise does
// nothing. The variant keeps the caller's configuration pointer, not a copy.
// The book name must be a plain name (not empty, ".", ".." or holding "/"),
// and the work folder is made new for the book: anything already at that
// name, even a dangling link, is left alone and the book fails. A failed
// create is logged; the variant then writes nothing and close() is false.
// The work folder goes with the variant: everything in it is removed, and
// the folder too where its name still leads to it.
class leafbinderImp {
public:
    leafbinderImp();
    virtual ~leafbinderImp();
    virtual void setEpubConfig(const epubCreationConfig* config);
    virtual void addEpubData(epubPage* page);
    virtual bool setEpubDir(const char* dir);
    virtual bool close();

    // Why the last setEpubConfig made no work folder: a system error number,
    // 0 when it made one.
    int createError() const { return m_createError; }

protected:
    // The output folder and the book name joined as they stand: the output
    // folder carries its own trailing separator.
    QString workFolder() const;

    // Null until create succeeded.
    const epubCreationConfig* m_config = nullptr;
    // The work folder as create made it, held open until the variant goes:
    // the book's files are written, packed and removed only through it,
    // whatever its path leads to by then.
    std::unique_ptr<epubWorkFolder> m_workFolder;

private:
    int m_createError = EINVAL;
};

// Builds the book from page records.
class leafbinderFromData : public leafbinderImp {
public:
    leafbinderFromData();
    ~leafbinderFromData() override;
    void setEpubConfig(const epubCreationConfig* config) override;
    void addEpubData(epubPage* page) override;
    bool close() override;

private:
    std::unique_ptr<epubConverter> m_converter;
};

// Would build the book from a folder of files; it keeps the folder and
// produces no book.
class leafbinderFromFile : public leafbinderImp {
public:
    bool setEpubDir(const char* dir) override;

private:
    QString m_epubDir;
};

} // namespace ns_epub

#endif
