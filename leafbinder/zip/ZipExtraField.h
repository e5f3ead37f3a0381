#ifndef ZIPEXTRAFIELD_H
#define ZIPEXTRAFIELD_H

#include "ZipAutoBuffer.h"

#include <QtGlobal>

#include <vector>

class CZipRecordBuffer;

// One extra record of a header: its id and its data. Written as id, data
// length and data.
struct CZipExtraData {
    quint16 m_headerId = 0;
    CZipAutoBuffer m_data;

    int getTotalSize() const { return 4 + m_data.size(); }
};

// The extra field of a local or central header: a list of extra records.
class CZipExtraField {
public:
    // Sum over the records of data length + 4.
    int getTotalSize() const;
    int getCount() const { return static_cast<int>(m_records.size()); }
    bool isEmpty() const { return m_records.empty(); }
    const CZipExtraData& at(int index) const { return m_records.at(static_cast<size_t>(index)); }
    void add(quint16 headerId, const char* data, int size);
    void clear() { m_records.clear(); }

    // Drops the records whose ids the engine keeps for itself; those differ
    // for the central and the local header.
    void removeInternalHeaders(bool central);
    void write(CZipRecordBuffer& record) const;
    // Replaces the records with those in size bytes read from a header.
    // False when a record's length runs past the field; fewer than four
    // bytes left at the end are no record and are dropped.
    bool read(const char* data, int size);
    // Whether a record of this id is present.
    bool has(quint16 headerId) const;

private:
    std::vector<CZipExtraData> m_records;
};

#endif
