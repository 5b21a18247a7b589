#pragma once

#include "VDLRepresentedDevicePropertyDefinition.h"
#include "VOKMarkup.h"
#include "VOKPlistObject.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>

// A device definition: the sub-topics that must exist below a node for it to stand for a device
// ("matchPaths"), and how to render the device from the values of its source topics ("format"
// with one "%@" per field, "fields").
//
// Definitions are loaded on first use (thread-safe) from the user's file
// "Vindle/RepresentedDevices.json" in the data folder, then the built-in resource; the user's
// come first and win. A definition is never changed once loaded and stays valid for the life of
// the process, also when the definitions are read again (the process owns them; callers never
// delete one). Matching and rendering read the tree and run on the GUI thread.
class VDLRepresentedDevice final : public VOKPlistObject
{
    Q_OBJECT
    Q_PROPERTY(QString identifier MEMBER m_identifier)
    Q_PROPERTY(QStringList matchPaths MEMBER m_matchPaths)
    Q_PROPERTY(QString format MEMBER m_format)
    Q_PROPERTY(QVariantList fields READ fieldList WRITE setFieldList)

public:
    // Finds the node at a relative path below the node being matched or rendered (the path
    // lookup of the topic tree, which never creates nodes); null when there is none.
    using TopicResolver = std::function<const QObject *(const QString &relativePath)>;

    using VOKPlistObject::VOKPlistObject;

    // Reads the user's file and the built-in list again; what was matched before keeps working.
    // GUI thread, while nothing is being matched.
    static void reloadDefinitions();
    // Every definition, user ones first. Loads them on first use.
    static const QList<const VDLRepresentedDevice *> &allDevices();
    // The largest number of "/"-separated components of any match path; 0 without definitions.
    static int maxMatchDepth();
    // The first definition that matches, or null.
    static const VDLRepresentedDevice *deviceMatching(const TopicResolver &resolve);

    // The user's definition document, or none when the file does not exist.
    static QVariant userDefinitionList();
    // The path of the user's definition file.
    static QString userDefinitionPath();
    // The definitions in a parsed document (children of `parent`); empty when the document is
    // not an array or one of its elements cannot be read.
    static QList<VDLRepresentedDevice *> devicesFromList(const QVariant &document, QObject *parent);

    QString defaultClassNameForArrayPropertyNamed(const QString &name) const override;

    QString identifier() const { return m_identifier; }
    QStringList matchPaths() const { return m_matchPaths; }
    QString format() const { return m_format; }
    QList<const VDLRepresentedDevicePropertyDefinition *> fields() const { return m_fields; }

    // True when every match path resolves.
    bool matches(const TopicResolver &resolve) const;
    // The one-line rendering as markup; none when a required field has no value.
    std::optional<VOKMarkup> render(const TopicResolver &resolve) const;

private:
    QVariantList fieldList() const;
    void setFieldList(const QVariantList &fields);

    QString m_identifier;
    QStringList m_matchPaths;
    QString m_format;
    QList<const VDLRepresentedDevicePropertyDefinition *> m_fields; // children of this object
};
