#pragma once

#include "VDLClientDelegate.h"

#include <QObject>
#include <QTextStream>
#include <QTimer>

#include <memory>

class VDLClient;
class VDLTopic;

// `vindle --dump URL`: connects like a viewer, waits until the broker has been quiet for a while
// (or the time is up), prints one line per topic that has messages and stops the event loop with
// the exit code: 0 after printing, 1 when the URL is unusable, the host is not valid or cannot be
// resolved, the broker refuses, the server's certificate fails verification (mqtts:// verifies
// against the system's CAs and the server's stored TLS settings), a client certificate is
// missing or unusable, or no connection came within the time.
//
// A line is: path, payload type, retained flag of the latest message, number of messages,
// summary; tab-separated, in tree order with siblings sorted by name (numbers compared as
// numbers), and with backslash, tab, line feed and carriage return written as \\, \t, \n, \r so
// every topic is one line.
//
// Needs a QCoreApplication; GUI thread. The streams are not owned and must outlive the dump.
class VDLTreeDump : public QObject, private VDLClientDelegate
{
    Q_OBJECT

public:
    struct Options
    {
        QString url;
        int quietMilliseconds = 1000;
        int timeoutSeconds = 10;
    };

    VDLTreeDump(const Options &options, QTextStream &output, QTextStream &errors,
                QObject *parent = nullptr);
    ~VDLTreeDump() override;

    // Starts the connection; the event loop's exit code is the answer.
    void start();

    // The line of one topic, without the line end.
    static QString lineFor(VDLTopic *topic);

private:
    void clientDataWillChange(VDLClient *client) override;
    void clientDataDidChange(VDLClient *client) override;
    void clientDidConnectWithPath(VDLClient *client, const QString &path) override;
    void clientConnectionFailedWithReason(VDLClient *client, int reason) override;
    void clientTLSErrorOccurred(VDLClient *client, const QString &text) override;
    void clientMTLSRequired(VDLClient *client, const QString &text) override;
    void clientTLSSetupFailed(VDLClient *client, const QString &text) override;
    void clientKeyPassphraseRequired(VDLClient *client, bool rejected) override;

    void timeUp();
    void printTree();
    void finish(int exitCode);
    void fail(const QString &message);

    Options m_options;
    QTextStream &m_output;
    QTextStream &m_errors;
    std::unique_ptr<VDLClient> m_client;
    QTimer m_quietTimer;
    QTimer m_timeoutTimer;
    bool m_connected = false;
    bool m_finished = false;
};
