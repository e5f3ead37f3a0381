#include "platform/vuframe0/vuproduct.h"

#include "platform/os/privatefolder.h"

#ifndef QUIREFLOW_VERSION
#define QUIREFLOW_VERSION "0.0.0"
#endif

namespace {

struct ProductEntry {
    const char* key;
    const char* value;
};

// One table, so every part of the framework names the product the same way.
const ProductEntry kProduct[] = {
    { "PRODUCT_NAME", "quireflow" },
    { "PRODUCT_VERSION", QUIREFLOW_VERSION },
    { "COMPANY_ROOT_KEY", "quireflow" },
    { "PRODUCT_KEY", kProductKey },
    { "SINGLETON_APP_ID", "quireflow-pdf-to-epub" },
};

} // namespace

QString VuProduct::productInfo(const QString& key)
{
    if (key == QLatin1String("SINGLETON_APP_ID")) {
        const QString override = qEnvironmentVariable("QUIREFLOW_INSTANCE_ID");
        if (!override.isEmpty())
            return override;
    }
    for (const ProductEntry& entry : kProduct) {
        if (key == QLatin1String(entry.key))
            return QString::fromUtf8(entry.value);
    }
    return QString();
}
