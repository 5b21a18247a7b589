#pragma once

#include <QMetaType>
#include <QString>

// Publish parameters: where, what, at which QoS and whether retained. A plain value with value
// equality; any thread.
class VDLPM
{
    Q_GADGET
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(QString value MEMBER value)
    Q_PROPERTY(int qos MEMBER qos)
    Q_PROPERTY(bool doRetain MEMBER doRetain)

public:
    QString path;
    // Null for a publication without payload.
    QString value;
    int qos = 0;
    bool doRetain = false;

    friend bool operator==(const VDLPM &, const VDLPM &) = default;
};

Q_DECLARE_METATYPE(VDLPM)
