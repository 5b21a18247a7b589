#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Certificates and keys for TLS tests, made at test time with the openssl command-line tool in a
// temporary folder that lives as long as this object.
//
// The set: a test CA and an unrelated CA; server certificates signed by the test CA for
// localhost and 127.0.0.1, for wrong.example only, and for localhost but expired since
// 2020-01-02; two different self-signed server certificates for localhost and 127.0.0.1; a client
// certificate signed by the test CA, whose key also comes encrypted with clientKeyPassphrase.
//
// Keys are EC P-256 and every file is PEM. Files are world-readable in a world-readable folder,
// keys included, because mosquitto started as root reads them as the user "mosquitto". The whole
// set takes about 0.1 s to make. Main thread only.
class TestCertificates
{
public:
    struct Files
    {
        QString certificate;
        QString key;
    };

    static constexpr char clientKeyPassphrase[] = "vindle test passphrase";

    TestCertificates() = default;
    TestCertificates(const TestCertificates &) = delete;
    TestCertificates &operator=(const TestCertificates &) = delete;

    // Makes the set on the first call; later calls answer true at once. On failure errorString()
    // names the openssl command that failed and its output.
    bool create();
    QString errorString() const { return m_error; }

    // Paths of files that exist once create() succeeded.
    Files testCa() const { return files("ca"); }
    Files otherCa() const { return files("other-ca"); }
    Files server() const { return files("server"); }
    Files wrongHostServer() const { return files("wrong-host"); }
    Files expiredServer() const { return files("expired"); }
    Files selfSignedServer() const { return files("self-signed"); }
    Files otherSelfSignedServer() const { return files("other-self-signed"); }
    Files client() const { return files("client"); }
    QString encryptedClientKey() const { return path("client-encrypted.key"); }

private:
    enum class Issuer { Itself, TestCa };

    bool createOnce();
    bool writeConfiguration();
    bool makeCertificate(const QString &name, const QString &commonName, const QString &extensions, Issuer issuer);
    bool makeExpiredServer();
    bool encryptClientKey();
    bool runOpenssl(const QStringList &arguments);
    QStringList newKeyArguments(const QString &name) const;
    Files files(const char *name) const;
    QString path(const QString &fileName) const;

    QTemporaryDir m_folder;
    QString m_error;
    bool m_created = false;
};
