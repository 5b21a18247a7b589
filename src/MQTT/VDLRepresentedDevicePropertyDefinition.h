#pragma once

#include "VOKPlistObject.h"

#include <QString>
#include <QVariantMap>

#include <optional>

class QObject;

// One value of a device rendering: where its source topic lies below the device node, what to
// read there, and how to translate it. Read from a definition document; immutable afterwards.
class VDLRepresentedDevicePropertyDefinition final : public VOKPlistObject
{
    Q_OBJECT
    Q_PROPERTY(bool optional MEMBER m_optional)
    Q_PROPERTY(QString path MEMBER m_path)
    Q_PROPERTY(QString valueKeyPath MEMBER m_valueKeyPath)
    Q_PROPERTY(QVariantMap map MEMBER m_map)

public:
    using VOKPlistObject::VOKPlistObject;

    bool isOptional() const { return m_optional; }
    QString path() const { return m_path; }
    QString valueKeyPath() const { return m_valueKeyPath; }

    // The markup for the value read on the source node (null when there is none): the map's
    // text for it (or its "default"), else the value as escaped data; none when a required
    // value is missing or empty.
    std::optional<QString> markupForSource(const QObject *source) const;

private:
    bool m_optional = false;
    QString m_path;
    QString m_valueKeyPath;
    QVariantMap m_map;
};
