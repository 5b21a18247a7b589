#include "VDLMessageDifference.h"

#include "VDLLineDifference.h"
#include "VOKMarkupEscape.h"

#include "VOKJSON.h"
#include "VOKJSONPrinter.h"
#include "VOKJSONReader.h"
#include "VOKVariant.h"

#include <QStringList>

namespace {

// Collects the lines of a difference up to the limit, then counts what is left out.
class DifferenceLines
{
public:
    void add(const char *colour, const QString &line)
    {
        if (m_lines.size() >= VDLMessageDifference::MaximumLines) {
            ++m_left;
            return;
        }
        const QString text = vokEscapedForMarkup(line);
        m_lines.append(colour ? QStringLiteral("[c:%1]%2[c:]").arg(QLatin1String(colour), text) : text);
    }

    VOKMarkup markup(const QString &whenEmpty) const
    {
        if (m_lines.isEmpty())
            return VOKMarkup(QStringLiteral("[c:Gray]%1[c:]").arg(whenEmpty));
        QString text = m_lines.join(QLatin1Char('\n'));
        if (m_left > 0)
            text += QStringLiteral("\n[c:Gray]… %1 more[c:]").arg(m_left);
        return VOKMarkup(text);
    }

private:
    QStringList m_lines;
    qsizetype m_left = 0;
};

QString cut(const QString &text)
{
    return text.size() > VDLMessageDifference::MaximumValue
        ? text.left(VDLMessageDifference::MaximumValue) + QStringLiteral("…")
        : text;
}

QString valueText(const QVariant &value)
{
    if (vokIsDictionary(value) || vokIsArray(value))
        return cut(QString::fromUtf8(vokJSON(value)));
    // Scalars as JSON writes them, so "1" and 1 read apart.
    return cut(vokPrettyPrintWithIndent(value, 0, false));
}

// Depth first over both objects; keys in sorted order.
void compareObjects(const QVariantMap &before, const QVariantMap &after, const QString &prefix, DifferenceLines &lines)
{
    QStringList keys = before.keys();
    for (const QString &key : after.keys()) {
        if (!before.contains(key))
            keys.append(key);
    }
    std::sort(keys.begin(), keys.end());
    for (const QString &key : std::as_const(keys)) {
        const QString name = prefix + key;
        const QVariant old = before.value(key);
        const QVariant now = after.value(key);
        if (!before.contains(key))
            lines.add("Green", QStringLiteral("+ %1: %2").arg(name, valueText(now)));
        else if (!after.contains(key))
            lines.add("Red", QStringLiteral("- %1: %2").arg(name, valueText(old)));
        else if (vokIsDictionary(old) && vokIsDictionary(now))
            compareObjects(old.toMap(), now.toMap(), name + QLatin1Char('.'), lines);
        // Values of two types are alike when JSON writes them alike (1 and 1.0), never "1" and 1.
        else if (old.metaType() != now.metaType() ? valueText(old) != valueText(now) : old != now)
            lines.add("DarkOrange", QStringLiteral("~ %1: %2 → %3").arg(name, valueText(old), valueText(now)));
    }
}

} // namespace

VOKMarkup VDLMessageDifference::between(const VDLMessage &before, const VDLMessage &after)
{
    if (before.type() == VDLPayloadType::JSON && after.type() == VDLPayloadType::JSON) {
        const QVariant old = VOKJSONReader::read(before.data(), false);
        const QVariant now = VOKJSONReader::read(after.data(), false);
        if (vokIsDictionary(old) && vokIsDictionary(now))
            return ofObjects(old.toMap(), now.toMap());
    }
    const QString oldText = before.payload();
    const QString newText = after.payload();
    if (before.type() == VDLPayloadType::RawData || after.type() == VDLPayloadType::RawData
        || (oldText.isNull() && !before.data().isEmpty()) || (newText.isNull() && !after.data().isEmpty()))
        return ofBytes(before.data(), after.data());
    return ofLines(oldText, newText);
}

VOKMarkup VDLMessageDifference::ofObjects(const QVariantMap &before, const QVariantMap &after)
{
    DifferenceLines lines;
    compareObjects(before, after, QString(), lines);
    return lines.markup(QStringLiteral("No key changed"));
}

VOKMarkup VDLMessageDifference::ofLines(const QString &before, const QString &after)
{
    DifferenceLines lines;
    for (const VDLLineDifference::Line &line : VDLLineDifference::compare(before.split(QLatin1Char('\n')),
                                                                          after.split(QLatin1Char('\n')))) {
        switch (line.kind) {
        case VDLLineDifference::Kind::Removed:
            lines.add("Red", QStringLiteral("- ") + cut(line.text));
            break;
        case VDLLineDifference::Kind::Added:
            lines.add("Green", QStringLiteral("+ ") + cut(line.text));
            break;
        case VDLLineDifference::Kind::Kept:
            lines.add(nullptr, QStringLiteral("  ") + cut(line.text));
            break;
        case VDLLineDifference::Kind::Skipped:
            lines.add("Gray", QStringLiteral("… %1 unchanged lines").arg(line.text));
            break;
        }
    }
    return lines.markup(QStringLiteral("No line changed"));
}

VOKMarkup VDLMessageDifference::ofBytes(const QByteArray &before, const QByteArray &after)
{
    qsizetype first = 0;
    const qsizetype common = std::min(before.size(), after.size());
    while (first < common && before[first] == after[first])
        ++first;
    if (first == common && before.size() == after.size())
        return VOKMarkup(QStringLiteral("[c:Gray]The same %1 bytes[c:]").arg(before.size()));
    return VOKMarkup(QStringLiteral("%1 bytes before, %2 bytes now; they differ from byte %3 on")
                         .arg(before.size())
                         .arg(after.size())
                         .arg(first));
}
