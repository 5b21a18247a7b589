#include "VOKPlistObject.h"

#include "VOKLog.h"

VOKPlistObject::VOKPlistObject(QObject *parent) : QObject(parent) {}

QString VOKPlistObject::defaultClassNameForArrayPropertyNamed(const QString &) const
{
    return QString();
}

QString VOKPlistObject::defaultClassNameForDictionaryPropertyNamed(const QString &) const
{
    return QString();
}

std::optional<QStringList> VOKPlistObject::plistRepresentationKeys() const
{
    VOK_ASSERTION(QStringLiteral("%1 failed to implement %2!")
                      .arg(QString::fromLatin1(metaObject()->className()),
                           QStringLiteral("plistRepresentationKeys")));
    return std::nullopt;
}
