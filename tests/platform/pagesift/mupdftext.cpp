#include "mupdftext.h"

#include <QFile>
#include <QRegularExpression>

extern "C" {
#include <mupdf/fitz.h>
}

namespace testpdf {

QStringList mupdfWords(const QString& path, int page, const QList<QByteArray>& passwords)
{
    const QByteArray native = QFile::encodeName(path);
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx)
        return {};
    fz_set_warning_callback(ctx, [](void*, const char*) {}, nullptr);
    fz_set_error_callback(ctx, [](void*, const char*) {}, nullptr);
    QList<QByteArray> tries = passwords;
    tries.removeAll(QByteArray());
    tries << QByteArray();   // ends the list; MuPDF refuses an empty password here
    fz_document* doc = nullptr;
    fz_stext_page* text = nullptr;
    fz_buffer* buffer = nullptr;
    fz_var(doc);
    fz_var(text);
    fz_var(buffer);
    fz_try(ctx)
    {
        fz_register_document_handlers(ctx);
        doc = fz_open_document(ctx, native.constData());
        if (fz_needs_password(ctx, doc)) {
            int accepted = 0;
            for (qsizetype i = 0; !accepted && !tries[i].isEmpty(); ++i)
                accepted = fz_authenticate_password(ctx, doc, tries[i].constData());
            if (!accepted)
                fz_throw(ctx, FZ_ERROR_GENERIC, "no password opens the document");
        }
        text = fz_new_stext_page_from_page_number(ctx, doc, page - 1, nullptr);
        buffer = fz_new_buffer_from_stext_page(ctx, text);
    }
    fz_always(ctx)
    {
        fz_drop_stext_page(ctx, text);
        fz_drop_document(ctx, doc);
    }
    fz_catch(ctx)
    {
        buffer = nullptr;
    }
    QString plain;
    if (buffer) {
        unsigned char* data = nullptr;
        const size_t length = fz_buffer_storage(ctx, buffer, &data);
        plain = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
        fz_drop_buffer(ctx, buffer);
    }
    fz_drop_context(ctx);
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return plain.split(space, Qt::SkipEmptyParts);
}

} // namespace testpdf
