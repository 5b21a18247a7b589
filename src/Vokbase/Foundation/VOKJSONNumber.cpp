#include "VOKJSONNumber.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <optional>

namespace {

bool isDigit(char character)
{
    return character >= '0' && character <= '9';
}

// Skips one or more digits; false when there is none.
bool skipDigits(QByteArrayView text, qsizetype &index)
{
    const qsizetype start = index;
    while (index < text.size() && isDigit(text[index]))
        ++index;
    return index > start;
}

// A decimal number as sign, significant digits without leading or trailing zeros, and the
// power of ten of the last digit; zero has no digits. Two texts with equal parts have the
// same value, however they are written.
struct Decimal
{
    bool negative = false;
    QByteArray digits;
    qint64 exponent = 0;

    bool operator==(const Decimal &other) const
    {
        if (digits.isEmpty() || other.digits.isEmpty())
            return digits.isEmpty() && other.digits.isEmpty(); // -0 and 0 are one value
        return negative == other.negative && digits == other.digits && exponent == other.exponent;
    }
};

// Also reads the "e+21" that shortest texts write. None for exponents no number needs.
std::optional<Decimal> decimal(QByteArrayView text)
{
    Decimal number;
    qsizetype index = 0;
    number.negative = index < text.size() && text[index] == '-';
    index += number.negative;
    qint64 fractionDigits = 0;
    bool inFraction = false;
    for (; index < text.size() && (isDigit(text[index]) || text[index] == '.'); ++index) {
        if (text[index] == '.') {
            inFraction = true;
            continue;
        }
        if (!number.digits.isEmpty() || text[index] != '0')
            number.digits.append(text[index]);
        fractionDigits += inFraction;
    }
    if (index < text.size()) { // the exponent
        const QByteArrayView exponent = text.sliced(index + 1);
        const qsizetype skip = !exponent.isEmpty() && exponent[0] == '+';
        if (exponent.size() - skip > 15
            || std::from_chars(exponent.data() + skip, exponent.data() + exponent.size(), number.exponent).ec != std::errc())
            return std::nullopt;
    }
    number.exponent -= fractionDigits;
    while (number.digits.endsWith('0')) {
        number.digits.chop(1);
        ++number.exponent;
    }
    return number;
}

bool isIntegral(QByteArrayView text)
{
    return !text.contains('.') && !text.contains('e') && !text.contains('E');
}

std::optional<qint64> integer(QByteArrayView text)
{
    qint64 value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

// The double with the written value, when there is one.
std::optional<double> exactDouble(QByteArrayView text)
{
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    const std::optional<Decimal> written = decimal(text);
    const std::optional<Decimal> shortest = decimal(QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1());
    if (!written || !shortest || !(*written == *shortest))
        return std::nullopt;
    return value;
}

// Lets a value read from JSON be used like any number, as text or as a double, by code that
// does not know this type.
void registerConversions()
{
    static const bool registered = [] {
        QMetaType::registerConverter<VOKJSONNumber, QString>([](const VOKJSONNumber &number) { return number.text; });
        QMetaType::registerConverter<VOKJSONNumber, double>([](const VOKJSONNumber &number) { return number.text.toDouble(); });
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace

bool VOKJSONNumber::isValid(QByteArrayView text)
{
    qsizetype index = 0;
    if (index < text.size() && text[index] == '-')
        ++index;
    if (index < text.size() && text[index] == '0')
        ++index;
    else if (!skipDigits(text, index))
        return false;
    if (index < text.size() && text[index] == '.') {
        ++index;
        if (!skipDigits(text, index))
            return false;
    }
    if (index < text.size() && (text[index] == 'e' || text[index] == 'E')) {
        ++index;
        if (index < text.size() && (text[index] == '+' || text[index] == '-'))
            ++index;
        if (!skipDigits(text, index))
            return false;
    }
    return index == text.size();
}

QVariant VOKJSONNumber::value(QByteArrayView text)
{
    if (isIntegral(text)) {
        if (const std::optional<qint64> number = integer(text))
            return QVariant::fromValue(*number);
    }
    // Also an integer beyond 64 bits that a double holds exactly: a double's own printed text
    // can look like one (12345678901269017000), and must read back as the same value.
    if (const std::optional<double> number = exactDouble(text))
        return *number;
    registerConversions();
    return QVariant::fromValue(VOKJSONNumber{QString::fromLatin1(text)});
}

QString VOKJSONNumber::shortestText(QByteArrayView text)
{
    const QVariant number = value(text);
    if (number.metaType() == QMetaType::fromType<VOKJSONNumber>())
        return number.value<VOKJSONNumber>().text;
    if (number.metaType() == QMetaType::fromType<double>())
        return QString::number(number.toDouble(), 'g', QLocale::FloatingPointShortest);
    return QString::number(number.toLongLong());
}
