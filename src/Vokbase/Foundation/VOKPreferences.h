#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>

#include "VOKPreferencesValues.h"

// The user's preferences: typed values (text, integers, booleans, numbers, and lists and
// dictionaries of these) under text keys, kept in a readable JSON file and surviving restarts.
//
// Writes go to disk at once, atomically (a half-written file never replaces a good one).
// Registered defaults answer reads while nothing is stored and are never written. A file that
// cannot be read is moved aside (".corrupt-<time>"), logged, and the store starts empty; when
// it cannot even be moved aside the store keeps values for this run only rather than overwrite
// it.
//
// Observation: valueChanged(key) after every change of a key's value, whoever made it; key
// paths "values.KEY" read and observe single keys through values().
//
// Thread: GUI thread only.
class VOKPreferences final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(VOKPreferencesValues *values READ values CONSTANT)

public:
    // A store over the file (created with its folder on the first write).
    explicit VOKPreferences(const QString &filePath, QObject *parent = nullptr);
    ~VOKPreferences() override;

    // The user's store: "Vindle/Vindle.json" in the user's configuration folder
    // ($XDG_CONFIG_HOME, which tests point at a temporary folder). Created on first use.
    static VOKPreferences &standard();
    static QString standardFilePath();

    QString filePath() const { return m_filePath; }
    // False when the file could not be read or moved aside: values then last for this run.
    bool isPersistent() const { return m_settings != nullptr; }

    // The stored value, else the registered default, else an invalid QVariant.
    QVariant objectForKey(const QString &key) const;
    // Typed reads: the value when it is of that kind, else an empty (null) result.
    QString stringForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;
    QStringList stringArrayForKey(const QString &key) const;
    QVariantMap dictionaryForKey(const QString &key) const;
    // Numbers and numeric text; 0 (false) when absent or not a number.
    qint64 integerForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;

    // Stores the value (an invalid value removes the key). The value is kept as it will read
    // back after a restart: lists of strings become lists, numbers stay numbers.
    void setObject(const QVariant &value, const QString &key);
    void removeObjectForKey(const QString &key);

    // Defaults for keys with no stored value; they last for the run and are never written.
    void registerDefaults(const QVariantMap &defaults);

    // Reads and observes single keys as key paths ("values.VOKRecents").
    VOKPreferencesValues *values() const { return m_values.get(); }

Q_SIGNALS:
    void valueChanged(const QString &key);

private:
    void load();
    bool moveAside(const QString &reason);
    void persist(const QString &key, const QVariant &value);
    void announce(const QString &key, const QVariant &before);

    QString m_filePath;
    QVariantMap m_stored;
    QVariantMap m_defaults;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<VOKPreferencesValues> m_values;
};
