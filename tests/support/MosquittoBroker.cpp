#include "MosquittoBroker.h"

#include <QDeadlineTimer>
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
    // mosquitto started as root reads its files as the user "mosquitto".
    QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                               | QFile::ReadOther | QFile::ExeOther
                                               | QFile::ReadGroup | QFile::ExeGroup);
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
    QString configuration = QStringLiteral("listener %1 %2\npersistence false\nallow_anonymous %3\n")
                                .arg(m_port)
                                .arg(loopbackAddress(m_loopback).toString(),
                                     anonymous ? QStringLiteral("true") : QStringLiteral("false"));
    if (!anonymous) {
        const QString passwords = filePath(m_folder, "passwords");
        QFile::remove(passwords);
        if (QProcess::execute(QStringLiteral("mosquitto_passwd"),
                              {QStringLiteral("-b"), QStringLiteral("-c"), passwords, m_username, m_password})
            != 0) {
            m_error = QStringLiteral("mosquitto_passwd failed");
            return false;
        }
        QFile::setPermissions(passwords, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        configuration += QStringLiteral("password_file %1\n").arg(passwords);
    }
    QFile file(filePath(m_folder, "broker.conf"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(configuration.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the broker configuration");
        return false;
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
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
                      QString::number(m_port), QStringLiteral("-q"), QStringLiteral("2"), QStringLiteral("-t"), topic,
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

void MosquittoBroker::signalBroker(int signal)
{
    const qint64 pid = m_process.processId();
    if (pid > 0)
        ::kill(pid_t(pid), signal);
}
