#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>

// JSON in and out of plain values.
//
// JSON values are held as QVariant: QVariantMap (objects), QVariantList (arrays), QString,
// numbers (qlonglong for integers that fit 64 bits, double for reals, VOKJSONNumber for numbers
// neither holds exactly, bool) and QVariant::fromValue(nullptr) for JSON null. "None" is an
// invalid QVariant (or a null QByteArray / QString), so a JSON null and a missing result stay
// distinct.
//
// Text is read strictly (VOKJSONReader). Documents must be an object or an array; fragments
// ("42", "\"x\"") are refused. Failures are logged and answered as none; nothing throws.
// Callable from any thread.

// The dictionary or array as compact JSON, or a null QByteArray (with an ERROR line) when the
// value is neither.
QByteArray vokJSON(const QVariant &value);

// The text (as UTF-8) or the bytes parsed, or none with an ERROR line that quotes at most the
// start of the document. Given `failure`, the reader's complaint and where it lies (line and
// column) go there instead of the log.
QVariant vokJSONValue(const QString &text);
QVariant vokJSONValue(const QByteArray &bytes, QString *failure = nullptr);

// The bytes parsed with fragments allowed (a bare number, string, true, false or null, as a
// user may type them); none, with the parser's complaint in `failure`, otherwise. Logs nothing.
QVariant vokJSONFragmentValue(const QByteArray &bytes, QString *failure = nullptr);

// The bytes decoded as UTF-8 and percent-encoded for a URL host; a null string when the bytes
// are not UTF-8.
QString vokForUrl(const QByteArray &bytes);

// The JSON document in the file (read as UTF-8), or none. Logs a missing path, a missing file
// and parse errors.
QVariant vokLoadPropertyListFromJSONFile(const QString &path);

// The JSON document in the Qt resource ":/<name>.json", or none. A missing resource logs a
// WARNING unless it is optional.
QVariant vokLoadPropertyListFromJSONResourceNamed(const QString &name, bool optional = false);

// As above, then converted into model objects (vokObjectRepresentation). Objects made are
// children of `parent`; with a null parent the caller owns them.
QVariant vokLoadJSONResourceNamed(const QString &name, QObject *parent);
QVariant vokLoadJSONFromFile(const QString &path, QObject *parent);
