#ifndef VUSKINMANAGER_H
#define VUSKINMANAGER_H

#include "platform/vuframe0/vuskin.h"

#include <QObject>

#include <memory>

// The application's skin manager: owns the current skin and tells windows
// before and after it changes. One per application (VuApplication::
// skinManager()); GUI thread only.
class VuSkinManager : public QObject {
    Q_OBJECT
public:
    explicit VuSkinManager(QObject* parent = nullptr);
    ~VuSkinManager() override;

    // Never null: the default skin is empty.
    VuSkin* currentSkin() const { return m_current.get(); }

    // Makes a copy of skin the current skin. Emits skinChangeBefore with the
    // coming skin, then skinChangeAfter with the new and the previous skin;
    // the previous skin is destroyed after that signal.
    void changeSkin(const VuSkin& skin);

signals:
    void skinChangeBefore(VuSkin* coming);
    void skinChangeAfter(VuSkin* current, VuSkin* previous);

private:
    std::unique_ptr<VuSkin> m_current;
};

#endif
