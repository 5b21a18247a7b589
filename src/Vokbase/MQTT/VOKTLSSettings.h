#pragma once

#include <QString>
#include <QVariantMap>

// How a client connects with TLS, as stored per server in the preferences.
//
// Paths are null when none was chosen and empty when an empty choice was stored: the stored
// dictionary writes null as the empty string, so both read back as empty.
//
// A plain value; any thread. Reading and writing the preferences is VOKServerStore's job.
struct VOKTLSSettings
{
    bool useTLS = false;
    qint64 tlsVerifyMode = 0;
    QString caCertificatePath;
    QString clientCertificatePath;
    QString clientKeyPath;
    // With verify mode 1 ("trust anyway"), the SHA-256 fingerprint of the certificate the user
    // chose to trust: a server that later presents another one is asked about again.
    QString trustedCertificateFingerprint;

    // The five keys "useTLS", "tlsVerifyMode", "caCertificatePath", "clientCertificatePath" and
    // "clientKeyPath", and "trustedCertificateFingerprint" when there is one.
    QVariantMap toDictionary() const;
    // Missing keys read as false, 0 and null.
    static VOKTLSSettings fromDictionary(const QVariantMap &dictionary);

    friend bool operator==(const VOKTLSSettings &, const VOKTLSSettings &) = default;
};
