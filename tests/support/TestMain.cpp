// The main of every test suite: an offscreen QApplication (so widget and event-loop code runs
// without a display) whose configuration and data folders are fresh temporary ones, so no test
// reads or writes the user's real files, and whose credential store is in memory (the test of
// the real Secret Service installs that one itself).

#include "TestApplication.h"
#include "VOKKeychainHelper.h"
#include "VOKMemoryKeychainBackend.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <cstdlib>

__attribute__((weak)) std::unique_ptr<QApplication> makeTestApplication(int &argc, char **argv)
{
    return std::make_unique<QApplication>(argc, argv);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir home;
    if (!home.isValid())
        return EXIT_FAILURE;
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.filePath(QString::fromLatin1(variable)).toLocal8Bit());

    const std::unique_ptr<QApplication> application = makeTestApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VindleTests"));
    VOKKeychainHelper::setBackend(std::make_shared<VOKMemoryKeychainBackend>());
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
