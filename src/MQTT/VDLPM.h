#pragma once

#include "VOKMarkup.h"

#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <variant>

// Publish parameters: topic path, payload value, QoS and retain flag. What the publish window
// edits, what a received message becomes when published again or copied as a URL, and what a
// server's publish history stores. A plain value; copies share the value's text.
//
// Thread: values may be made and read on any thread.
class VDLPM
{
    Q_GADGET
    Q_PROPERTY(bool doRetain MEMBER doRetain)
    Q_PROPERTY(int qos MEMBER qos)
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(QString valueAsString READ valueAsString)
    // The value for key paths and the window presenter: an invalid QVariant for none, else the
    // QString or the VOKMarkup. Writing takes a QString or a VOKMarkup; an invalid QVariant
    // clears it, other values are stored as their text.
    Q_PROPERTY(QVariant value READ variantValue WRITE setVariantValue)

public:
    // No value, plain text, or styled text as markup (only the characters it shows are
    // published). A plain text never equals a styled text.
    using Value = std::variant<std::monostate, QString, VOKMarkup>;

    VDLPM() = default;
    VDLPM(const QString &path, Value value, int qos = 0, bool doRetain = false);

    bool doRetain = false;
    int qos = 0;
    QString path; // null when none
    Value value;

    // The characters of the value; a null string when there is none.
    QString valueAsString() const;

    // The "value" property: see above.
    QVariant variantValue() const;
    void setVariantValue(const QVariant &newValue);

    // A history entry: "path", "qos", "retain", "value" (missing text stored as "").
    QVariantMap asDictionary() const;
    // Missing keys give none, 0 and false.
    static VDLPM fromDictionary(const QVariantMap &dictionary);

    // mqtt://host:port/path?value=…&qos=…&retain=1, each item only when it applies, every part
    // percent-encoded for its position.
    QUrl urlWithHost(const QString &host, int port) const;


    friend bool operator==(const VDLPM &, const VDLPM &) = default;
};

size_t qHash(const VDLPM &pm, size_t seed = 0);

Q_DECLARE_METATYPE(VDLPM)
