#include "VDLTLSExplanation.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

TEST(VDLTLSExplanation, ExplainsByTheFirstMatchingRow)
{
    const QList<std::pair<QString, QString>> table{
        {QStringLiteral("SSL routines: self signed certificate in chain"),
         QStringLiteral("The server is using a self-signed certificate that is not trusted by your system.")},
        {QStringLiteral("Self-Signed"), QStringLiteral("The server is using a self-signed certificate that is not trusted by your system.")},
        {QStringLiteral("unable to get local issuer certificate"),
         QStringLiteral("The server's certificate was signed by an unknown Certificate Authority (CA).")},
        {QStringLiteral("Certificate Has Expired"), QStringLiteral("The server's certificate has expired.")},
        {QStringLiteral("certificate expired; self signed"),
         QStringLiteral("The server is using a self-signed certificate that is not trusted by your system.")},
        {QStringLiteral("Host name mismatch"), QStringLiteral("The certificate does not match the server's hostname.")},
        {QStringLiteral("IP address mismatch"), QStringLiteral("The certificate does not match the server's hostname.")},
        {QStringLiteral("Handshake Failure"), QStringLiteral("Certificate verification failed: Handshake Failure")},
    };
    for (const auto &[message, explanation] : table)
        EXPECT_EQ(VDLTLSExplanation::forMessage(message), explanation) << qPrintable(message);
}
