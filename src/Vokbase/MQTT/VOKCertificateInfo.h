#pragma once

#include <QDateTime>
#include <QString>

typedef struct x509_st X509;

// What a user needs to decide whether to trust a server's certificate: who it names, who signed
// it, when it is valid and its SHA-256 fingerprint ("AB:CD:…", upper-case hex pairs).
//
// A plain value; any thread.
struct VOKCertificateInfo
{
    QString subject;
    QString issuer;
    QDateTime validFrom;
    QDateTime validUntil;
    QString sha256Fingerprint;

    // Null when the certificate could not be read.
    static VOKCertificateInfo fromCertificate(X509 *certificate);

    bool isNull() const { return sha256Fingerprint.isEmpty(); }
    // One "Name: value" line for each field, for a prompt; the dates in UTC.
    QString description() const;

    friend bool operator==(const VOKCertificateInfo &, const VOKCertificateInfo &) = default;
};
