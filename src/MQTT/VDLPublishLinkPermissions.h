#pragma once

#include <QString>

// Which servers the user lets links publish to without asking ("Always allow for this server"),
// kept in the preferences under "VDLPublishLinksAlwaysAllowed" as "host:port" texts.
//
// A link that publishes (mqtt://…?value=…&publish=1) can come from any web page or chat
// message; unless its server is listed here, the publish window asks before it sends.
//
// GUI thread.
namespace VDLPublishLinkPermissions {

bool isAlwaysAllowed(const QString &host, int port);
void setAlwaysAllowed(const QString &host, int port, bool allowed);

} // namespace VDLPublishLinkPermissions
