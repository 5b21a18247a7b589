#pragma once

#include <QString>

class VDLClient;

// What a viewer client tells the window that shows its tree. The client passes itself first.
// The first three calls must be answered; the others are optional and do nothing by default.
// Every call arrives on the GUI thread. The client does not own its delegate: a delegate that is
// a QObject is forgotten when destroyed, any other must outlive the client.
class VDLClientDelegate
{
public:
    virtual ~VDLClientDelegate() = default;

    // Around every change of the tree: one message, or one released batch.
    virtual void clientDataWillChange(VDLClient *client) = 0;
    virtual void clientDataDidChange(VDLClient *client) = 0;
    // After each connect whose subscription was accepted.
    virtual void clientDidConnectWithPath(VDLClient *client, const QString &path) = 0;

    // The broker's refusal code, 0 for a lost connection, or the library's result negated when
    // the connection could not even be requested (-3: the host name is not valid, -15: it cannot
    // be resolved). The client's connectionError names the cause.
    virtual void clientConnectionFailedWithReason(VDLClient *, int /*reason*/) {}
    virtual void clientRequestsCredentialPrompt(VDLClient *) {}
    virtual void clientRequestsmTLSPrompt(VDLClient *) {}
    // Why the server's certificate failed verification (see VOKMosquittoClient::clientTLSError);
    // the client's presentedCertificate() shows what the server presented.
    virtual void clientTLSErrorOccurred(VDLClient *, const QString & /*text*/) {}
    virtual void clientMTLSRequired(VDLClient *, const QString & /*text*/) {}
    virtual void clientTLSSetupFailed(VDLClient *, const QString & /*text*/) {}
    // The client key is encrypted and no stored passphrase opens it (rejected: one was stored).
    virtual void clientKeyPassphraseRequired(VDLClient *, bool /*rejected*/) {}
};
