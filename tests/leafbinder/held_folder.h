#ifndef HELD_FOLDER_H
#define HELD_FOLDER_H

// A work folder made and held as a book's create does it, so that the
// library's hidden parts can write a book's files without a whole book.

#include "epub_tools.h"
#include "epub_workfolder.h"

#include <memory>

struct HeldFolder {
    std::unique_ptr<ns_epub::epubWorkFolder> folder;

    // outputFolder ends with "/".
    HeldFolder(const QString& outputFolder, const QString& name)
        : folder(ns_epub::epubWorkFolder::create(outputFolder, name))
    {
        ns_epub::epubStdMgr::instance()->holdWorkFolder(folder.get());
    }
    ~HeldFolder()
    {
        if (ns_epub::epubStdMgr::instance()->heldWorkFolder() == folder.get())
            ns_epub::epubStdMgr::instance()->holdWorkFolder(nullptr);
    }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    QString path() const { return folder ? folder->path() : QString(); }
};

#endif
