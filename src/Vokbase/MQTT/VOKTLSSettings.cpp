#include "VOKTLSSettings.h"

namespace {

QString storedPath(const QString &path)
{
    return path.isNull() ? QStringLiteral("") : path;
}

QString readPath(const QVariantMap &dictionary, const QString &key)
{
    const QVariant value = dictionary.value(key);
    if (value.typeId() != QMetaType::QString)
        return QString();
    const QString path = value.toString();
    return path.isNull() ? QStringLiteral("") : path;
}

} // namespace

QVariantMap VOKTLSSettings::toDictionary() const
{
    QVariantMap dictionary{
        {QStringLiteral("useTLS"), useTLS},
        {QStringLiteral("tlsVerifyMode"), tlsVerifyMode},
        {QStringLiteral("caCertificatePath"), storedPath(caCertificatePath)},
        {QStringLiteral("clientCertificatePath"), storedPath(clientCertificatePath)},
        {QStringLiteral("clientKeyPath"), storedPath(clientKeyPath)},
    };
    if (!trustedCertificateFingerprint.isEmpty())
        dictionary.insert(QStringLiteral("trustedCertificateFingerprint"), trustedCertificateFingerprint);
    return dictionary;
}

VOKTLSSettings VOKTLSSettings::fromDictionary(const QVariantMap &dictionary)
{
    VOKTLSSettings settings;
    settings.useTLS = dictionary.value(QStringLiteral("useTLS")).toBool();
    settings.tlsVerifyMode = dictionary.value(QStringLiteral("tlsVerifyMode")).toLongLong();
    settings.caCertificatePath = readPath(dictionary, QStringLiteral("caCertificatePath"));
    settings.clientCertificatePath = readPath(dictionary, QStringLiteral("clientCertificatePath"));
    settings.clientKeyPath = readPath(dictionary, QStringLiteral("clientKeyPath"));
    settings.trustedCertificateFingerprint = dictionary.value(QStringLiteral("trustedCertificateFingerprint")).toString();
    return settings;
}
