#include "VDLTLSExplanation.h"

#include <array>

namespace {

struct TLSExplanation
{
    std::array<const char *, 3> substrings;
    const char *explanation;
};

// Tried in this order; the first whose substring the lower-cased message holds explains it.
constexpr std::array<TLSExplanation, 4> tlsExplanations{{
    {{"self signed", "self-signed", nullptr}, "The server is using a self-signed certificate that is not trusted by your system."},
    {{"unable to get local issuer", nullptr, nullptr},
     "The server's certificate was signed by an unknown Certificate Authority (CA)."},
    {{"certificate has expired", "certificate expired", nullptr}, "The server's certificate has expired."},
    {{"hostname mismatch", "host name mismatch", "ip address mismatch"}, "The certificate does not match the server's hostname."},
}};

} // namespace

QString VDLTLSExplanation::forMessage(const QString &message)
{
    const QString lower = message.toLower();
    for (const TLSExplanation &row : tlsExplanations) {
        for (const char *substring : row.substrings) {
            if (substring && lower.contains(QLatin1String(substring)))
                return QString::fromUtf8(row.explanation);
        }
    }
    return QStringLiteral("Certificate verification failed: %1").arg(message);
}
