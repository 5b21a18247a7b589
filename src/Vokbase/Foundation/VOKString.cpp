#include "VOKString.h"



#include <limits>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Compares two runs of ASCII digits as whole numbers, whatever their length.
int compareDigitRuns(QStringView left, QStringView right)
{
    const auto withoutLeadingZeros = [](QStringView digits) {
        qsizetype start = 0;
        while (start < digits.size() && digits[start] == QLatin1Char('0'))
            ++start;
        return digits.mid(start);
    };
    left = withoutLeadingZeros(left);
    right = withoutLeadingZeros(right);
    if (left.size() != right.size())
        return left.size() < right.size() ? -1 : 1;
    // Equal lengths of plain digits: the code-unit order is the numeric order.
    const int order = left.compare(right, Qt::CaseSensitive);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Where the trailing run of ASCII digits starts; the length when there is none.
qsizetype trailingDigitsStart(QStringView text)
{
    qsizetype start = text.size();
    while (start > 0 && isAsciiDigit(text[start - 1]))
        --start;
    return start;
}

} // namespace

QByteArray vokUTF8Data(const QString &text)
{
    return text.toUtf8();
}

QString vokStringByRemovingSuffix(const QString &text, const QString &suffix)
{
    return text.endsWith(suffix) ? text.chopped(suffix.size()) : text;
}

QString vokStringByRemovingPrefix(const QString &text, const QString &prefix)
{
    return text.startsWith(prefix) ? text.mid(prefix.size()) : text;
}

std::optional<VOKStringPair> vokSplitAtFirst(const QString &text, const QString &separator)
{
    if (separator.isEmpty())
        return std::nullopt;
    const qsizetype at = text.indexOf(separator);
    if (at < 0)
        return std::nullopt;
    return VOKStringPair(text.left(at), text.mid(at + 1));
}

std::optional<VOKStringPair> vokSplitTrailingDigits(const QString &text)
{
    const qsizetype start = trailingDigitsStart(text);
    if (start == text.size())
        return std::nullopt;
    return VOKStringPair(text.left(start), text.mid(start));
}

int vokCaseInsensitiveCompareWithTrailingNumber(const QString &text, const QString &other)
{
    // Sorting calls this O(n log n) times: work on views, never allocate.
    const qsizetype myStart = trailingDigitsStart(text);
    const qsizetype theirStart = trailingDigitsStart(other);
    if (myStart < text.size() && theirStart < other.size()
        && QStringView(text).left(myStart) == QStringView(other).left(theirStart))
        return compareDigitRuns(QStringView(text).mid(myStart), QStringView(other).mid(theirStart));
    const int order = QString::compare(text, other, Qt::CaseInsensitive);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

QString vokStringByFillingPlaceholders(QString format, const QStringList &values)
{
    static const QString placeholder = QStringLiteral("%@");
    qsizetype from = 0;
    for (const QString &value : values) {
        const qsizetype at = format.indexOf(placeholder, from);
        if (at < 0)
            break;
        format.replace(at, placeholder.size(), value);
        from = at + value.size();
    }
    return format;
}

bool vokMayBeString(const QString &text)
{
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r')
            return false;
    }
    return true;
}

namespace {

// The text after leading white space and an optional sign; the sign in `negative`.
QStringView afterSign(QStringView text, bool *negative)
{
    qsizetype index = 0;
    while (index < text.size() && text[index].isSpace())
        ++index;
    *negative = false;
    if (index < text.size() && (text[index] == QLatin1Char('+') || text[index] == QLatin1Char('-'))) {
        *negative = text[index] == QLatin1Char('-');
        ++index;
    }
    return text.mid(index);
}

} // namespace

bool vokBoolValue(const QString &text)
{
    bool negative = false;
    QStringView rest = afterSign(text, &negative);
    while (!rest.isEmpty() && rest.front() == QLatin1Char('0'))
        rest = rest.mid(1);
    if (rest.isEmpty())
        return false;
    const QChar first = rest.front();
    return first == QLatin1Char('Y') || first == QLatin1Char('y') || first == QLatin1Char('T')
        || first == QLatin1Char('t') || (first >= QLatin1Char('1') && first <= QLatin1Char('9'));
}

qint64 vokIntegerValue(const QString &text)
{
    bool negative = false;
    const QStringView rest = afterSign(text, &negative);
    qint64 value = 0;
    for (const QChar character : rest) {
        if (!isAsciiDigit(character))
            break;
        const int digit = character.unicode() - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::optional<QUrl> vokUrl(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

QUrl vokFileUrl(const QString &path)
{
    return QUrl::fromLocalFile(path);
}

QString vokStringOnOneLine(QString text)
{
    for (QChar &character : text) {
        const char16_t unit = character.unicode();
        if (unit == u'\n' || unit == u'\r' || unit == 0x0B || unit == 0x0C || unit == 0x85 || unit == 0x2028
            || unit == 0x2029)
            character = QLatin1Char(' ');
    }
    return text;
}

QString vokPercentEncoded(const QString &text, const QByteArray &keep)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, keep));
}
