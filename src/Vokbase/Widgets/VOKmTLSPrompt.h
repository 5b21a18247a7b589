#pragma once

#include <QString>

#include <functional>

class QFileDialog;
class QMessageBox;
class QWidget;

// The sheet that explains client certificates (mutual TLS) and lets the user pick a certificate
// and then its private key, each in a file sheet, or - when one is configured - clear the
// configuration. It stores nothing: the caller saves the choice and reconnects.
//
// GUI thread.
class VOKmTLSPrompt
{
public:
    enum Choice { Cancelled = 0, UseCertificate = 1, ClearConfiguration = 2 };
    // The choice, and with UseCertificate the two chosen paths (else null).
    using Completion = std::function<void(int choice, const QString &certificatePath, const QString &keyPath)>;
    // A chosen file's path, or null.
    using PathCompletion = std::function<void(const QString &path)>;

    VOKmTLSPrompt() = delete;

    // The paths of the configured certificate and key, or empty. The completion runs exactly
    // once, after the sheet and the file sheets that may follow it closed; a window that goes
    // away first ends it as cancelled. Answers the alert, which the window owns until it deletes
    // itself.
    static QMessageBox *showForWindow(QWidget *window, const QString &currentCertPath, const QString &currentKeyPath,
                                      Completion completion);
    static QFileDialog *selectCertificateForWindow(QWidget *window, PathCompletion completion);
    static QFileDialog *selectKeyForWindow(QWidget *window, PathCompletion completion);

    // The alert's informative text, naming the configured files when there are any.
    static QString informativeText(const QString &currentCertPath, const QString &currentKeyPath);
};
