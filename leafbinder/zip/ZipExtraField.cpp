#include "ZipExtraField.h"

#include "ZipRecordBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

const quint16 centralInternalIds[] = {0x0001, 0x5A4C, 0x6375, 0x7075, 0x9901};
const quint16 localInternalIds[] = {0x6375, 0x7075, 0x9901};

template <size_t N>
bool contains(const quint16 (&ids)[N], quint16 id)
{
    return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

} // namespace

int CZipExtraField::getTotalSize() const
{
    int total = 0;
    for (const CZipExtraData& record : m_records)
        total += record.getTotalSize();
    return total;
}

void CZipExtraField::add(quint16 headerId, const char* data, int size)
{
    CZipExtraData record;
    record.m_headerId = headerId;
    if (size > 0) {
        record.m_data.allocate(size);
        std::memcpy(record.m_data.data(), data, static_cast<size_t>(size));
    }
    m_records.push_back(record);
}

void CZipExtraField::removeInternalHeaders(bool central)
{
    m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                                   [central](const CZipExtraData& record) {
                                       return central ? contains(centralInternalIds, record.m_headerId)
                                                      : contains(localInternalIds, record.m_headerId);
                                   }),
                    m_records.end());
}

void CZipExtraField::write(CZipRecordBuffer& record) const
{
    for (const CZipExtraData& extra : m_records) {
        record.putUInt16(extra.m_headerId);
        record.putUInt16(static_cast<quint16>(extra.m_data.size()));
        record.putBytes(extra.m_data.data(), extra.m_data.size());
    }
}

bool CZipExtraField::read(const char* data, int size)
{
    m_records.clear();
    CZipRecordBuffer field(data, size);
    while (field.remaining() >= 4) {
        const quint16 id = field.getUInt16();
        const quint16 length = field.getUInt16();
        if (length > field.remaining()) {
            m_records.clear();
            return false;
        }
        CZipExtraData record;
        record.m_headerId = id;
        if (length > 0) {
            record.m_data.allocate(length);
            field.getBytes(record.m_data.data(), length);
        }
        m_records.push_back(record);
    }
    return field.ok();
}

bool CZipExtraField::has(quint16 headerId) const
{
    return std::any_of(m_records.begin(), m_records.end(),
                       [headerId](const CZipExtraData& record) { return record.m_headerId == headerId; });
}
