#include "VOKFont.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <cmath>
#include <iterator>

namespace {

struct FontOperation
{
    const char *name;
    bool fixedPitch;
    bool bold;
};

constexpr FontOperation Operations[] = {
    {"systemFontOfSize:", false, false},
    {"systemFontOfSize:weight:", false, false},
    {"boldSystemFontOfSize:", false, true},
    {"labelFontOfSize:", false, false},
    {"messageFontOfSize:", false, false},
    {"userFontOfSize:", false, false},
    {"userFixedPitchFontOfSize:", true, false},
    {"monospacedSystemFontOfSize:weight:", true, false},
    {"monospacedDigitSystemFontOfSize:weight:", true, false},
};

const FontOperation *findOperation(const QString &name)
{
    for (const FontOperation &operation : Operations) {
        if (name == QLatin1String(operation.name))
            return &operation;
    }
    return nullptr;
}

// The nearest Qt weight to a platform weight.
QFont::Weight qtWeight(double weight)
{
    struct Step
    {
        double platform;
        QFont::Weight qt;
    };
    constexpr Step Steps[] = {
        {-0.8, QFont::Thin},   {-0.6, QFont::ExtraLight}, {-0.4, QFont::Light},
        {0.0, QFont::Normal},  {0.23, QFont::Medium},     {0.3, QFont::DemiBold},
        {0.4, QFont::Bold},    {0.56, QFont::ExtraBold},  {0.62, QFont::Black},
    };
    const Step *nearest = std::begin(Steps);
    for (const Step &step : Steps) {
        if (std::abs(step.platform - weight) < std::abs(nearest->platform - weight))
            nearest = &step;
    }
    return nearest->qt;
}

} // namespace

bool vokIsFontOperation(const QString &name)
{
    return findOperation(name) != nullptr;
}

QFont vokFontFromOperation(const QString &name, double pointSize, std::optional<double> weight)
{
    const FontOperation *operation = findOperation(name);
    QFont font = operation && operation->fixedPitch ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                                                    : QGuiApplication::font();
    if (pointSize > 0 && std::isfinite(pointSize))
        font.setPointSizeF(pointSize);
    else
        font.setPointSizeF(QGuiApplication::font().pointSizeF());
    if (weight && std::isfinite(*weight))
        font.setWeight(qtWeight(*weight));
    else if (operation && operation->bold)
        font.setWeight(QFont::Bold);
    return font;
}
