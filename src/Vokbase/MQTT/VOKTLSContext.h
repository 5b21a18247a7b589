#pragma once

#include "VOKCertificateInfo.h"
#include "VOKTLSSettings.h"

#include <QString>

typedef struct ssl_ctx_st SSL_CTX;
struct mosquitto;

// The OpenSSL context of one connection: the server's certificate is verified against the
// system's trusted CAs (OpenSSL's default paths, so SSL_CERT_FILE and SSL_CERT_DIR count) and an
// imported CA certificate, and must name the host. A server the user chose to trust anyway is
// accepted while it presents the certificate whose fingerprint was trusted. A client certificate
// and key are presented when set; an encrypted key needs its passphrase.
//
// The context records, for each handshake, the certificate the server presented and OpenSSL's
// reason when verification failed, since the library's own error line says only "certificate
// verify failed".
//
// Ownership: the library handle the context is applied to keeps a reference of its own, so a
// context may go before the handle. Threads: create on any thread; configure() once, on one
// thread, before applyTo(); the handshake runs on the library's threads; the readers are safe
// from any thread.
class VOKTLSContext
{
public:
    enum class Problem {
        None,
        // The client key is encrypted and no passphrase was given, or the given one is wrong.
        KeyPassphraseRequired,
        KeyPassphraseRejected,
        // A file cannot be used; the text says which and why.
        SetupFailed,
    };
    struct Outcome
    {
        Problem problem = Problem::None;
        QString text;
    };

    VOKTLSContext();
    ~VOKTLSContext();
    VOKTLSContext(const VOKTLSContext &) = delete;
    VOKTLSContext &operator=(const VOKTLSContext &) = delete;

    // Reads the files the settings name (which may take a moment: not on the GUI thread). The
    // passphrase is used only to read the key, and not kept.
    Outcome configure(const VOKTLSSettings &settings, const QString &host, const QString &keyPassphrase);
    // Makes the handle connect with TLS through this context. Before the connection is requested.
    bool applyTo(mosquitto *mosq) const;

    // OpenSSL's reason the latest handshake's verification failed ("self-signed certificate",
    // "hostname mismatch", …); empty when it passed or none happened yet.
    QString verificationFailure() const;
    // The certificate the server presented in the latest handshake; null before any.
    VOKCertificateInfo presentedCertificate() const;
    // Whether the server asked for a client certificate in the latest handshake while none was
    // configured.
    bool clientCertificateRequested() const;

    // The protocol and cipher of the handle's connection ("TLSv1.3, TLS_AES_256_GCM_SHA384");
    // empty for a plain one. Network thread, while connected.
    static QString connectionDescription(mosquitto *mosq);

private:
    Outcome useClientCertificate(const QString &certificatePath, const QString &keyPath, const QString &passphrase);

    SSL_CTX *m_context;
};
