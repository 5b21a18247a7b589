#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

// Reading values by name and by dot-separated key path ("latestMessage.json.state").
//
// A value answers a key when it is
//  - a QObject with a property (declared or dynamic) of that name, or a VOKObservableValues
//    (which answers every key);
//  - a Q_GADGET value or pointer with a property of that name;
//  - a dictionary (QVariantMap, QVariantHash, QJsonObject), which answers every key;
//  - a list (QVariantList, QStringList, QJsonArray) whose first element answers it, or the list
//    itself for "count", "firstObject" and "lastObject"; other keys map over the elements.
// Values of other types can be made readable with vokRegisterKeyPathUnwrapper.
//
// Thread: the calling thread must be allowed to read the objects involved.

namespace VOKKeyPath {

// Whether the value answers the key.
bool answersKey(const QVariant &object, const QString &key);

// The value for one key, or an invalid QVariant. Lists map over their elements.
QVariant valueForKey(const QVariant &object, const QString &key);

// A short description of a value for log lines.
QString describe(const QVariant &object);

// Lets key paths read a type that is neither a QObject nor a gadget, for example a
// std::shared_ptr holding a gadget: the unwrapper answers the value to read instead.
using Unwrapper = std::function<QVariant(const QVariant &)>;
void registerUnwrapper(QMetaType type, Unwrapper unwrapper);

} // namespace VOKKeyPath

// Walks the key path one component at a time from the object and answers the final value, or an
// invalid QVariant when a component is empty, is not answered, or leads to nothing. With
// warnings on, the first two cases log an ERROR line.
QVariant vokSafeValueForKeyPath(const QVariant &object, const QString &keyPath,
                                bool warnForErrors = true);
QVariant vokSafeValueForKeyPath(const QObject *object, const QString &keyPath,
                                bool warnForErrors = true);

// Registers shared pointers to a gadget type so key paths read through them without copying.
template <typename Gadget>
void vokRegisterSharedGadget()
{
    VOKKeyPath::registerUnwrapper(QMetaType::fromType<std::shared_ptr<const Gadget>>(),
                                  [](const QVariant &value) {
                                      const auto pointer =
                                          value.value<std::shared_ptr<const Gadget>>();
                                      if (!pointer)
                                          return QVariant();
                                      return QVariant::fromValue(const_cast<Gadget *>(pointer.get()));
                                  });
}
