#pragma once

#include <QUrl>

// Opens an mqtt:// or mqtts:// URL the way the application does: a viewer window for a server
// and path (an open one for the same description comes to the front and selects the URL's
// topic). GUI thread.
namespace VDLURLOpener {

void open(const QUrl &url);

} // namespace VDLURLOpener
