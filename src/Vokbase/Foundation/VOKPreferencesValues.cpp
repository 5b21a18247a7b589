#include "VOKPreferencesValues.h"

#include "VOKPreferences.h"

VOKPreferencesValues::VOKPreferencesValues(const VOKPreferences &preferences)
    : m_preferences(preferences)
{
    connect(&preferences, &VOKPreferences::valueChanged, this, &VOKObservableValues::valueChanged);
}

QVariant VOKPreferencesValues::valueForKey(const QString &key) const
{
    return m_preferences.objectForKey(key);
}
