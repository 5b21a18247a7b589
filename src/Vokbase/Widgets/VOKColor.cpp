#include "VOKColor.h"

#include "VOKLog.h"
#include "VOKString.h"

#include <QGuiApplication>
#include <QHash>
#include <QPalette>

#include <charconv>
#include <cmath>

namespace {

struct NamedColor
{
    const char *name;
    QRgb rgb;
};

// The CSS colour keywords (SVG 1.1), without the spellings with "grey".
constexpr NamedColor NamedColors[] = {
    {"AliceBlue", 0xF0F8FF},
    {"AntiqueWhite", 0xFAEBD7},
    {"Aqua", 0x00FFFF},
    {"Aquamarine", 0x7FFFD4},
    {"Azure", 0xF0FFFF},
    {"Beige", 0xF5F5DC},
    {"Bisque", 0xFFE4C4},
    {"Black", 0x000000},
    {"BlanchedAlmond", 0xFFEBCD},
    {"Blue", 0x0000FF},
    {"BlueViolet", 0x8A2BE2},
    {"Brown", 0xA52A2A},
    {"BurlyWood", 0xDEB887},
    {"CadetBlue", 0x5F9EA0},
    {"Chartreuse", 0x7FFF00},
    {"Chocolate", 0xD2691E},
    {"Coral", 0xFF7F50},
    {"CornflowerBlue", 0x6495ED},
    {"Cornsilk", 0xFFF8DC},
    {"Crimson", 0xDC143C},
    {"Cyan", 0x00FFFF},
    {"DarkBlue", 0x00008B},
    {"DarkCyan", 0x008B8B},
    {"DarkGoldenRod", 0xB8860B},
    {"DarkGray", 0xA9A9A9},
    {"DarkGreen", 0x006400},
    {"DarkKhaki", 0xBDB76B},
    {"DarkMagenta", 0x8B008B},
    {"DarkOliveGreen", 0x556B2F},
    {"DarkOrange", 0xFF8C00},
    {"DarkOrchid", 0x9932CC},
    {"DarkRed", 0x8B0000},
    {"DarkSalmon", 0xE9967A},
    {"DarkSeaGreen", 0x8FBC8F},
    {"DarkSlateBlue", 0x483D8B},
    {"DarkSlateGray", 0x2F4F4F},
    {"DarkTurquoise", 0x00CED1},
    {"DarkViolet", 0x9400D3},
    {"DeepPink", 0xFF1493},
    {"DeepSkyBlue", 0x00BFFF},
    {"DimGray", 0x696969},
    {"DodgerBlue", 0x1E90FF},
    {"FireBrick", 0xB22222},
    {"FloralWhite", 0xFFFAF0},
    {"ForestGreen", 0x228B22},
    {"Fuchsia", 0xFF00FF},
    {"Gainsboro", 0xDCDCDC},
    {"GhostWhite", 0xF8F8FF},
    {"Gold", 0xFFD700},
    {"GoldenRod", 0xDAA520},
    {"Gray", 0x808080},
    {"Green", 0x008000},
    {"GreenYellow", 0xADFF2F},
    {"HoneyDew", 0xF0FFF0},
    {"HotPink", 0xFF69B4},
    {"IndianRed", 0xCD5C5C},
    {"Indigo", 0x4B0082},
    {"Ivory", 0xFFFFF0},
    {"Khaki", 0xF0E68C},
    {"Lavender", 0xE6E6FA},
    {"LavenderBlush", 0xFFF0F5},
    {"LawnGreen", 0x7CFC00},
    {"LemonChiffon", 0xFFFACD},
    {"LightBlue", 0xADD8E6},
    {"LightCoral", 0xF08080},
    {"LightCyan", 0xE0FFFF},
    {"LightGoldenRodYellow", 0xFAFAD2},
    {"LightGray", 0xD3D3D3},
    {"LightGreen", 0x90EE90},
    {"LightPink", 0xFFB6C1},
    {"LightSalmon", 0xFFA07A},
    {"LightSeaGreen", 0x20B2AA},
    {"LightSkyBlue", 0x87CEFA},
    {"LightSlateGray", 0x778899},
    {"LightSteelBlue", 0xB0C4DE},
    {"LightYellow", 0xFFFFE0},
    {"Lime", 0x00FF00},
    {"LimeGreen", 0x32CD32},
    {"Linen", 0xFAF0E6},
    {"Magenta", 0xFF00FF},
    {"Maroon", 0x800000},
    {"MediumAquaMarine", 0x66CDAA},
    {"MediumBlue", 0x0000CD},
    {"MediumOrchid", 0xBA55D3},
    {"MediumPurple", 0x9370DB},
    {"MediumSeaGreen", 0x3CB371},
    {"MediumSlateBlue", 0x7B68EE},
    {"MediumSpringGreen", 0x00FA9A},
    {"MediumTurquoise", 0x48D1CC},
    {"MediumVioletRed", 0xC71585},
    {"MidnightBlue", 0x191970},
    {"MintCream", 0xF5FFFA},
    {"MistyRose", 0xFFE4E1},
    {"Moccasin", 0xFFE4B5},
    {"NavajoWhite", 0xFFDEAD},
    {"Navy", 0x000080},
    {"OldLace", 0xFDF5E6},
    {"Olive", 0x808000},
    {"OliveDrab", 0x6B8E23},
    {"Orange", 0xFFA500},
    {"OrangeRed", 0xFF4500},
    {"Orchid", 0xDA70D6},
    {"PaleGoldenRod", 0xEEE8AA},
    {"PaleGreen", 0x98FB98},
    {"PaleTurquoise", 0xAFEEEE},
    {"PaleVioletRed", 0xDB7093},
    {"PapayaWhip", 0xFFEFD5},
    {"PeachPuff", 0xFFDAB9},
    {"Peru", 0xCD853F},
    {"Pink", 0xFFC0CB},
    {"Plum", 0xDDA0DD},
    {"PowderBlue", 0xB0E0E6},
    {"Purple", 0x800080},
    {"Red", 0xFF0000},
    {"RosyBrown", 0xBC8F8F},
    {"RoyalBlue", 0x4169E1},
    {"SaddleBrown", 0x8B4513},
    {"Salmon", 0xFA8072},
    {"SandyBrown", 0xF4A460},
    {"SeaGreen", 0x2E8B57},
    {"SeaShell", 0xFFF5EE},
    {"Sienna", 0xA0522D},
    {"Silver", 0xC0C0C0},
    {"SkyBlue", 0x87CEEB},
    {"SlateBlue", 0x6A5ACD},
    {"SlateGray", 0x708090},
    {"Snow", 0xFFFAFA},
    {"SpringGreen", 0x00FF7F},
    {"SteelBlue", 0x4682B4},
    {"Tan", 0xD2B48C},
    {"Teal", 0x008080},
    {"Thistle", 0xD8BFD8},
    {"Tomato", 0xFF6347},
    {"Turquoise", 0x40E0D0},
    {"Violet", 0xEE82EE},
    {"Wheat", 0xF5DEB3},
    {"White", 0xFFFFFF},
    {"WhiteSmoke", 0xF5F5F5},
    {"Yellow", 0xFFFF00},
    {"YellowGreen", 0x9ACD32},
};

// System colours that follow the theme.
struct ThemeColor
{
    const char *name;
    QPalette::ColorRole role;
};

constexpr ThemeColor ThemeColors[] = {
    {"labelColor", QPalette::WindowText},
    {"secondaryLabelColor", QPalette::PlaceholderText},
    {"textColor", QPalette::Text},
    {"textBackgroundColor", QPalette::Base},
    {"windowBackgroundColor", QPalette::Window},
    {"controlColor", QPalette::Button},
    {"controlTextColor", QPalette::ButtonText},
    {"controlAccentColor", QPalette::Highlight},
    {"selectedTextColor", QPalette::HighlightedText},
    {"selectedTextBackgroundColor", QPalette::Highlight},
    {"selectedContentBackgroundColor", QPalette::Highlight},
    {"alternatingContentBackgroundColor", QPalette::AlternateBase},
    {"linkColor", QPalette::Link},
    {"gridColor", QPalette::Mid},
    {"separatorColor", QPalette::Mid},
    {"shadowColor", QPalette::Shadow},
};

// System colours with fixed values.
constexpr NamedColor FixedSystemColors[] = {
    {"blackColor", 0x000000}, {"whiteColor", 0xFFFFFF}, {"grayColor", 0x808080},
    {"lightGrayColor", 0xAAAAAA}, {"darkGrayColor", 0x555555}, {"redColor", 0xFF0000},
    {"greenColor", 0x00FF00}, {"blueColor", 0x0000FF}, {"cyanColor", 0x00FFFF},
    {"yellowColor", 0xFFFF00}, {"magentaColor", 0xFF00FF}, {"orangeColor", 0xFF8000},
    {"purpleColor", 0x800080}, {"brownColor", 0x996633}, {"systemRedColor", 0xFF3B30},
    {"systemGreenColor", 0x34C759}, {"systemBlueColor", 0x007AFF}, {"systemOrangeColor", 0xFF9500},
    {"systemYellowColor", 0xFFCC00}, {"systemPinkColor", 0xFF2D55}, {"systemPurpleColor", 0xAF52DE},
    {"systemTealColor", 0x5AC8FA}, {"systemIndigoColor", 0x5856D6}, {"systemBrownColor", 0xA2845E},
    {"systemGrayColor", 0x8E8E93},
};

const char *const HighContrastHex[] = {
    "#e6194b", "#3cb44b", "#ffe119", "#0082c8", "#f58231", "#911eb4", "#46f0f0", "#f032e6", "#d2f53c",
    "#fabebe", "#008080", "#aa6e28", "#fffac8", "#aaffc3", "#808000", "#ffd8b1", "#000080", "#808080",
};

const QHash<QString, QColor> &namedColorTable()
{
    static const QHash<QString, QColor> table = [] {
        QHash<QString, QColor> colors;
        for (const NamedColor &entry : NamedColors)
            colors.insert(QString::fromLatin1(entry.name), QColor::fromRgb(entry.rgb));
        return colors;
    }();
    return table;
}

QColor systemColorNamed(const QString &name)
{
    for (const ThemeColor &entry : ThemeColors) {
        if (name == QLatin1String(entry.name))
            return QGuiApplication::palette().color(entry.role);
    }
    for (const NamedColor &entry : FixedSystemColors) {
        if (name == QLatin1String(entry.name))
            return QColor::fromRgb(entry.rgb);
    }
    if (name == QLatin1String("clearColor"))
        return QColor(0, 0, 0, 0);
    return QColor();
}

// The pair of characters at the index read from its leading hex digits (none read as 0).
double componentFromIndex(qsizetype index, const QString &hex)
{
    // Characters beyond Latin-1 become '?', which ends the digits like any other non-digit.
    const QByteArray pair = hex.mid(index, 2).toLatin1();
    unsigned value = 0;
    std::from_chars(pair.constData(), pair.constData() + pair.size(), value, 16);
    return value / 255.0;
}

int truncatedComponent(float component)
{
    // A tiny allowance keeps 8-bit values that went through 16-bit storage exact.
    return int(std::trunc(double(component) * 255.0 + 1e-6));
}

} // namespace

QColor vokColorNamed(const QString &text)
{
    const QColor hex = vokColorFromHex(text);
    if (hex.isValid())
        return hex;
    const QString systemPrefix = QStringLiteral("NSColor:");
    if (text.startsWith(systemPrefix)) {
        const QColor system = systemColorNamed(vokStringByRemovingPrefix(text, systemPrefix));
        if (system.isValid())
            return system;
        VOK_ERROR(QStringLiteral("Can't find color for '%1'").arg(text));
        return QColor(Qt::red);
    }
    const QColor named = namedColorTable().value(text);
    if (!named.isValid())
        VOK_WARNING(QStringLiteral("Unknown color requested: %1").arg(text));
    return named;
}

QColor vokColorFromHex(const QString &text)
{
    if (!text.startsWith(QLatin1Char('#')) || (text.size() != 7 && text.size() != 9))
        return QColor();
    const double alpha = text.size() == 9 ? componentFromIndex(7, text) : 1.0;
    return QColor::fromRgbF(float(componentFromIndex(1, text)), float(componentFromIndex(3, text)),
                            float(componentFromIndex(5, text)), float(alpha));
}

const QList<QColor> &vokHighContrastColors()
{
    static const QList<QColor> colors = [] {
        QList<QColor> palette;
        for (const char *hex : HighContrastHex)
            palette.append(vokColorFromHex(QString::fromLatin1(hex)));
        return palette;
    }();
    return colors;
}

QColor vokHighContrastColorForInt(quint64 number)
{
    const QList<QColor> &colors = vokHighContrastColors();
    return colors.at(qsizetype(number % quint64(colors.size())));
}

QString vokRgbHexString(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return QString::asprintf("%02X%02X%02X", truncatedComponent(rgb.redF()), truncatedComponent(rgb.greenF()),
                             truncatedComponent(rgb.blueF()));
}

QString vokRgbaHexString(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return vokRgbHexString(rgb) + QString::asprintf("%02X", truncatedComponent(rgb.alphaF()));
}
