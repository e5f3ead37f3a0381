#ifndef VUSKIN_H
#define VUSKIN_H

#include <QMap>
#include <QString>

// A skin: a name and named properties, mostly colour texts such as
// "processBgColor" = "#6699FF". The default skin has no properties, so every
// reader falls back to its own default colour.
class VuSkin {
public:
    VuSkin() = default;
    explicit VuSkin(const QString& name, const QMap<QString, QString>& properties = {});

    QString name() const { return m_name; }

    // The property's text, empty when the skin does not set it.
    QString property(const QString& name) const;
    void setProperty(const QString& name, const QString& value);
    QMap<QString, QString> properties() const { return m_properties; }

private:
    QString m_name;
    QMap<QString, QString> m_properties;
};

#endif
