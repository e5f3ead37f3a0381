#ifndef LEAFBINDER_IMP_H
#define LEAFBINDER_IMP_H

#include <QString>

#include <memory>

namespace ns_epub {

struct epubCreationConfig;
class epubConverter;
class epubPage;

// Base of the creator variants: prepares the work folder and otherwise does
// nothing. The variant keeps the caller's configuration pointer, not a copy.
class leafbinderImp {
public:
    virtual ~leafbinderImp();
    virtual void setEpubConfig(const epubCreationConfig* config);
    virtual void addEpubData(epubPage* page);
    virtual bool setEpubDir(const char* dir);
    virtual bool close();

protected:
    // The output folder and the book name joined as they stand: the output
    // folder carries its own trailing separator.
    QString workFolder() const;

    const epubCreationConfig* m_config = nullptr;
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
