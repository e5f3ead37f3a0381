#include "platform/vuframe0/vuskinmanager.h"

VuSkinManager::VuSkinManager(QObject* parent)
    : QObject(parent)
    , m_current(std::make_unique<VuSkin>())
{
}

VuSkinManager::~VuSkinManager() = default;

void VuSkinManager::changeSkin(const VuSkin& skin)
{
    auto coming = std::make_unique<VuSkin>(skin);
    emit skinChangeBefore(coming.get());
    std::unique_ptr<VuSkin> previous = std::move(m_current);
    m_current = std::move(coming);
    emit skinChangeAfter(m_current.get(), previous.get());
}
