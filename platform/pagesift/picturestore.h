#ifndef PICTURESTORE_H
#define PICTURESTORE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

namespace conversion {

// The folder where the pictures of the page being delivered wait for the
// book builder to copy them. Every picture gets a name of its own within
// the parse (the builder keeps the first of two equal names), and files
// never replace what is already there.
class pictureStore {
public:
    // An empty folder: a private folder (mode 0700) made under the system's
    // temporary folder and removed with this object.
    explicit pictureStore(const QString& folder);
    ~pictureStore();
    pictureStore(const pictureStore&) = delete;
    pictureStore& operator=(const pictureStore&) = delete;

    bool isReady() const;
    QString folder() const;

    // The full path of the new file, or an empty text when it could not be
    // written completely.
    QString add(const QByteArray& bytes, const QString& suffix, int pageNumber);
    // Deletes the files written since the last call.
    void removeAdded();

private:
    std::unique_ptr<QTemporaryDir> m_private;
    QString m_folder;
    QStringList m_added;
    int m_serial = 0;
};

} // namespace conversion

#endif
