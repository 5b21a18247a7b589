#include "VOKString.h"


#include <QClipboard>
#include <QGuiApplication>

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

bool vokMayBeString(const QString &text)
{
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r')
            return false;
    }
    return true;
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

void vokCopyToPasteboard(const QString &text)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}
