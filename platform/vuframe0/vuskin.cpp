#include "platform/vuframe0/vuskin.h"

VuSkin::VuSkin(const QString& name, const QMap<QString, QString>& properties)
    : m_name(name)
    , m_properties(properties)
{
}

QString VuSkin::property(const QString& name) const
{
    return m_properties.value(name);
}

void VuSkin::setProperty(const QString& name, const QString& value)
{
    m_properties.insert(name, value);
}
