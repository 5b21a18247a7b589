#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// Switches the C library's number formatting (LC_NUMERIC) to a locale whose decimal separator is
// a comma, as a German user's is, for as long as it lives; the previous locale comes back after.
// The locale is compiled into a temporary folder, so the machine needs no generated locales.
// Test thread only.
class DecimalCommaLocale final
{
public:
    DecimalCommaLocale();
    ~DecimalCommaLocale();
    DecimalCommaLocale(const DecimalCommaLocale &) = delete;
    DecimalCommaLocale &operator=(const DecimalCommaLocale &) = delete;

    // False when the locale could not be made or installed.
    bool isActive() const { return m_active; }

private:
    QTemporaryDir m_folder;
    QByteArray m_previous;
    bool m_active = false;
};
