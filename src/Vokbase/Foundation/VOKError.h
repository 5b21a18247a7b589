#pragma once

#include <QMetaType>
#include <QString>

// The reason for a failure: a domain ("VOKMosquitto"), a code within it, a description for the
// user and, where there is something the user can do, a recovery suggestion.
//
// A plain value; operations that can fail take a trailing `VOKError *error = nullptr` and fill
// it only on failure. Copies share nothing; any thread.
class VOKError
{
    Q_GADGET
    Q_PROPERTY(QString domain READ domain)
    Q_PROPERTY(qint64 code READ code)
    Q_PROPERTY(QString localizedDescription READ localizedDescription)
    Q_PROPERTY(QString localizedRecoverySuggestion READ localizedRecoverySuggestion)

public:
    VOKError() = default;
    VOKError(const QString &domain, qint64 code, const QString &description,
             const QString &recoverySuggestion = QString());

    // True for a default-constructed error that says nothing.
    bool isNull() const { return m_domain.isNull(); }

    QString domain() const { return m_domain; }
    qint64 code() const { return m_code; }
    QString localizedDescription() const { return m_description; }
    // A null string when the error has no suggestion.
    QString localizedRecoverySuggestion() const { return m_recoverySuggestion; }

    // "description (suggestion)" or just the description, for status lines and log messages.
    QString displayText() const;

    // Stores the error where the caller asked for one; a null destination is allowed.
    static void fill(VOKError *destination, const VOKError &error);

    friend bool operator==(const VOKError &, const VOKError &) = default;

private:
    QString m_domain;
    qint64 m_code = 0;
    QString m_description;
    QString m_recoverySuggestion;
};

Q_DECLARE_METATYPE(VOKError)
