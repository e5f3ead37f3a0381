#include "ZipCallback.h"

CZipActionCallback::CZipActionCallback() = default;

CZipActionCallback::~CZipActionCallback() = default;

void CZipActionCallback::init(const QString& path, const QString& name)
{
    m_path = path;
    m_name = name;
    m_total = 0;
    m_processed = 0;
    m_pending = 0;
    m_steps = 0;
}

void CZipActionCallback::setTotal(quint64 total)
{
    m_total = total;
}

void CZipActionCallback::callbackEnd()
{
}

void CZipActionCallback::multiActionsInit(quint32, quint64)
{
}

bool CZipActionCallback::multiActionsNext()
{
    return true;
}

void CZipActionCallback::multiActionsEnd()
{
}

bool CZipActionCallback::requestCallback(quint64 progress)
{
    m_pending += progress;
    ++m_steps;
    if (m_stepsBetweenCalls > 1 && m_steps < m_stepsBetweenCalls)
        return true;
    m_steps = 0;
    const quint64 amount = m_pending;
    m_pending = 0;
    m_processed += amount;
    return callback(amount);
}

bool CZipActionCallback::requestLastCallback(quint64 progress)
{
    m_pending += progress;
    m_steps = 0;
    if (m_pending == 0)
        return true;
    const quint64 amount = m_pending;
    m_pending = 0;
    m_processed += amount;
    return callback(amount);
}

CZipSegmCallback::~CZipSegmCallback() = default;
