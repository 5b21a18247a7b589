#include "FuzzSupport.h"

#include "VOKLog.h"

void fuzzStartApplication()
{
    static int argc = 1;
    static char name[] = "vindle-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static const auto application = std::make_unique<QGuiApplication>(argc, argv);
    VOKLog::setSink([](const QString &) {});
}
