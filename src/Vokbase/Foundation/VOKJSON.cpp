#include "VOKJSON.h"

#include "VOKData.h"
#include "VOKJSONReader.h"
#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKVariant.h"
#include "VOKPlistRepresentation.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace {

// Parses a document; on failure the description of what went wrong.
QVariant parse(const QByteArray &bytes, bool allowFragments, QString *failure)
{
    VOKJSONReader::Failure complaint;
    const QVariant value = VOKJSONReader::read(bytes, allowFragments, &complaint);
    if (!value.isValid() && failure)
        *failure = complaint.description();
    return value;
}

} // namespace

QByteArray vokJSON(const QVariant &value)
{
    if (vokIsDictionary(value))
        return QJsonDocument(QJsonObject::fromVariantMap(value.toMap())).toJson(QJsonDocument::Compact);
    if (vokIsArray(value))
        return QJsonDocument(QJsonArray::fromVariantList(value.toList())).toJson(QJsonDocument::Compact);
    VOK_ERROR(QStringLiteral("Error creating JSON: %1\nObject: %2")
                  .arg(QStringLiteral("only a dictionary or an array can be written as JSON"),
                       VOKLog::excerpt(VOKKeyPath::describe(value).toUtf8())));
    return QByteArray();
}

QVariant vokJSONFragmentValue(const QByteArray &bytes, QString *failure)
{
    return parse(bytes, true, failure);
}

QVariant vokJSONValue(const QString &text)
{
    return vokJSONValue(text.toUtf8());
}

QVariant vokJSONValue(const QByteArray &bytes, QString *failure)
{
    QString complaint;
    const QVariant value = parse(bytes, false, &complaint);
    if (value.isValid())
        return value;
    if (failure)
        *failure = complaint;
    else
        VOK_ERROR(QStringLiteral("Error creating object from JSON: %1\nJSON String: %2").arg(complaint, VOKLog::excerpt(bytes)));
    return value;
}

QString vokForUrl(const QByteArray &bytes)
{
    const QString text = vokUTF8String(bytes);
    if (text.isNull())
        return QString();
    // The characters a URL host allows besides letters, digits and "-._~".
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArrayLiteral("!$&'()*+,;=:[]")));
}

QVariant vokLoadPropertyListFromJSONFile(const QString &path)
{
    if (path.isEmpty())
        VOK_ASSERTION(QStringLiteral("Can't read JSON without a path!"));
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        VOK_ERROR(QStringLiteral("File not found at '%1'").arg(path));
        return QVariant();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QVariant();
    const QString text = vokUTF8String(file.readAll());
    if (text.isNull())
        return QVariant();
    return vokJSONValue(text);
}

QVariant vokLoadPropertyListFromJSONResourceNamed(const QString &name, bool optional)
{
    const QString path = QStringLiteral(":/%1.json").arg(name);
    if (name.isEmpty() || !QFileInfo::exists(path)) {
        if (!optional)
            VOK_WARNING(QStringLiteral("Can't find JSON resource named '%1'!").arg(name));
        return QVariant();
    }
    return vokLoadPropertyListFromJSONFile(path);
}

QVariant vokLoadJSONResourceNamed(const QString &name, QObject *parent)
{
    return vokObjectRepresentation(vokLoadPropertyListFromJSONResourceNamed(name), parent);
}

QVariant vokLoadJSONFromFile(const QString &path, QObject *parent)
{
    return vokObjectRepresentation(vokLoadPropertyListFromJSONFile(path), parent);
}
