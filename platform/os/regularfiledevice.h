#ifndef REGULARFILEDEVICE_H
#define REGULARFILEDEVICE_H

#include <QIODevice>

#include <memory>

class RegularFile;

// An opened RegularFile as a read-only device, for Qt's readers (pictures),
// with a position of its own: other readers of the same file are not moved.
class RegularFileDevice : public QIODevice {
public:
    // Open for reading from the start; the device keeps the file open.
    explicit RegularFileDevice(std::shared_ptr<const RegularFile> file);
    ~RegularFileDevice() override;

    bool isSequential() const override { return false; }
    qint64 size() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    std::shared_ptr<const RegularFile> m_file;
};

#endif
