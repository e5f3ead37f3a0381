#ifndef VUPRODUCT_H
#define VUPRODUCT_H

#include <QString>

// The framework's product object: fixed facts about the program (name,
// version, folder names, single-instance id) looked up by key.
class VuProduct {
public:
    // The text for key, or an empty text for an unknown key. Keys:
    // "PRODUCT_NAME", "PRODUCT_VERSION", "COMPANY_ROOT_KEY", "PRODUCT_KEY",
    // "SINGLETON_APP_ID". The environment variable QUIREFLOW_INSTANCE_ID,
    // when set, replaces "SINGLETON_APP_ID", so that test runs started in
    // parallel do not take each other for a running instance.
    static QString productInfo(const QString& key);
};

// The same lookup as a free function, as the program's start-up calls it.
inline QString productInfo(const QString& key)
{
    return VuProduct::productInfo(key);
}

#endif
