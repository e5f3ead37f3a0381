#ifndef ZIPCALLBACK_H
#define ZIPCALLBACK_H

#include "leafbinder_export.h"

#include <QString>

// Progress of a long operation, told to an object of the caller. The engine
// first says what it works on (init), then how much there is (setTotal), then
// reports progress in steps: the object is called with the amount gathered
// since its last call on every n-th step, where n is m_stepsBetweenCalls.
// Answering false asks the operation to stop.
//
//   class Progress : public CZipActionCallback {
//       bool callback(quint64 progress) override { done += progress; return !cancelled; }
//   };
//   archive.setCallback(&progress, CZipActionCallback::cbAdd | CZipActionCallback::cbAddStore);
class LEAFBINDER_EXPORT CZipActionCallback {
public:
    // What a callback is registered for. A value that combines others (the
    // folder add, 4097, includes adding a file, 1) registers the callback
    // under each of them.
    enum CallbackType {
        cbNothing = 0,
        cbAdd = 0x0001,                // adding a file
        cbAddFromArchive = 0x0002,     // copying an entry from another archive
        cbAddStore = 0x0004,           // the second, stored pass of adding a file
        cbSave = 0x0080,               // writing the central directory
        cbMoveData = 0x0400,           // moving data inside the archive to replace an entry
        cbCalculateForMulti = 0x0800,  // counting a folder's files before adding them
        cbMultiAdd = 0x1001,           // adding a folder's files
        cbAll = 0x1FFFF
    };

    CZipActionCallback();
    virtual ~CZipActionCallback();

    // The operation starts, on a disk path and an entry name (either may be
    // empty). Resets the counters.
    virtual void init(const QString& path, const QString& name);
    virtual void setTotal(quint64 total);
    // The amount done since the last call; false asks to stop.
    virtual bool callback(quint64 progress) = 0;
    // The operation ended (also when it was stopped).
    virtual void callbackEnd();

    // A folder add: how many files and bytes there are, then one call of
    // multiActionsNext() per file added (false asks to stop).
    virtual void multiActionsInit(quint32 totalFiles, quint64 totalBytes);
    virtual bool multiActionsNext();
    virtual void multiActionsEnd();

    // Called by the engine: one step of the given amount. The object is
    // called on every n-th step with what gathered; false when it asked to stop.
    bool requestCallback(quint64 progress = 1);
    // Passes on what is still gathered; false when the object asked to stop.
    bool requestLastCallback(quint64 progress = 0);

    int getType() const { return m_type; }
    void setType(int type) { m_type = type; }
    const QString& getPath() const { return m_path; }
    const QString& getName() const { return m_name; }
    quint64 getTotal() const { return m_total; }
    quint64 getProcessed() const { return m_processed; }

    // Steps between two calls; 1 (or less) calls on every step.
    int m_stepsBetweenCalls = 1;

private:
    int m_type = cbNothing;
    QString m_path;
    QString m_name;
    quint64 m_total = 0;
    quint64 m_processed = 0;
    quint64 m_pending = 0;
    int m_steps = 0;
};

// Asked whenever a segmented archive needs another volume: a new disk of a
// spanned archive, the next file of a split one, or a volume to read.
class LEAFBINDER_EXPORT CZipSegmCallback {
public:
    enum Reason {
        reasonLastVolumeName = -1,     // the name the last split volume gets at close
        reasonVolumeNeeded = 1,        // a new volume for writing (insert the next disk)
        reasonFileExists = 2,          // a file of that name exists already
        reasonLabelFailed = 3,         // the disk's label could not be set
        reasonCreateFailed = 4,        // the volume's file could not be created
        reasonVolumeForReading = 5     // this volume is needed to read on
    };

    virtual ~CZipSegmCallback();
    // volume is counted from 0; path is the volume's file, which the object
    // may change (for a spanned archive, to the folder of the disk it asks
    // for). neededBytes is what must fit on the volume (0 when reading).
    // False stops the operation (CZipException 205).
    virtual bool callback(quint64 neededBytes, int reason, int volume, QString& path) = 0;
};

#endif
