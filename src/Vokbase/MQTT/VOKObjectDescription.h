#pragma once

#include <QString>

// The default description of an object in log lines and descriptions: "<ClassName: 0x55d0c1a2b3c0>".
// Callable from any thread.
QString vokObjectDescription(const char *className, const void *object);

// The text for a value in a description: the text itself, or "(null)" for none.
QString vokDescriptionText(const QString &text);
