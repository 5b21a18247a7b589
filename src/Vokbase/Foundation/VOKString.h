#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <utility>

// Value helpers on strings. Pure functions unless stated otherwise; callable from any thread
// except where a function says it needs the GUI thread.

using VOKStringPair = std::pair<QString, QString>;

// The string encoded as UTF-8.
QByteArray vokUTF8Data(const QString &text);

// The string without the suffix (prefix) when it ends (begins) with it, else the string itself.
QString vokStringByRemovingSuffix(const QString &text, const QString &suffix);
QString vokStringByRemovingPrefix(const QString &text, const QString &prefix);

// The text before the first occurrence of the separator and the text after it, or none when
// the separator is empty or absent. The text after starts one character past the start of the
// match, whatever the separator's length ("a/+b" split at "/+" gives "a" and "+b"); callers
// that split at a longer separator use only the text before.
std::optional<VOKStringPair> vokSplitAtFirst(const QString &text, const QString &separator);

// (stem, digits) when the string ends in ASCII digits ("sensor12" gives "sensor" and "12"),
// else none.
std::optional<VOKStringPair> vokSplitTrailingDigits(const QString &text);

// Sort order for topic names: -1, 0 or 1. When both names end in digits after the same
// (case-sensitive) stem, the digit runs are compared as whole numbers of any length; otherwise
// the whole strings are compared case-insensitively. light2 sorts before light10.
int vokCaseInsensitiveCompareWithTrailingNumber(const QString &text, const QString &other);

// True when the string is empty or holds no control character other than tab, line feed and
// carriage return: a payload that passes can be shown as text.
bool vokMayBeString(const QString &text);

// The text read as a boolean: after white space, an optional sign and leading zeros, true when it
// starts with "Y", "y", "T", "t" or a digit 1 to 9. A null text reads as false.
bool vokBoolValue(const QString &text);

// The leading decimal digits after optional white space and sign; 0 without any. Saturates
// instead of overflowing.
qint64 vokIntegerValue(const QString &text);

// The format with its "%@" placeholders replaced by the values in order. Each search starts after
// the value put in before, so a value that itself holds "%@" is never filled in again; extra
// placeholders stay, extra values are dropped.
QString vokStringByFillingPlaceholders(QString format, const QStringList &values);

// The string parsed strictly as a URL, or none when it is not a valid URL.
std::optional<QUrl> vokUrl(const QString &text);
// Every line-break character (LF, CR, VT, FF, NEL, LS, PS) replaced by one space, so the text
// shows on one line.
QString vokStringOnOneLine(QString text);
// Percent-encodes everything but the unreserved characters and those in `keep`, so each part of
// a URL built from it reads back exactly.
QString vokPercentEncoded(const QString &text, const QByteArray &keep = QByteArray());

// A file URL for the local path.
QUrl vokFileUrl(const QString &path);

