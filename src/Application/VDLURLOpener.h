#pragma once

#include "VDLPublishViewController.h"

#include <QString>
#include <QUrl>

#include <optional>

// Opens an mqtt:// or mqtts:// URL the way the application does: a viewer window for a server
// and path (an open one for the same description comes to the front and selects the URL's
// topic), or for a URL with a query a publish window holding the query's values (an open one
// with the same values comes to the front), which publishes when "publish" says so: at once, or
// as soon as the server's publishing client has connected. A URL comes from outside (a web page,
// a chat message, another program), so unless `links` allows it or the user always allows links
// for the server, the window asks before it publishes.
// A viewer URL's user name and password are stored for the server (as the credential prompt
// stores them) before the viewer connects; a user name alone is offered by its credential prompt.
// GUI thread.
namespace VDLURLOpener {

// Makes the window classes known by name, as presenting and restoring them needs. Idempotent.
void registerWindowClasses();

void open(const QUrl &url, VDLPublishViewController::PublishLinks links = VDLPublishViewController::PublishLinks::Ask);

// The text that hands a URL over with leave to publish without asking, as --allow-publish gives
// it (to this instance or to one already running), and the URL text back from it. Links never
// carry it: the system hands Vindle mqtt:// and mqtts:// URLs only.
QString allowingPublish(const QString &urlText);
std::optional<QString> allowedToPublish(const QString &text);

} // namespace VDLURLOpener
