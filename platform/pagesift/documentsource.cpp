#include "documentsource.h"

#include "regularfilestream.h"

#include "platform/os/regularfile.h"

namespace conversion {

documentSource::documentSource(const QString& path) : m_file(RegularFile::open(path, &m_refusal))
{
}

documentSource::documentSource(std::shared_ptr<const RegularFile> file) : m_file(std::move(file))
{
}

fz_document* documentSource::open(fz_context* ctx) const
{
    if (!m_file)
        fz_throw(ctx, FZ_ERROR_GENERIC, "%s", m_refusal.toUtf8().constData());
    fz_stream* stream = openRegularFileStream(ctx, m_file);
    fz_document* doc = nullptr;
    fz_try(ctx)
    {
        doc = fz_open_document_with_stream(ctx, "application/pdf", stream);
    }
    fz_always(ctx)
    {
        // The document holds the stream itself.
        fz_drop_stream(ctx, stream);
    }
    fz_catch(ctx)
    {
        fz_rethrow(ctx);
    }
    return doc;
}

} // namespace conversion
