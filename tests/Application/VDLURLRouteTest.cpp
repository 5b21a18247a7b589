#include "LogCapture.h"
#include "VDLURLRoute.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(route("mqtt://h/t?publish=yes").publishNow());
    EXPECT_FALSE(route("mqtt://h/t?publish=0").publishNow());
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
    // Schemes are case-insensitive in URLs: the parser has made this one "mqtt" already.
    EXPECT_EQ(route("MQTT://h").target(), VDLURLRoute::Target::Viewer);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Unknown scheme in URL 'tcp://192.0.2.10/x'")).size(), 1);
    EXPECT_EQ(log.beeps(), 0);
    EXPECT_EQ(route("mqtt:///x").target(), VDLURLRoute::Target::None);
}
