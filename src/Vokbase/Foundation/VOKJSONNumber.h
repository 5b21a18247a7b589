#pragma once

#include <QByteArrayView>
#include <QMetaType>
#include <QString>
#include <QVariant>

// A JSON number that no platform number holds exactly: an integer beyond 64 bits, or a real
// whose written digits a double would change (more digits than a double keeps, or beyond its
// range). It keeps the digits as written, so printing shows what the payload carried.
//
// Also the one place that decides how any JSON number is held and shown. A value type; any
// thread.
struct VOKJSONNumber
{
    QString text;

    bool operator==(const VOKJSONNumber &other) const { return text == other.text; }

    // Whether the text is one number of the JSON grammar, and nothing else:
    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    static bool isValid(QByteArrayView text);
    // The number as a value: qlonglong for integers that fit 64 bits, double where the double's
    // shortest text has the written value, VOKJSONNumber otherwise. `text` must be valid.
    static QVariant value(QByteArrayView text);
    // The number's text as it prints: integers exactly, reals in their shortest form unless
    // that changes their value, then as written. `text` must be valid.
    static QString shortestText(QByteArrayView text);
};

Q_DECLARE_METATYPE(VOKJSONNumber)
