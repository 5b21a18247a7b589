#include "TestCertificates.h"

#include "MosquittoBroker.h"

#include <QFile>
#include <QProcess>

namespace {

constexpr int opensslTimeoutMsecs = 30000;

// Sections for `openssl req` and a minimal `openssl ca`, which alone can give a certificate a
// validity period in the past on OpenSSL 3.0. %1 is the folder.
constexpr char opensslConfiguration[] = R"([req]
distinguished_name = subject
[subject]
[ca]
default_ca = test_ca
[test_ca]
database = %1/index.txt
new_certs_dir = %1
rand_serial = yes
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
[ca_extensions]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[localhost_extensions]
subjectAltName = DNS:localhost,IP:127.0.0.1
extendedKeyUsage = serverAuth
[wrong_host_extensions]
subjectAltName = DNS:wrong.example
extendedKeyUsage = serverAuth
[client_extensions]
extendedKeyUsage = clientAuth
)";

} // namespace

bool TestCertificates::create()
{
    if (!m_created && createOnce()) {
        MosquittoBroker::shareFolder(m_folder.path());
        m_created = true;
    }
    return m_created;
}

bool TestCertificates::createOnce()
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString localhost = QStringLiteral("localhost");
    const QString localhostExtensions = QStringLiteral("localhost_extensions");
    const QString caExtensions = QStringLiteral("ca_extensions");
    return writeConfiguration()
           && makeCertificate(QStringLiteral("ca"), QStringLiteral("Vindle Test CA"), caExtensions, Issuer::Itself)
           && makeCertificate(QStringLiteral("other-ca"), QStringLiteral("Vindle Other CA"), caExtensions, Issuer::Itself)
           && makeCertificate(QStringLiteral("server"), localhost, localhostExtensions, Issuer::TestCa)
           && makeCertificate(QStringLiteral("wrong-host"), QStringLiteral("wrong.example"),
                              QStringLiteral("wrong_host_extensions"), Issuer::TestCa)
           && makeCertificate(QStringLiteral("self-signed"), localhost, localhostExtensions, Issuer::Itself)
           && makeCertificate(QStringLiteral("other-self-signed"), localhost, localhostExtensions, Issuer::Itself)
           && makeCertificate(QStringLiteral("client"), QStringLiteral("Vindle Test Client"),
                              QStringLiteral("client_extensions"), Issuer::TestCa)
           && makeExpiredServer() && encryptClientKey();
}

bool TestCertificates::writeConfiguration()
{
    QFile index(path(QStringLiteral("index.txt")));
    QFile configuration(path(QStringLiteral("openssl.cnf")));
    if (!index.open(QIODevice::WriteOnly) || !configuration.open(QIODevice::WriteOnly)
        || configuration.write(QString::fromLatin1(opensslConfiguration).arg(m_folder.path()).toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the openssl configuration");
        return false;
    }
    return true;
}

bool TestCertificates::makeCertificate(const QString &name, const QString &commonName, const QString &extensions,
                                       Issuer issuer)
{
    QStringList arguments{QStringLiteral("req"),    QStringLiteral("-x509"),
                          QStringLiteral("-config"), path(QStringLiteral("openssl.cnf")),
                          QStringLiteral("-subj"),   QStringLiteral("/CN=") + commonName,
                          QStringLiteral("-days"),   QStringLiteral("3650"),
                          QStringLiteral("-extensions"), extensions,
                          QStringLiteral("-out"),    path(name + QStringLiteral(".pem"))};
    if (issuer == Issuer::TestCa) {
        const Files ca = testCa();
        arguments << QStringLiteral("-CA") << ca.certificate << QStringLiteral("-CAkey") << ca.key;
    }
    return runOpenssl(arguments + newKeyArguments(name));
}

bool TestCertificates::makeExpiredServer()
{
    const Files ca = testCa();
    const QString request = path(QStringLiteral("expired.csr"));
    const QString configuration = path(QStringLiteral("openssl.cnf"));
    return runOpenssl(QStringList{QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-config"), configuration,
                                  QStringLiteral("-subj"), QStringLiteral("/CN=localhost"), QStringLiteral("-out"), request}
                      + newKeyArguments(QStringLiteral("expired")))
           && runOpenssl({QStringLiteral("ca"), QStringLiteral("-batch"), QStringLiteral("-notext"),
                          QStringLiteral("-config"), configuration, QStringLiteral("-cert"), ca.certificate,
                          QStringLiteral("-keyfile"), ca.key, QStringLiteral("-in"), request,
                          QStringLiteral("-out"), expiredServer().certificate,
                          QStringLiteral("-extensions"), QStringLiteral("localhost_extensions"),
                          QStringLiteral("-startdate"), QStringLiteral("20200101000000Z"),
                          QStringLiteral("-enddate"), QStringLiteral("20200102000000Z")});
}

bool TestCertificates::encryptClientKey()
{
    return runOpenssl({QStringLiteral("pkey"), QStringLiteral("-aes256"), QStringLiteral("-in"), client().key,
                       QStringLiteral("-out"), encryptedClientKey(), QStringLiteral("-passout"),
                       QStringLiteral("pass:") + QString::fromLatin1(clientKeyPassphrase)});
}

bool TestCertificates::runOpenssl(const QStringList &arguments)
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (openssl.waitForFinished(opensslTimeoutMsecs) && openssl.exitStatus() == QProcess::NormalExit
        && openssl.exitCode() == 0)
        return true;
    m_error = QStringLiteral("openssl %1 failed (%2): %3")
                  .arg(arguments.join(QLatin1Char(' ')), openssl.errorString(),
                       QString::fromLocal8Bit(openssl.readAll()));
    return false;
}

QStringList TestCertificates::newKeyArguments(const QString &name) const
{
    return {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
            QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-noenc"), QStringLiteral("-keyout"),
            path(name + QStringLiteral(".key"))};
}

TestCertificates::Files TestCertificates::files(const char *name) const
{
    const QString base = QString::fromLatin1(name);
    return {path(base + QStringLiteral(".pem")), path(base + QStringLiteral(".key"))};
}

QString TestCertificates::path(const QString &fileName) const
{
    return m_folder.filePath(fileName);
}
