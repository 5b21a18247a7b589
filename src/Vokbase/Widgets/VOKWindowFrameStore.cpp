#include "VOKWindowFrameStore.h"

#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKPreferences.h"

#include <QVariantList>
#include <QWidget>

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

bool VOKWindowFrameStore::restoreFrame(QWidget &window, const QString &name)
{
    const QVariant stored = VOKPreferences::standard().objectForKey(keyForName(name));
    if (!stored.isValid())
        return false;
    bool restored = false;
    if (stored.metaType() == QMetaType::fromType<QString>()) {
        restored = window.restoreGeometry(QByteArray::fromBase64(stored.toString().toLatin1()));
    } else if (const std::optional<QRect> frame = listedFrame(stored)) {
        window.setGeometry(*frame);
        restored = true;
    }
    if (!restored)
        VOK_ERROR(QStringLiteral("Ignoring unreadable saved frame of window '%1': %2")
                      .arg(name, VOKKeyPath::describe(stored)));
    return restored;
}

std::optional<QRect> VOKWindowFrameStore::listedFrame(const QVariant &stored)
{
    const QVariantList values = stored.toList();
    if (stored.metaType() != QMetaType::fromType<QVariantList>() || values.size() != 4)
        return std::nullopt;
    std::array<int, 4> numbers{};
    for (qsizetype index = 0; index < values.size(); ++index) {
        // Whole numbers only: text or fractions in the file are someone else's data.
        const QVariant &value = values.at(index);
        const double number = value.toDouble();
        if (!isNumber(value) || number != std::trunc(number) || std::abs(number) > MaxCoordinate)
            return std::nullopt;
        numbers[static_cast<size_t>(index)] = static_cast<int>(number);
    }
    const QRect frame(numbers[0], numbers[1], numbers[2], numbers[3]);
    return frame.width() > 0 && frame.height() > 0 ? std::optional(frame) : std::nullopt;
}

void VOKWindowFrameStore::saveFrame(const QWidget &window, const QString &name)
{
    VOKPreferences::standard().setObject(QString::fromLatin1(window.saveGeometry().toBase64()), keyForName(name));
}
