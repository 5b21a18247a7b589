#include "LogCapture.h"
#include "VDLURLRoute.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

VDLURLRoute route(const char *url)
{
    return VDLURLRoute::fromUrl(QUrl(QString::fromUtf8(url)));
}

QVariantMap viewer(const char *host, int port, const char *path, bool tls)
{
    return {{QStringLiteral("host"), QString::fromUtf8(host)},
            {QStringLiteral("port"), port},
            {QStringLiteral("path"), QString::fromUtf8(path)},
            {QStringLiteral("useTLS"), tls}};
}

} // namespace

TEST(VDLURLRoute, ViewersByHostPortPathAndScheme)
{
    EXPECT_EQ(route("mqtt://192.0.2.10").windowDescription(), viewer("192.0.2.10", 1883, "", false));
    EXPECT_EQ(route("mqtt://192.0.2.10/").windowDescription(), viewer("192.0.2.10", 1883, "", false));
    EXPECT_EQ(route("mqtts://192.0.2.10:1883/home/kitchen/").windowDescription(),
              viewer("192.0.2.10", 1883, "home/kitchen", true));
    EXPECT_EQ(route("mqtts://h").port(), 8883);
    EXPECT_EQ(route("mqtt://h/a%2Fb").path(), QStringLiteral("a/b"));
    EXPECT_EQ(route("mqtt://h/$SYS").path(), QStringLiteral("$SYS"));
    EXPECT_EQ(route("mqtt://h/x?").target(), VDLURLRoute::Target::Viewer);
}

TEST(VDLURLRoute, QueriesOpenAPublishWindow)
{
    const VDLURLRoute lamp = route("mqtt://192.0.2.10/home/lamp/set?value=ON&qos=1&retain=true");
    EXPECT_EQ(lamp.target(), VDLURLRoute::Target::PublishWindow);
    EXPECT_FALSE(lamp.publishNow());
    EXPECT_EQ(lamp.windowDescription(),
              QVariantMap({{QStringLiteral("host"), QStringLiteral("192.0.2.10")},
                           {QStringLiteral("port"), 1883},
                           {QStringLiteral("pm.path"), QStringLiteral("home/lamp/set")},
                           {QStringLiteral("pm.value"), QStringLiteral("ON")},
                           {QStringLiteral("pm.qos"), 1},
                           {QStringLiteral("pm.doRetain"), true}}));

    EXPECT_TRUE(route("mqtt://h/t?value=OFF&publish=1").publishNow());
    EXPECT_FALSE(route("mqtt://h/t?publish").publishNow());
    EXPECT_FALSE(route("mqtt://h/t?publish=1&publish=no").publishNow());

    // Without "=" an item selects the window but sets nothing; "value=" sets the empty text.
    const QVariantMap bare = route("mqtt://192.0.2.10:1883/?value").windowDescription();
    EXPECT_FALSE(bare.contains(QStringLiteral("pm.value")));
    EXPECT_EQ(bare.value(QStringLiteral("pm.path")), QString());
    EXPECT_EQ(route("mqtt://h/t?value=").windowDescription().value(QStringLiteral("pm.value")), QString());
    EXPECT_EQ(route("mqtt://h/t?value=a&value=b").windowDescription().value(QStringLiteral("pm.value")),
              QStringLiteral("b"));
    EXPECT_EQ(route("mqtt://h/t?value=1+1%3D2%26x").windowDescription().value(QStringLiteral("pm.value")),
              QStringLiteral("1+1=2&x"));
}

TEST(VDLURLRoute, UnknownItemsAndSchemesAreReported)
{
    LogCapture log;
    const VDLURLRoute colour = route("mqtt://192.0.2.10/x?colour=red");
    EXPECT_EQ(colour.target(), VDLURLRoute::Target::PublishWindow);
    EXPECT_EQ(colour.windowDescription().value(QStringLiteral("errString")),
              QStringLiteral("Unknown query item 'colour'"));
    EXPECT_EQ(log.beeps(), 1);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": WARNING: Beep: Unknown query item 'colour'")).size(), 1);

    log.clear();
    EXPECT_EQ(route("tcp://192.0.2.10/x").target(), VDLURLRoute::Target::None);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Unknown scheme in URL 'tcp://192.0.2.10/x'")).size(), 1);
    // The scheme is compared exactly, which only the text still allows: a parsed URL has it
    // in lower case already.
    EXPECT_FALSE(VDLURLRoute::urlFromText(QStringLiteral("MQTT://h")));
    EXPECT_FALSE(VDLURLRoute::urlFromText(QStringLiteral("mqtt")));
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Unknown scheme in URL 'MQTT://h'")).size(), 1);
    EXPECT_EQ(VDLURLRoute::urlFromText(QStringLiteral("mqtts://h/a%2Fb")), QUrl(QStringLiteral("mqtts://h/a%2Fb")));
    EXPECT_EQ(log.beeps(), 0);
    EXPECT_EQ(route("mqtt:///x").target(), VDLURLRoute::Target::None);
}

TEST(VDLURLRoute, MalformedPortsAndURLsLeadNowhere)
{
    LogCapture log;
    // The parser refuses these; the default port must not stand in for the one given.
    for (const char *url : {"mqtt://h:65536", "mqtt://h:-1", "mqtt://h:abc", "mqtts://h:99999999999/x?value=1"}) {
        log.clear();
        EXPECT_EQ(route(url).target(), VDLURLRoute::Target::None) << url;
        const QStringList errors = log.linesContaining(QStringLiteral(": ERROR: Invalid URL: "));
        ASSERT_EQ(errors.size(), 1) << url;
        EXPECT_TRUE(errors.first().contains(QString::fromUtf8(url))) << url;
    }

    log.clear();
    EXPECT_EQ(route("mqtt://h:0/x").target(), VDLURLRoute::Target::None);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Invalid port in URL 'mqtt://h:0/x'")).size(), 1);

    log.clear();
    EXPECT_EQ(route("mqtt://").target(), VDLURLRoute::Target::None);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: No host in URL")).size(), 1);

    // What the connection dialog hands over for a text that is no URL at all.
    log.clear();
    EXPECT_EQ(VDLURLRoute::fromUrl(QUrl()).target(), VDLURLRoute::Target::None);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Unknown scheme in URL ''")).size(), 1);

    // The limits themselves and an empty port (the default) are fine.
    EXPECT_EQ(route("mqtt://h:1").port(), 1);
    EXPECT_EQ(route("mqtt://h:65535").port(), 65535);
    EXPECT_EQ(route("mqtts://h:").port(), 8883);
    EXPECT_EQ(log.beeps(), 0);
}

TEST(VDLURLRoute, HostileEncodingsAndSizesAreSurvived)
{
    LogCapture log;
    // Bytes that are not UTF-8 become replacement characters instead of vanishing.
    const VDLURLRoute broken = route("mqtt://h/%FF%FEa?value=%C3%28&%FF=1");
    EXPECT_EQ(broken.path(), QStringLiteral(u"\uFFFD\uFFFDa"));
    EXPECT_EQ(broken.windowDescription().value(QStringLiteral("pm.value")), QStringLiteral(u"\uFFFD("));
    EXPECT_EQ(broken.windowDescription().value(QStringLiteral("errString")),
              QStringLiteral(u"Unknown query item '\uFFFD'"));

    const QString megabyte(1 << 20, QLatin1Char('x'));
    const QString nines(1 << 20, QLatin1Char('9'));
    const QUrl hugeUrl(QStringLiteral("mqtt://h/t?value=%1&qos=%2").arg(megabyte, nines));
    const VDLURLRoute huge = VDLURLRoute::fromUrl(hugeUrl);
    EXPECT_EQ(huge.windowDescription().value(QStringLiteral("pm.value")), megabyte);
    // A number too big for a level stays out of range instead of wrapping round to a valid one.
    EXPECT_EQ(huge.windowDescription().value(QStringLiteral("pm.qos")), std::numeric_limits<int>::max());
    EXPECT_EQ(route("mqtt://h/t?qos=4294967297").windowDescription().value(QStringLiteral("pm.qos")),
              std::numeric_limits<int>::max());
}

TEST(VDLURLRoute, UserInfoLogsInButStaysOutOfDescriptionsAndLogLines)
{
    LogCapture log;
    const VDLURLRoute login = route("mqtt://alice:s%40cret@h:1884/p");
    EXPECT_EQ(login.userName(), QStringLiteral("alice"));
    EXPECT_EQ(login.password(), QStringLiteral("s@cret"));
    EXPECT_EQ(login.windowDescription(), viewer("h", 1884, "p", false));
    EXPECT_TRUE(route("mqtt://bob@h").password().isNull());

    // URLs refused for another reason are logged without their password.
    route("mqtt://alice:s%40cret@h:0/x");
    route("mqtt://alice:s%40cret@h:99x/x");
    VDLURLRoute::urlFromText(QStringLiteral("tcp://alice:s@cret@h/x"));
    ASSERT_EQ(log.lines().size(), 3);
    EXPECT_TRUE(log.linesContaining(QStringLiteral("cret")).isEmpty()) << qPrintable(log.lines().join(QLatin1Char('\n')));
    EXPECT_EQ(log.linesContaining(QStringLiteral("tcp://alice@h/x")).size(), 1);
}
