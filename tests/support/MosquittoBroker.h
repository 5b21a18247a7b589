#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real mosquitto broker for tests, listening on a free port of 127.0.0.1 only, or of ::1 only
// when asked.
//
// Anonymous, or requiring one user name and password; plain, or TLS when asked. It can be stopped
// and started again on the same port to provoke a lost connection, and frozen (SIGSTOP) to stand
// for a broker that no longer answers. The destructor stops it. Main thread only.
class MosquittoBroker
{
public:
    enum class Loopback { IPv4, IPv6 };

    // A TLS listener on port() instead of a plain one. Files are PEM (see TestCertificates). With a
    // caFile the broker also sends that CA along with its certificate, so a client trusting
    // another CA then sees "self-signed certificate in certificate chain" rather than "unable to
    // get local issuer certificate". requireCertificate needs the caFile that signs the client
    // certificates. A client certificate never stands for a user name.
    struct Tls
    {
        QString certFile;
        QString keyFile;
        QString caFile;
        bool requireCertificate = false;
    };

    explicit MosquittoBroker(Loopback loopback = Loopback::IPv4);
    MosquittoBroker(const QString &username, const QString &password);
    ~MosquittoBroker();

    MosquittoBroker(const MosquittoBroker &) = delete;
    MosquittoBroker &operator=(const MosquittoBroker &) = delete;

    // Starts the broker and waits until it accepts connections. The first start picks the port;
    // later starts reuse it. On failure errorString() says why.
    bool start();
    // Picks the port without starting, for clients that are to find the broker only later.
    int choosePort();
    // SIGTERM, then waits for the process to end.
    void stop();
    void freeze();
    void thaw();
    // Takes effect at the next start(), so a test can stop the broker and start it again on the
    // same port with another certificate. A Tls without a certFile means plain again.
    void setTls(const Tls &tls) { m_tls = tls; }

    // mosquitto started as root reads its files as the user "mosquitto": makes the folder and the
    // files in it readable by everyone.
    static void shareFolder(const QString &folder);

    // The first message a fresh subscriber receives on the topic (the retained one, when there is
    // one), printed without a line end in the mosquitto_sub format; "(no answer)" when none
    // comes within ten seconds. Waiting for the last of several retained messages one client
    // published shows that the broker stores all of them. Works for TLS brokers too, through a
    // plain listener of their own.
    QByteArray firstMessage(const QString &topic, const QString &format = QStringLiteral("%p")) const;

    int port() const { return m_port; }
    QString errorString() const { return m_error; }

private:
    bool writeConfiguration();
    bool startOnce();
    QString listenerConfiguration();
    bool waitUntilListening();
    void signalBroker(int signal);

    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_username;
    QString m_password;
    QString m_error;
    Tls m_tls;
    Loopback m_loopback = Loopback::IPv4;
    int m_port = 0;
    int m_subscriberPort = 0;
};
