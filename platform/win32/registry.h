#ifndef REGISTRY_H
#define REGISTRY_H

// The registry of the other platform, emulated by a settings file: each key
// is a group "<root>/<sub key with / for \>", each value an entry of it, the
// default value under the name "@". Keys and value names are compared
// without regard to case, as there. A key exists while it holds a value or a
// sub-key. The store is read afresh on every call, so any thread may use it.

#include <QString>
#include <QVariant>

namespace win32 {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// The error codes the calls return, with their numbers on that platform.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;

// The file that holds the store; tests point it at a file of their own.
// By default "quireflow/registry.ini" in the user's configuration folder.
void setRegistryStorePath(const QString& path);
QString registryStorePath();

// An open key, read only.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // kErrorSuccess, or kErrorFileNotFound when the key does not exist.
    long open(RegistryRoot root, const QString& subKey);
    bool isOpen() const { return !m_group.isEmpty(); }
    // The value name (empty for the key's default value) into *value;
    // kErrorFileNotFound when the key is not open or has no such value.
    long queryValue(const QString& name, QVariant* value) const;
    void close() { m_group.clear(); }

    // Writes a value, creating the key and its parents as needed;
    // kErrorAccessDenied when the store cannot be written.
    static long setValue(RegistryRoot root, const QString& subKey, const QString& name,
                         const QVariant& value);

private:
    QString m_group;
};

} // namespace win32

#endif
