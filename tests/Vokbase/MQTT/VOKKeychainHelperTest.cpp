#include "LogCapture.h"
#include "VOKKeychainHelper.h"
#include "VOKMemoryKeychainBackend.h"
#include "VOKSecretServiceKeychainBackend.h"

#include <QUuid>

#include <gtest/gtest.h>

namespace {

const QString service = QStringLiteral("VOKMosquitto:h:1883");

// Runs the same rules against whichever store a test installs.
void expectOneItemPerServiceRules()
{
    EXPECT_TRUE(VOKKeychainHelper::usernameForService(service).isNull());
    EXPECT_TRUE(VOKKeychainHelper::deletePasswordForService(service, QStringLiteral("nobody")));
    EXPECT_TRUE(VOKKeychainHelper::deleteAllPasswordsForService(service));

    EXPECT_TRUE(VOKKeychainHelper::setPassword(QStringLiteral("pw-a"), service, QStringLiteral("a")));
    EXPECT_TRUE(VOKKeychainHelper::setPassword(QStringLiteral("pässwörd b"), service, QStringLiteral("b")));
    EXPECT_EQ(VOKKeychainHelper::usernameForService(service), QStringLiteral("b"));
    EXPECT_EQ(VOKKeychainHelper::passwordForService(service, QStringLiteral("b")), QStringLiteral("pässwörd b"));
    EXPECT_TRUE(VOKKeychainHelper::passwordForService(service, QStringLiteral("a")).isNull());

    EXPECT_TRUE(VOKKeychainHelper::deletePasswordForService(service, QStringLiteral("b")));
    EXPECT_TRUE(VOKKeychainHelper::usernameForService(service).isNull());
}

struct KeychainTest : ::testing::Test
{
    ~KeychainTest() override { VOKKeychainHelper::setBackend(std::make_shared<VOKMemoryKeychainBackend>()); }
};

} // namespace

TEST_F(KeychainTest, KeepsOneItemPerServiceInMemory)
{
    const auto memory = std::make_shared<VOKMemoryKeychainBackend>();
    VOKKeychainHelper::setBackend(memory);
    expectOneItemPerServiceRules();

    VOKKeychainHelper::setPassword(QStringLiteral("x"), service, QStringLiteral("a"));
    VOKKeychainHelper::setPassword(QStringLiteral("y"), QStringLiteral("Vindle:h:1883"), QStringLiteral("a"));
    EXPECT_EQ(memory->items().size(), 2); // services of the viewer and the toolkit stay apart
    EXPECT_TRUE(VOKKeychainHelper::deleteAllPasswordsForService(service));
    EXPECT_EQ(memory->items().size(), 1);
}

TEST_F(KeychainTest, NullArgumentsChangeNothing)
{
    const auto memory = std::make_shared<VOKMemoryKeychainBackend>();
    VOKKeychainHelper::setBackend(memory);
    VOKKeychainHelper::setPassword(QStringLiteral("pw"), service, QStringLiteral("a"));
    EXPECT_FALSE(VOKKeychainHelper::setPassword(QString(), service, QStringLiteral("a")));
    EXPECT_FALSE(VOKKeychainHelper::setPassword(QStringLiteral("pw"), QString(), QStringLiteral("a")));
    EXPECT_FALSE(VOKKeychainHelper::deletePasswordForService(service, QString()));
    EXPECT_FALSE(VOKKeychainHelper::deleteAllPasswordsForService(QString()));
    EXPECT_TRUE(VOKKeychainHelper::passwordForService(QString(), QStringLiteral("a")).isNull());
    EXPECT_EQ(memory->items().size(), 1);
    // An empty password is a password.
    EXPECT_TRUE(VOKKeychainHelper::setPassword(QStringLiteral(""), service, QStringLiteral("a")));
    const QString empty = VOKKeychainHelper::passwordForService(service, QStringLiteral("a"));
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
}

TEST_F(KeychainTest, WithoutASecretServiceWarnsOnceAndKeepsCredentialsInMemory)
{
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("XDG_RUNTIME_DIR");
    LogCapture log;
    VOKKeychainHelper::setBackend(nullptr);
    EXPECT_TRUE(VOKKeychainHelper::setPassword(QStringLiteral("secret-pw"), service, QStringLiteral("a")));
    EXPECT_EQ(VOKKeychainHelper::passwordForService(service, QStringLiteral("a")), QStringLiteral("secret-pw"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    qputenv("XDG_RUNTIME_DIR", runtime);

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(QStringLiteral(": WARNING: No Secret Service reachable")));
    EXPECT_FALSE(log.lines().first().contains(QStringLiteral("secret-pw")));
}

TEST_F(KeychainTest, StoresInTheRealSecretService)
{
    QString reason;
    std::shared_ptr<VOKKeychainBackend> secretService = VOKSecretServiceKeychainBackend::connectToService(&reason);
    if (!secretService)
        GTEST_SKIP() << "No Secret Service to test against (" << reason.toStdString()
                     << "); ./test.sh provides one with dbus-run-session and gnome-keyring";
    VOKKeychainHelper::setBackend(secretService);
    // A service name of its own, so nothing a user stored can be touched.
    const QString unique = QStringLiteral("VindleTest:%1:1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
    ASSERT_TRUE(VOKKeychainHelper::setPassword(QStringLiteral("a-pw"), unique, QStringLiteral("a")));
    ASSERT_TRUE(VOKKeychainHelper::setPassword(QStringLiteral("b-pw"), unique, QStringLiteral("b")));
    EXPECT_EQ(VOKKeychainHelper::usernameForService(unique), QStringLiteral("b"));
    EXPECT_EQ(VOKKeychainHelper::passwordForService(unique, QStringLiteral("b")), QStringLiteral("b-pw"));
    EXPECT_TRUE(VOKKeychainHelper::passwordForService(unique, QStringLiteral("a")).isNull());
    EXPECT_TRUE(VOKKeychainHelper::deleteAllPasswordsForService(unique));
    EXPECT_TRUE(VOKKeychainHelper::usernameForService(unique).isNull());
    EXPECT_TRUE(VOKKeychainHelper::deletePasswordForService(unique, QStringLiteral("b")));
}
