#pragma once

#include "VOKPlistObject.h"

#include <QString>
#include <QVariantMap>

#include <optional>

class QObject;

// One value of a device rendering: where its source topic lies below the device node, what to
// read there, and how to translate it. Read from a definition document; immutable afterwards.
//
// Ownership: a child of its device definition. Reading a source topic happens on the GUI thread
// (the tree's); the definition itself may be read from any thread once loaded.
class VDLRepresentedDevicePropertyDefinition final : public VOKPlistObject
{
    Q_OBJECT
    Q_PROPERTY(bool optional MEMBER m_optional)
    Q_PROPERTY(QString path MEMBER m_path)
    Q_PROPERTY(QString valueKeyPath MEMBER m_valueKeyPath)
    Q_PROPERTY(QVariantMap map MEMBER m_map)
    Q_PROPERTY(QString format MEMBER m_format)

public:
    using VOKPlistObject::VOKPlistObject;

    bool isOptional() const { return m_optional; }
    QString path() const { return m_path; }
    QString valueKeyPath() const { return m_valueKeyPath; }

    // The markup for the value read on the source node (null when there is none): the map's
    // text for it (or its "default"), else the value as escaped data; none when a required
    // value is missing or empty. A field with a format puts that text into the format's "%@"
    // and contributes nothing at all when it has no value, so units and symbols show only
    // beside values that are there.
    std::optional<QString> markupForSource(const QObject *source) const;

private:
    // The map's text for a value, or the value as escaped data.
    QString valueMarkup(const QString &text) const;

    bool m_optional = false;
    QString m_path;
    QString m_valueKeyPath;
    QVariantMap m_map;
    QString m_format;
};
