#pragma once

#include <QColor>
#include <QList>
#include <QString>

// The colour vocabulary of the styled-text markup and of the rest of the program.
//
// A colour is "none" when it is invalid (QColor()). Names:
//  - "#RRGGBB" and "#RRGGBBAA", hexadecimal in either case;
//  - the 140 CSS colour keywords, case-sensitive in their CamelCase spelling ("AliceBlue",
//    "DarkGoldenRod"; "red" is not found);
//  - "NSColor:" followed by the name of a system colour ("NSColor:labelColor",
//    "NSColor:systemRedColor"): theme colours follow the application palette, the others are
//    fixed.
//
// The named-colour table and the palette are built once, on first use, and never change. Call
// from the GUI thread (the theme colours read the application palette).

// A hex, named or system colour; none with a WARNING for an unknown name, pure red with an
// ERROR for an unknown system colour.
QColor vokColorNamed(const QString &text);

// "#RRGGBB" or "#RRGGBBAA" (exactly 7 or 9 characters); none otherwise.
QColor vokColorFromHex(const QString &text);

// 18 well-separated colours, in a fixed order.
const QList<QColor> &vokHighContrastColors();
// The palette entry at n modulo 18, so consecutive numbers pick different colours.
QColor vokHighContrastColorForInt(quint64 number);

// Six (eight with alpha) upper-case hex digits without "#"; each component times 255, truncated.
QString vokRgbHexString(const QColor &color);
QString vokRgbaHexString(const QColor &color);
