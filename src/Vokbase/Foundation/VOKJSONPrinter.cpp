#include "VOKJSONPrinter.h"

#include "VOKJSONNumber.h"
#include "VOKLog.h"
#include "VOKVariant.h"
#include "VOKMarkupEscape.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

const QString IndentUnit = QStringLiteral("    ");

bool isNull(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<std::nullptr_t>();
}

bool isNumber(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<VOKJSONNumber>())
        return true;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QString numberText(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<VOKJSONNumber>())
        return value.value<VOKJSONNumber>().text;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        // JSON has no text for infinities and NaN.
        if (!std::isfinite(number))
            return QStringLiteral("null");
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::ULongLong:
        return QString::number(value.toULongLong());
    default:
        return QString::number(value.toLongLong());
    }
}

} // namespace

QString VOKJSONPrinter::print(const QVariant &value, unsigned indent) const
{
    QString out;
    write(out, value, indent);
    return out;
}

QString VOKJSONPrinter::indentString(unsigned level)
{
    return IndentUnit.repeated(level);
}

QString VOKJSONPrinter::quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar character : text) {
        switch (character.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\b': out += QLatin1String("\\b"); break;
        case '\f': out += QLatin1String("\\f"); break;
        default:
            if (character.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += character;
        }
    }
    out += QLatin1Char('"');
    return out;
}

void VOKJSONPrinter::write(QString &out, const QVariant &value, unsigned level) const
{
    const bool container = vokIsDictionary(value) || vokIsArray(value);
    if (container && level > MaxDepth) {
        VOK_ASSERTION(QStringLiteral("JSON nested deeper than %1 levels is not printed").arg(MaxDepth));
        appendColoured(out, "Gray", QStringLiteral("null"), m_highlight);
    } else if (vokIsDictionary(value)) {
        writeDictionary(out, value.toMap(), level);
    } else if (vokIsArray(value)) {
        writeArray(out, value.toList(), level);
    } else {
        writeScalar(out, value, level);
    }
}

void VOKJSONPrinter::writeDictionary(QString &out, const QVariantMap &dictionary, unsigned level) const
{
    // QVariantMap keeps its keys sorted by character code, the order the layout asks for.
    const QString innerIndent = indentString(level + 1);
    out += indentString(level);
    out += QLatin1String("{\n");
    bool first = true;
    for (auto entry = dictionary.constBegin(); entry != dictionary.constEnd(); ++entry) {
        if (!first)
            out += QLatin1String(",\n");
        first = false;
        out += innerIndent;
        appendColoured(out, "Brown", quoted(entry.key()), m_highlight);
        out += QLatin1String(": ");
        write(out, entry.value(), level + 1);
    }
    out += QLatin1Char('\n');
    out += indentString(level);
    out += QLatin1Char('}');
}

void VOKJSONPrinter::writeArray(QString &out, const QVariantList &array, unsigned level) const
{
    const QString innerIndent = indentString(level + 1);
    out += indentString(level);
    out += QLatin1String("[\n");
    for (qsizetype index = 0; index < array.size(); ++index) {
        if (index > 0)
            out += QLatin1String(",\n");
        out += innerIndent;
        write(out, array.at(index), level + 1);
    }
    if (!array.isEmpty())
        out += QLatin1Char('\n');
    out += indentString(level);
    out += QLatin1Char(']');
}

void VOKJSONPrinter::writeScalar(QString &out, const QVariant &value, unsigned level) const
{
    if (value.metaType() == QMetaType::fromType<QString>())
        appendColoured(out, "Green", quoted(value.toString()), m_highlight);
    else if (isNumber(value))
        appendColoured(out, "Blue", numberText(value), m_highlight);
    else if (isNull(value))
        appendColoured(out, "Gray", QStringLiteral("null"), m_highlight);
    else
        out += QStringLiteral("{\n%1}\n").arg(indentString(level));
}

void VOKJSONPrinter::appendColoured(QString &out, const char *colour, const QString &text, bool highlight)
{
    if (!highlight) {
        out += text;
        return;
    }
    out += QLatin1String("[c:") + QLatin1String(colour) + QLatin1Char(']');
    out += vokEscapedForMarkup(text);
    out += QLatin1String("[c:]");
}

QString vokPrettyPrintWithIndent(const QVariant &value, unsigned indent, bool highlight)
{
    return VOKJSONPrinter(highlight).print(value, indent);
}

QString vokPrettyPrint(const QVariant &value)
{
    return vokPrettyPrintWithIndent(value, 0, false);
}
