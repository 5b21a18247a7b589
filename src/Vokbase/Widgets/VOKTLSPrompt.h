#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;
struct VOKCertificateInfo;

// The sheet shown when a server's certificate fails verification: a warning with the buttons
// "Import CA Certificate...", "Trust Anyway" and "Cancel", and the certificate the server
// presented (subject, issuer, validity and SHA-256 fingerprint) below the message, so the user
// can compare it with what the server's administrator says before trusting it. Importing asks
// for the CA certificate file in a second sheet. It stores nothing: the caller saves the choice
// and reconnects.
//
// GUI thread.
class VOKTLSPrompt
{
public:
    enum Choice { Cancelled = 0, TrustAnyway = 1, ImportCACertificate = 2 };
    // The choice, and the chosen file's path with ImportCACertificate (else null).
    using Completion = std::function<void(int choice, const QString &caCertificatePath)>;

    VOKTLSPrompt() = delete;

    // The completion runs exactly once, after the sheet and the file sheet that may follow it
    // closed; a window that goes away first ends it as cancelled. A null certificate shows
    // nothing more than the message. Answers the alert, which the window owns until it deletes
    // itself.
    static QMessageBox *showForWindow(QWidget *window, const QString &title, const QString &message,
                                      const VOKCertificateInfo &certificate, Completion completion);
};
