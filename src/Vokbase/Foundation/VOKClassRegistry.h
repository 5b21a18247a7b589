#pragma once

#include "VOKPlistRepresentation.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

// The model classes that property lists can name with "__CLASS" (or that a reader supplies as a
// default class), by name.
//
// A factory builds the value for one dictionary: for a QObject model class, a new object made
// with its plain constructor and then filled from the dictionary. Objects made are children of
// `parent`; with a null parent the caller owns them. A factory may also answer a plain value
// (the archived sort descriptor answers a VOKSortDescriptor).
//
// Thread safety: registration and lookup may happen on any thread; the factories run on the
// caller's thread.
class VOKClassRegistry
{
public:
    using Factory = std::function<QVariant(const QVariantMap &plist, QObject *parent)>;

    // Registers (or replaces) the factory for a name.
    static void registerFactory(const QString &name, Factory factory);

    // Registers a QObject model class under its C++ class name.
    template <typename Model>
    static void registerClass()
    {
        registerFactory(QString::fromLatin1(Model::staticMetaObject.className()),
                        [](const QVariantMap &plist, QObject *parent) {
                            auto object = std::make_unique<Model>();
                            vokUpdateWithPlistRepresentation(object.get(), plist);
                            object->setParent(parent);
                            return QVariant::fromValue<QObject *>(object.release());
                        });
    }

    // The factory for a name; an empty function when no class has that name.
    static Factory factory(const QString &name);
};
