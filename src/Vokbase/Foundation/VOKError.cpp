#include "VOKError.h"

VOKError::VOKError(const QString &domain, qint64 code, const QString &description,
                   const QString &recoverySuggestion)
    : m_domain(domain.isNull() ? QStringLiteral("") : domain)
    , m_code(code)
    , m_description(description)
    , m_recoverySuggestion(recoverySuggestion)
{
}

QString VOKError::displayText() const
{
    if (m_recoverySuggestion.isEmpty())
        return m_description;
    return QStringLiteral("%1 (%2)").arg(m_description, m_recoverySuggestion);
}

void VOKError::fill(VOKError *destination, const VOKError &error)
{
    if (destination)
        *destination = error;
}
