#pragma once

#include <QObject>
#include <QVariant>

// Values attached to an object under opaque keys (the address of a static), owned by the
// object and released when it is destroyed. A std::shared_ptr held in the QVariant keeps its
// target alive exactly as long as the attachment.
//
// Thread: the thread that owns the object.

// The attachment under the key, or an invalid QVariant.
QVariant vokAssociatedObjectForKey(const QObject *object, const void *key);

// Stores the value under the key, but only when it differs from the current attachment. An
// invalid value removes the attachment.
void vokSetAssociatedObject(QObject *object, const QVariant &value, const void *key);
