#include "VOKTLSContext.h"

#include <QFile>

#include <mosquitto.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstring>
#include <mutex>

namespace {

// What the handshakes through one context found, and what verification accepts besides a valid
// chain. Owned by the OpenSSL context (freed with its last reference), because the library may
// still hold the context when the VOKTLSContext that made it is gone.
struct Verification
{
    // Settings: written by configure() before any handshake.
    bool trustAnyway = false;
    QString trustedFingerprint;

    std::mutex mutex;
    QString failure;
    VOKCertificateInfo presented;
    bool clientCertificateRequested = false;

    // Whether the handshake goes on, for one step of the chain's verification.
    bool decide(bool passed, const VOKCertificateInfo &certificate, int error)
    {
        const std::lock_guard<std::mutex> locker(mutex);
        presented = certificate;
        if (passed || (trustAnyway && trustedFingerprint == certificate.sha256Fingerprint))
            return true;
        // The first error is the cause; later ones follow from it.
        if (failure.isEmpty()) {
            failure = trustAnyway && !trustedFingerprint.isEmpty()
                ? QStringLiteral("the server's certificate is not the one trusted before")
                : QString::fromUtf8(X509_verify_cert_error_string(error));
        }
        return false;
    }
};

void freeVerification(void *, void *verification, CRYPTO_EX_DATA *, int, long, void *)
{
    delete static_cast<Verification *>(verification);
}

int verificationIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, freeVerification);
    return index;
}

Verification *verificationOf(const SSL_CTX *context)
{
    return context ? static_cast<Verification *>(SSL_CTX_get_ex_data(context, verificationIndex())) : nullptr;
}

int verifyServer(int passed, X509_STORE_CTX *store)
{
    const auto *ssl = static_cast<const SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    Verification *const verification = ssl ? verificationOf(SSL_get_SSL_CTX(ssl)) : nullptr;
    if (!verification)
        return passed;
    const VOKCertificateInfo certificate = VOKCertificateInfo::fromCertificate(X509_STORE_CTX_get0_cert(store));
    return verification->decide(passed == 1, certificate, X509_STORE_CTX_get_error(store)) ? 1 : 0;
}

void noteHandshake(const SSL *ssl, int where, int)
{
    if (!(where & SSL_CB_HANDSHAKE_START))
        return;
    if (Verification *const verification = verificationOf(SSL_get_SSL_CTX(ssl))) {
        const std::lock_guard<std::mutex> locker(verification->mutex);
        verification->failure.clear();
        verification->clientCertificateRequested = false;
    }
}

// Asked only when the server wants a client certificate and none is configured. Answering none
// lets the handshake go on; the server then decides, and with TLS 1.3 says so only after the
// handshake, in an alert that a closed connection may swallow: this is the sure sign.
int noteClientCertificateRequest(SSL *ssl, X509 **, EVP_PKEY **)
{
    if (Verification *const verification = verificationOf(SSL_get_SSL_CTX(ssl))) {
        const std::lock_guard<std::mutex> locker(verification->mutex);
        verification->clientCertificateRequested = true;
    }
    return 0;
}

struct PassphraseSource
{
    QByteArray passphrase;
    bool asked = false;
};

// Never falls back to asking on a terminal: without a source an encrypted key is not read.
int providePassphrase(char *buffer, int size, int, void *userData)
{
    auto *const source = static_cast<PassphraseSource *>(userData);
    if (!source)
        return -1;
    source->asked = true;
    if (source->passphrase.isEmpty() || source->passphrase.size() > size)
        return -1;
    std::memcpy(buffer, source->passphrase.constData(), size_t(source->passphrase.size()));
    return int(source->passphrase.size());
}

VOKTLSContext::Outcome setupFailed(const QString &what, const QString &path)
{
    const unsigned long error = ERR_peek_last_error();
    const char *const reason = error ? ERR_reason_error_string(error) : nullptr;
    ERR_clear_error();
    return {VOKTLSContext::Problem::SetupFailed,
            QStringLiteral("%1 %2 cannot be used: %3")
                .arg(what, path, reason ? QString::fromUtf8(reason) : QStringLiteral("unknown error"))};
}

bool expectHost(SSL_CTX *context, const QByteArray &host)
{
    X509_VERIFY_PARAM *const parameters = SSL_CTX_get0_param(context);
    // An address is matched against the certificate's IP entries, a name against its DNS ones.
    if (ASN1_OCTET_STRING *const address = a2i_IPADDRESS(host.constData())) {
        ASN1_OCTET_STRING_free(address);
        return X509_VERIFY_PARAM_set1_ip_asc(parameters, host.constData()) == 1;
    }
    X509_VERIFY_PARAM_set_hostflags(parameters, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return X509_VERIFY_PARAM_set1_host(parameters, host.constData(), size_t(host.size())) == 1;
}

} // namespace

VOKTLSContext::VOKTLSContext()
    : m_context(SSL_CTX_new(TLS_client_method()))
{
    if (!m_context)
        return;
    SSL_CTX_set_ex_data(m_context, verificationIndex(), new Verification);
    SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, verifyServer);
    SSL_CTX_set_info_callback(m_context, noteHandshake);
    SSL_CTX_set_client_cert_cb(m_context, noteClientCertificateRequest);
    SSL_CTX_set_default_passwd_cb(m_context, providePassphrase);
}

VOKTLSContext::~VOKTLSContext()
{
    SSL_CTX_free(m_context);
}

VOKTLSContext::Outcome VOKTLSContext::configure(const VOKTLSSettings &settings, const QString &host,
                                                const QString &keyPassphrase)
{
    Verification *const verification = verificationOf(m_context);
    if (!verification)
        return {Problem::SetupFailed, QStringLiteral("OpenSSL cannot make a context")};
    ERR_clear_error();
    verification->trustAnyway = settings.tlsVerifyMode == 1;
    verification->trustedFingerprint = settings.trustedCertificateFingerprint;
    // Without them only an imported CA would count; a missing system store is no error.
    SSL_CTX_set_default_verify_paths(m_context);
    ERR_clear_error();
    if (!settings.caCertificatePath.isEmpty()
        && SSL_CTX_load_verify_locations(m_context, QFile::encodeName(settings.caCertificatePath).constData(), nullptr) != 1)
        return setupFailed(QStringLiteral("The CA certificate"), settings.caCertificatePath);
    if (!expectHost(m_context, host.toUtf8()))
        return {Problem::SetupFailed, QStringLiteral("The host name %1 cannot be checked").arg(host)};
    if (settings.clientCertificatePath.isEmpty())
        return {};
    return useClientCertificate(settings.clientCertificatePath, settings.clientKeyPath, keyPassphrase);
}

VOKTLSContext::Outcome VOKTLSContext::useClientCertificate(const QString &certificatePath, const QString &keyPath,
                                                           const QString &passphrase)
{
    if (SSL_CTX_use_certificate_chain_file(m_context, QFile::encodeName(certificatePath).constData()) != 1)
        return setupFailed(QStringLiteral("The client certificate"), certificatePath);
    // A key kept in the certificate's file needs no file of its own.
    const QString keyFile = keyPath.isEmpty() ? certificatePath : keyPath;
    PassphraseSource source{passphrase.toUtf8()};
    const bool passphraseGiven = !source.passphrase.isEmpty();
    SSL_CTX_set_default_passwd_cb_userdata(m_context, &source);
    const int loaded = SSL_CTX_use_PrivateKey_file(m_context, QFile::encodeName(keyFile).constData(), SSL_FILETYPE_PEM);
    SSL_CTX_set_default_passwd_cb_userdata(m_context, nullptr);
    OPENSSL_cleanse(source.passphrase.data(), size_t(source.passphrase.size()));
    if (loaded != 1 && source.asked) {
        ERR_clear_error();
        return {passphraseGiven ? Problem::KeyPassphraseRejected : Problem::KeyPassphraseRequired, keyFile};
    }
    if (loaded != 1)
        return setupFailed(QStringLiteral("The client key"), keyFile);
    if (SSL_CTX_check_private_key(m_context) != 1)
        return setupFailed(QStringLiteral("The client key that belongs to the certificate"), keyFile);
    return {};
}

bool VOKTLSContext::applyTo(mosquitto *mosq) const
{
    // The library then leaves verification to this context instead of configuring its own.
    return m_context && mosquitto_void_option(mosq, MOSQ_OPT_SSL_CTX, m_context) == MOSQ_ERR_SUCCESS
        && mosquitto_int_option(mosq, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0) == MOSQ_ERR_SUCCESS;
}

QString VOKTLSContext::verificationFailure() const
{
    Verification *const verification = verificationOf(m_context);
    if (!verification)
        return QString();
    const std::lock_guard<std::mutex> locker(verification->mutex);
    return verification->failure;
}

VOKCertificateInfo VOKTLSContext::presentedCertificate() const
{
    Verification *const verification = verificationOf(m_context);
    if (!verification)
        return {};
    const std::lock_guard<std::mutex> locker(verification->mutex);
    return verification->presented;
}

bool VOKTLSContext::clientCertificateRequested() const
{
    Verification *const verification = verificationOf(m_context);
    if (!verification)
        return false;
    const std::lock_guard<std::mutex> locker(verification->mutex);
    return verification->clientCertificateRequested;
}

QString VOKTLSContext::connectionDescription(mosquitto *mosq)
{
    const auto *const ssl = static_cast<const SSL *>(mosq ? mosquitto_ssl_get(mosq) : nullptr);
    if (!ssl)
        return QString();
    return QStringLiteral("%1, %2").arg(QString::fromLatin1(SSL_get_version(ssl)),
                                        QString::fromLatin1(SSL_get_cipher_name(ssl)));
}
