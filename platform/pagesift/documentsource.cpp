#include "documentsource.h"

#include <QFile>

namespace conversion {

documentSource::documentSource(const QString& path)
    : m_native(QFile::encodeName(path))
{
}

fz_document* documentSource::open(fz_context* ctx) const
{
    return fz_open_document(ctx, m_native.constData());
}

} // namespace conversion
