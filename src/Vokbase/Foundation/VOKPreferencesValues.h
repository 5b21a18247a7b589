#pragma once

#include "VOKObservableValues.h"

class VOKPreferences;

// The preferences seen as a dictionary, so "values.KEY" key paths read and observe one key.
// Owned by its VOKPreferences; GUI thread only.
class VOKPreferencesValues final : public VOKObservableValues
{
    Q_OBJECT

public:
    explicit VOKPreferencesValues(const VOKPreferences &preferences);

    QVariant valueForKey(const QString &key) const override;

private:
    const VOKPreferences &m_preferences;
};
