#pragma once

#include <QFont>
#include <QString>

#include <optional>

// The font-making operations the markup's font tag names, in the platform vocabulary:
// "systemFontOfSize:", "systemFontOfSize:weight:", "boldSystemFontOfSize:", "labelFontOfSize:",
// "messageFontOfSize:", "userFontOfSize:", "userFixedPitchFontOfSize:",
// "monospacedSystemFontOfSize:weight:" and "monospacedDigitSystemFontOfSize:weight:".
// Sizes are points (0 or less: the application's default size); weights run from -1 (thinnest)
// through 0 (regular) to 1 (heaviest). Needs a QGuiApplication.

bool vokIsFontOperation(const QString &name);

// The font the operation makes; an unknown name gives the application font.
QFont vokFontFromOperation(const QString &name, double pointSize, std::optional<double> weight);
