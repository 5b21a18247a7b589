#pragma once

#include <QByteArray>
#include <QString>

// The bytes decoded as UTF-8, or a null string when they are not valid UTF-8 (never a lossy
// decoding). Empty bytes give an empty, non-null string. Callable from any thread.
QString vokUTF8String(const QByteArray &bytes);
