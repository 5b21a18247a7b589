#include "VOKWindowFrameStore.h"

#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKPreferences.h"

#include <QVariantList>

#include <array>
#include <cmath>

namespace {

// Far beyond any screen, small enough that sums of coordinates stay within int.
constexpr double MaxCoordinate = 1 << 24;

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

QString VOKWindowFrameStore::keyForName(const QString &name)
{
    return QStringLiteral("VOKWindowFrame %1").arg(name);
}

std::optional<QRect> VOKWindowFrameStore::savedFrame(const QString &name)
{
    const QVariant stored = VOKPreferences::standard().objectForKey(keyForName(name));
    if (!stored.isValid())
        return std::nullopt;
    const QVariantList values = stored.toList();
    std::array<int, 4> numbers{};
    bool readable = stored.metaType() == QMetaType::fromType<QVariantList>() && values.size() == 4;
    for (qsizetype index = 0; readable && index < values.size(); ++index) {
        // Whole numbers only: text or fractions in the file are someone else's data.
        const QVariant &value = values.at(index);
        const double number = value.toDouble();
        readable = isNumber(value) && number == std::trunc(number) && std::abs(number) <= MaxCoordinate;
        numbers[static_cast<size_t>(index)] = static_cast<int>(number);
    }
    const QRect frame(numbers[0], numbers[1], numbers[2], numbers[3]);
    if (!readable || frame.width() <= 0 || frame.height() <= 0) {
        VOK_ERROR(QStringLiteral("Ignoring unreadable saved frame of window '%1': %2")
                      .arg(name, VOKKeyPath::describe(stored)));
        return std::nullopt;
    }
    return frame;
}

void VOKWindowFrameStore::saveFrame(const QString &name, const QRect &frame)
{
    VOKPreferences::standard().setObject(QVariantList{frame.x(), frame.y(), frame.width(), frame.height()},
                                         keyForName(name));
}
