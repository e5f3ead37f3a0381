#ifndef DIALOGPREFS_H
#define DIALOGPREFS_H

// The preference keys of the dialogs, each named here once with its type
// and default, so every reader and writer agrees on both.

#include "platform/vuframe0/vupref.h"

#include <QString>
#include <QVariant>

// One key of the preference store with its value type. The store keeps plain
// values as text, so reads convert the stored text back to T.
template <typename T>
class PrefKey {
public:
    constexpr PrefKey(const char* name, T fallback) : m_name(name), m_fallback(fallback) {}

    QString name() const { return QString::fromLatin1(m_name); }
    T value() const { return VuPref::value(name(), QVariant::fromValue(m_fallback)).template value<T>(); }
    void setValue(const T& value) const { VuPref::setValue(name(), QVariant::fromValue(value), false); }
    bool isStored() const { return VuPref::contains(name()); }

private:
    const char* m_name;
    T m_fallback;
};

namespace dialogprefs {

// Text: the folder the cover picture dialog of the ePub information dialog
// opened last; the user's pictures folder when none is stored or the
// stored one is no absolute path.
QString lastCoverFolder();
void setLastCoverFolder(const QString& folder);

// Text: the temporary folder chosen in the settings dialog;
// Settings::defaultTemporaryDir() when none is stored or the stored one is no
// absolute path.
QString temporaryDir();
void setTemporaryDir(const QString& folder);

// The settings of the converters this program does not offer. The settings
// dialog loads and stores them although it never shows them.
inline const PrefKey<int> excelConvertSetting{"excelconvertsetting", 0};
inline const PrefKey<bool> openSettingBeforeConvert{"opensettingbeforeconvert", true};
inline const PrefKey<int> htmlConvertSetting{"htmlconvertsetting", 0};
inline const PrefKey<bool> autoRotate{"autorotate", true};
inline const PrefKey<int> backgroundColor{"backgroundcolor", 0};
inline const PrefKey<bool> keepLink{"keeplink", true};
inline const PrefKey<bool> ignorePicture{"ignorepicture", true};
inline const PrefKey<int> pictureCompressRate{"picturecompressrate", 100};

} // namespace dialogprefs

#endif
