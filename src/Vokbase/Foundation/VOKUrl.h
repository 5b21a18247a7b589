#pragma once

#include <QString>
#include <optional>

// Helpers on URLs.

// "scheme://host:port" for a server, the start of every URL built from a host and a port. An IPv6
// address is put in brackets (a host bracketed already stays as it is); without a port there is
// no ":port". The host is taken as it is, so callers check the URL they build from it.
QString vokServerUrlString(const QString &scheme, const QString &host, std::optional<int> port);
