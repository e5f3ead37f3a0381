#ifndef VUPREF_H
#define VUPREF_H

#include <QString>
#include <QVariant>

// The framework's preference store: plain keys and values in an INI file
// kept through QSettings (no registry). Every call opens the store afresh,
// so the functions may be used from any thread.
//
// Where the file lies: the folder given to setStoreFolder(), else the
// folder named by the environment variable QUIREFLOW_PREF_DIR (set for every
// test program), else the user's configuration folder
// ("~/.config/<company_root_key>"). The file is "<product_key>.ini".
class VuPref {
public:
    // The stored value of key, or defaultValue when the key is absent. INI
    // files keep plain values as text: read them with toBool(), toInt(),
    // toString().
    static QVariant value(const QString& key, const QVariant& defaultValue = QVariant());

    // Stores value under key. With delayed false (the usual call) the value
    // is on disk when the call returns; with delayed true the store may write
    // it later, which here is still before the call returns.
    static void setValue(const QString& key, const QVariant& value, bool delayed = false);

    // A stored folder: the value when it is an absolute path (blanks around
    // it aside), else (absent, empty or relative) fallback. A relative
    // folder would be taken from the current folder, which is the program's
    // own installation folder.
    static QString folderValue(const QString& key, const QString& fallback);

    static bool contains(const QString& key);
    static void remove(const QString& key);

    // The product's name, the title of most message boxes.
    static QString product_name();
    // Folder-name texts: the maker's folder and the product's folder.
    static QString company_root_key();
    static QString product_key();

    // Whether skinned windows are drawn translucent. Kept for the running
    // program only; no window of this platform draws translucent yet.
    static void setTanslucentWhenSkin(bool translucent);
    static bool tanslucentWhenSkin();

    // The folder of the store; an empty text restores the default. Tests
    // point it at a temporary folder.
    static void setStoreFolder(const QString& folder);
    static QString storeFolder();
    // The full path of the INI file.
    static QString storeFile();
};

#endif
