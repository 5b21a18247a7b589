// How fast topic names sort with the trailing-number order, on names shaped like a busy
// home-automation broker's: many siblings that differ only in a trailing number, some with
// digit runs too long for 64 bits.
//
// Usage: bench_topic_name_sort [count]   (default 200000 names)

#include "VOKString.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    QRandomGenerator random(42);
    const QStringList stems = {QStringLiteral("sensor"), QStringLiteral("Light"), QStringLiteral("light"),
                               QStringLiteral("zigbee_0x"), QStringLiteral("")};
    QStringList names;
    names.reserve(count);
    for (int index = 0; index < count; ++index) {
        const QString stem = stems[random.bounded(stems.size())];
        QString digits = QString::number(random.bounded(1000000));
        if (index % 50 == 0)
            digits += QStringLiteral("12345678901234567890"); // beyond 64 bits
        names.append(stem + digits);
    }

    QElapsedTimer timer;
    timer.start();
    std::sort(names.begin(), names.end(), [](const QString &left, const QString &right) {
        return vokCaseInsensitiveCompareWithTrailingNumber(left, right) < 0;
    });
    const qint64 elapsed = timer.nsecsElapsed();
    std::printf("sorted %d topic names in %.1f ms (%.0f ns per name)\n", count, elapsed / 1e6,
                double(elapsed) / count);
    return 0;
}
