#include "VOKCertificateInfo.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace {

// RFC 2253 order, the most specific name first, with UTF-8 left as it is.
QString nameText(const X509_NAME *name)
{
    const std::unique_ptr<BIO, decltype(&BIO_free)> out(BIO_new(BIO_s_mem()), BIO_free);
    if (!out || X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) < 0)
        return QString();
    char *data = nullptr;
    const long length = BIO_get_mem_data(out.get(), &data);
    return QString::fromUtf8(data, qsizetype(length));
}

QDateTime timeOf(const ASN1_TIME *time)
{
    struct tm parts = {};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return QDateTime();
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                     QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

QString fingerprintOf(const X509 *certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex(':').toUpper());
}

QString dateText(const QDateTime &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'")) : QStringLiteral("unknown");
}

} // namespace

VOKCertificateInfo VOKCertificateInfo::fromCertificate(X509 *certificate)
{
    if (!certificate)
        return {};
    return {nameText(X509_get_subject_name(certificate)), nameText(X509_get_issuer_name(certificate)),
            timeOf(X509_get0_notBefore(certificate)), timeOf(X509_get0_notAfter(certificate)),
            fingerprintOf(certificate)};
}

QString VOKCertificateInfo::description() const
{
    return QStringLiteral("Subject: %1\nIssuer: %2\nValid from: %3\nValid until: %4\nSHA-256: %5")
        .arg(subject, issuer, dateText(validFrom), dateText(validUntil), sha256Fingerprint);
}
