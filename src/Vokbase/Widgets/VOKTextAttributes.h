#pragma once

#include "VOKSymbolImage.h"

#include <QColor>
#include <QFont>

#include <optional>

// What an inline attachment character shows: a symbol image, or nothing when its name had none.
struct VOKTextAttachment
{
    std::optional<VOKSymbolImage> image;

    friend bool operator==(const VOKTextAttachment &, const VOKTextAttachment &) = default;
};

// The attributes of a stretch of styled text; also the "style" the markup parser starts from.
// An unset attribute is absent (the view's default applies). A plain value.
struct VOKTextAttributes
{
    std::optional<QColor> foreground;
    std::optional<QColor> background;
    std::optional<QFont> font;
    // Single-line text that ends with an ellipsis when it does not fit.
    bool truncatesTail = false;
    // A right-aligned tab stop at this distance from the line's start (menu lines with a value
    // flush right); applies to the paragraph the characters stand in.
    std::optional<qreal> rightTabStop;
    // Set only on attachment characters (U+FFFC).
    std::optional<VOKTextAttachment> attachment;

    friend bool operator==(const VOKTextAttributes &, const VOKTextAttributes &) = default;
};
