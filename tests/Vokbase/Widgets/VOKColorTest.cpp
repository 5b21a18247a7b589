#include "LogCapture.h"
#include "VOKColor.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(VOKColor, NamedTableMatchesTheCSSKeywords)
{
    const QStringList names = QStringLiteral(
        "AliceBlue AntiqueWhite Aqua Aquamarine Azure Beige Bisque Black BlanchedAlmond Blue BlueViolet Brown "
        "BurlyWood CadetBlue Chartreuse Chocolate Coral CornflowerBlue Cornsilk Crimson Cyan DarkBlue DarkCyan "
        "DarkGoldenRod DarkGray DarkGreen DarkKhaki DarkMagenta DarkOliveGreen DarkOrange DarkOrchid DarkRed "
        "DarkSalmon DarkSeaGreen DarkSlateBlue DarkSlateGray DarkTurquoise DarkViolet DeepPink DeepSkyBlue DimGray "
        "DodgerBlue FireBrick FloralWhite ForestGreen Fuchsia Gainsboro GhostWhite Gold GoldenRod Gray Green "
        "GreenYellow HoneyDew HotPink IndianRed Indigo Ivory Khaki Lavender LavenderBlush LawnGreen LemonChiffon "
        "LightBlue LightCoral LightCyan LightGoldenRodYellow LightGray LightGreen LightPink LightSalmon "
        "LightSeaGreen LightSkyBlue LightSlateGray LightSteelBlue LightYellow Lime LimeGreen Linen Magenta Maroon "
        "MediumAquaMarine MediumBlue MediumOrchid MediumPurple MediumSeaGreen MediumSlateBlue MediumSpringGreen "
        "MediumTurquoise MediumVioletRed MidnightBlue MintCream MistyRose Moccasin NavajoWhite Navy OldLace Olive "
        "OliveDrab Orange OrangeRed Orchid PaleGoldenRod PaleGreen PaleTurquoise PaleVioletRed PapayaWhip PeachPuff "
        "Peru Pink Plum PowderBlue Purple Red RosyBrown RoyalBlue SaddleBrown Salmon SandyBrown SeaGreen SeaShell "
        "Sienna Silver SkyBlue SlateBlue SlateGray Snow SpringGreen SteelBlue Tan Teal Thistle Tomato Turquoise "
        "Violet Wheat White WhiteSmoke Yellow YellowGreen").split(QLatin1Char(' '));
    ASSERT_EQ(names.size(), 140);
    LogCapture log;
    for (const QString &name : names) {
        // Qt knows the same keywords in lower case, with the standard's values.
        EXPECT_EQ(vokColorNamed(name), QColor::fromString(name.toLower())) << name.toStdString();
        EXPECT_EQ(vokColorNamed(name).alpha(), 255);
    }
    EXPECT_TRUE(log.lines().isEmpty());
    for (const char *missing : {"red", "Grey", "DarkGoldenrod", "RebeccaPurple", ""})
        EXPECT_FALSE(vokColorNamed(QString::fromLatin1(missing)).isValid()) << missing;
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: Unknown color requested: ")).size(), 5);
}

TEST(VOKColor, HexTexts)
{
    struct Case {
        const char *text;
        const char *rgba; // nullptr: not a hex colour
    };
    const Case cases[] = {
        {"#F0F8FF", "F0F8FFFF"}, {"#f0f8ff", "F0F8FFFF"}, {"#FF000080", "FF000080"}, {"#G0Z1a0", "0000A0FF"},
        {"#1G0000", "010000FF"}, {"#ABC", nullptr},      {"F0F8FF0", nullptr},      {"#F0F8FF0", nullptr},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        const QColor color = vokColorFromHex(QString::fromLatin1(c.text));
        EXPECT_EQ(color.isValid(), c.rgba != nullptr) << c.text;
        if (c.rgba) {
            EXPECT_EQ(vokRgbaHexString(color), QString::fromLatin1(c.rgba)) << c.text;
        }
    }
    EXPECT_EQ(vokRgbHexString(vokColorFromHex(QStringLiteral("#F0F8FF"))), QStringLiteral("F0F8FF"));
    EXPECT_EQ(vokColorFromHex(QStringLiteral("#F0F8FF")), vokColorNamed(QStringLiteral("AliceBlue")));
    // Each component is truncated, not rounded.
    EXPECT_EQ(vokRgbaHexString(QColor::fromRgbF(0.5f, 0.999f, 0, 0.5f)), QStringLiteral("7FFE007F"));
}

TEST(VOKColor, HighContrastPalette)
{
    const QList<QColor> &colors = vokHighContrastColors();
    ASSERT_EQ(colors.size(), 18);
    EXPECT_EQ(vokRgbHexString(colors.first()), QStringLiteral("E6194B"));
    EXPECT_EQ(vokRgbHexString(colors.last()), QStringLiteral("808080"));
    EXPECT_EQ(vokHighContrastColorForInt(18), vokHighContrastColorForInt(0));
    for (quint64 n = 0; n < 40; ++n)
        EXPECT_NE(vokHighContrastColorForInt(n), vokHighContrastColorForInt(n + 1));
    EXPECT_EQ(vokHighContrastColorForInt(UINT64_MAX), colors.at(int(UINT64_MAX % 18)));
}
