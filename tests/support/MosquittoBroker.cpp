#include "MosquittoBroker.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <csignal>

namespace {

constexpr int startAttempts = 5;
constexpr int listenTimeoutMsecs = 10000;

QHostAddress loopbackAddress(MosquittoBroker::Loopback loopback)
{
    return loopback == MosquittoBroker::Loopback::IPv6 ? QHostAddress(QHostAddress::LocalHostIPv6)
                                                      : QHostAddress(QHostAddress::LocalHost);
}

int freeLoopbackPort(MosquittoBroker::Loopback loopback)
{
    QTcpServer server;
    if (!server.listen(loopbackAddress(loopback), 0))
        return 0;
    return server.serverPort();
}

QString listenerLine(int port, MosquittoBroker::Loopback loopback)
{
    return QStringLiteral("listener %1 %2\n").arg(port).arg(loopbackAddress(loopback).toString());
}

QString filePath(const QTemporaryDir &folder, const char *name)
{
    return folder.filePath(QString::fromLatin1(name));
}

} // namespace

MosquittoBroker::MosquittoBroker(Loopback loopback)
    : m_loopback(loopback)
{
}

MosquittoBroker::MosquittoBroker(const QString &username, const QString &password)
    : m_username(username)
    , m_password(password)
{
}

MosquittoBroker::~MosquittoBroker()
{
    thaw();
    stop();
}

bool MosquittoBroker::start()
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    const bool portChosen = m_port != 0;
    // Another test may take a free port before the broker binds it: then try another one.
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        if (!portChosen)
            m_port = freeLoopbackPort(m_loopback);
        if (startOnce())
            return true;
    }
    return false;
}

int MosquittoBroker::choosePort()
{
    if (m_port == 0)
        m_port = freeLoopbackPort(m_loopback);
    return m_port;
}

bool MosquittoBroker::startOnce()
{
    if (!writeConfiguration())
        return false;
    m_process.setStandardOutputFile(filePath(m_folder, "broker.log"), QIODevice::Append);
    m_process.setStandardErrorFile(filePath(m_folder, "broker.log"), QIODevice::Append);
    m_process.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), filePath(m_folder, "broker.conf")});
    if (!m_process.waitForStarted()) {
        m_error = QStringLiteral("mosquitto did not start: %1").arg(m_process.errorString());
        return false;
    }
    return waitUntilListening();
}

bool MosquittoBroker::writeConfiguration()
{
    const bool anonymous = m_username.isEmpty();
    QString configuration = listenerConfiguration()
                            + QStringLiteral("persistence false\nallow_anonymous %1\n")
                                  .arg(anonymous ? QStringLiteral("true") : QStringLiteral("false"));
    if (!anonymous) {
        const QString passwords = filePath(m_folder, "passwords");
        QFile::remove(passwords);
        if (QProcess::execute(QStringLiteral("mosquitto_passwd"),
                              {QStringLiteral("-b"), QStringLiteral("-c"), passwords, m_username, m_password})
            != 0) {
            m_error = QStringLiteral("mosquitto_passwd failed");
            return false;
        }
        configuration += QStringLiteral("password_file %1\n").arg(passwords);
    }
    QFile file(filePath(m_folder, "broker.conf"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(configuration.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the broker configuration");
        return false;
    }
    file.close();
    shareFolder(m_folder.path());
    return true;
}

// Options after a listener line belong to that listener. A TLS broker gets a second, plain
// listener for firstMessage()'s subscriber, so that it needs no certificates.
QString MosquittoBroker::listenerConfiguration()
{
    m_subscriberPort = m_port;
    QString configuration = listenerLine(m_port, m_loopback);
    if (m_tls.certFile.isEmpty())
        return configuration;
    configuration += QStringLiteral("certfile %1\nkeyfile %2\nrequire_certificate %3\nuse_identity_as_username false\n")
                         .arg(m_tls.certFile, m_tls.keyFile,
                              m_tls.requireCertificate ? QStringLiteral("true") : QStringLiteral("false"));
    if (!m_tls.caFile.isEmpty())
        configuration += QStringLiteral("cafile %1\n").arg(m_tls.caFile);
    m_subscriberPort = freeLoopbackPort(m_loopback);
    return configuration + listenerLine(m_subscriberPort, m_loopback);
}

bool MosquittoBroker::waitUntilListening()
{
    const QDeadlineTimer deadline(listenTimeoutMsecs);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running) {
            QFile log(filePath(m_folder, "broker.log"));
            log.open(QIODevice::ReadOnly);
            m_error = QStringLiteral("mosquitto ended: %1").arg(QString::fromUtf8(log.readAll()));
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(loopbackAddress(m_loopback), quint16(m_port));
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(50);
    }
    m_error = QStringLiteral("mosquitto does not listen on port %1").arg(m_port);
    stop();
    return false;
}

QByteArray MosquittoBroker::firstMessage(const QString &topic, const QString &format) const
{
    QProcess subscriber;
    subscriber.start(QStringLiteral("mosquitto_sub"),
                     {QStringLiteral("-h"), loopbackAddress(m_loopback).toString(), QStringLiteral("-p"),
                      QString::number(m_subscriberPort), QStringLiteral("-q"), QStringLiteral("2"), QStringLiteral("-t"), topic,
                      QStringLiteral("-C"), QStringLiteral("1"), QStringLiteral("-W"), QStringLiteral("10"),
                      QStringLiteral("-N"), QStringLiteral("-F"), format});
    if (!subscriber.waitForFinished(15000))
        return "(no answer)";
    return subscriber.readAllStandardOutput();
}

void MosquittoBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    signalBroker(SIGTERM);
    if (!m_process.waitForFinished(listenTimeoutMsecs)) {
        signalBroker(SIGKILL);
        m_process.waitForFinished();
    }
}

void MosquittoBroker::freeze()
{
    signalBroker(SIGSTOP);
}

void MosquittoBroker::thaw()
{
    signalBroker(SIGCONT);
}

void MosquittoBroker::shareFolder(const QString &folder)
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                      | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    const QDir files(folder);
    for (const QString &name : files.entryList(QDir::Files))
        QFile::setPermissions(files.filePath(name),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

void MosquittoBroker::signalBroker(int signal)
{
    const qint64 pid = m_process.processId();
    if (pid > 0)
        ::kill(pid_t(pid), signal);
}
