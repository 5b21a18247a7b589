#pragma once

#include <QUrl>

// Opens an mqtt:// or mqtts:// URL the way the application does: a viewer window for a server
// and path (an open one for the same description comes to the front and selects the URL's
// topic), or for a URL with a query a publish window holding the query's values (an open one
// with the same values comes to the front), which publishes when "publish" says so: at once, or
// as soon as the server's publishing client has connected.
// A viewer URL's user name and password are stored for the server (as the credential prompt
// stores them) before the viewer connects; a user name alone is offered by its credential prompt.
// GUI thread.
namespace VDLURLOpener {

// Makes the window classes known by name, as presenting and restoring them needs. Idempotent.
void registerWindowClasses();

void open(const QUrl &url);

} // namespace VDLURLOpener
