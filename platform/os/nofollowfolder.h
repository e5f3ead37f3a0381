#ifndef NOFOLLOWFOLDER_H
#define NOFOLLOWFOLDER_H

#include <QList>
#include <QString>

// A folder opened through its descriptor, for removing a tree without ever
// following a symbolic link: the folder itself and each sub-folder are opened
// with links refused, and entries are examined and removed relative to the
// open folder. A link swapped in for a folder while the tree is being removed
// therefore makes the opening fail instead of leading elsewhere.
class NoFollowFolder {
public:
    enum class EntryType { File, Folder, SymLink, Other };
    struct Entry {
        QString name;
        EntryType type = EntryType::Other;
    };

    NoFollowFolder() = default;
    ~NoFollowFolder();
    NoFollowFolder(const NoFollowFolder&) = delete;
    NoFollowFolder& operator=(const NoFollowFolder&) = delete;

    // False when nothing is at path, or it is a link or no folder.
    bool open(const QString& path);
    // The sub-folder name of an open folder, on the same terms.
    bool openChild(const NoFollowFolder& parent, const QString& name);
    bool isOpen() const { return m_fd >= 0; }
    void close();

    // The entries without "." and "..", sorted by name; a link is reported as
    // a link, whatever it points to.
    QList<Entry> entries() const;
    // Remove a non-folder entry (a link itself, never its target) or an empty
    // sub-folder.
    bool removeFile(const QString& name) const;
    bool removeFolder(const QString& name) const;

private:
    int m_fd = -1;
};

#endif
