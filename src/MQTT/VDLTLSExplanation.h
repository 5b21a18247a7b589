#pragma once

#include <QString>

// Why a server's certificate failed verification, in the user's words, from OpenSSL's reason or
// the library's error line: self-signed, unknown CA, expired and host-name mismatch are told
// apart; anything else is quoted. Any thread.
class VDLTLSExplanation
{
public:
    VDLTLSExplanation() = delete;

    static QString forMessage(const QString &message);
};
