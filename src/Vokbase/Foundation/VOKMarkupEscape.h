#pragma once

#include <QString>

// Keeps data out of the styled-text markup.
//
// Markup is plain text in which "[" opens a tag. Text that comes from data (a payload, a JSON
// string or key, a device value, a topic name) must show exactly as it is, so before it is put
// into markup every "[" is replaced by a private-use marker that the markup parser turns back
// into "[" after it has found the tags. The markers themselves are escaped too, so any text
// survives the round trip. Markup written by the system itself is never escaped.
//
// Pure functions, callable from any thread.

// The data made safe to embed in markup.
QString vokEscapedForMarkup(const QString &data);

// The inverse: what the parser shows for a stretch of text between tags.
QString vokUnescapedFromMarkup(const QString &text);
