#include "VDLCommandLine.h"
#include "VDLURLOpener.h"

#include <gtest/gtest.h>

namespace {

VDLCommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("vindle"));
    return VDLCommandLine(arguments);
}

} // namespace

TEST(VDLCommandLine, HelpVersionUrlsAndMistakes)
{
    const VDLCommandLine help = parse({QStringLiteral("-h")});
    EXPECT_EQ(help.action(), VDLCommandLine::Action::ShowHelp);
    EXPECT_TRUE(help.output().startsWith(QStringLiteral("Usage: vindle [options] [URL...]")));
    const VDLCommandLine version = parse({QStringLiteral("--version")});
    EXPECT_EQ(version.action(), VDLCommandLine::Action::ShowVersion);
    EXPECT_EQ(version.output(), QStringLiteral("Vindle %1\n").arg(QStringLiteral(VINDLE_VERSION)));

    const VDLCommandLine run = parse({QStringLiteral("mqtt://a"), QStringLiteral("mqtts://b:8884/x")});
    EXPECT_EQ(run.action(), VDLCommandLine::Action::Run);
    EXPECT_EQ(run.urls(), QStringList({QStringLiteral("mqtt://a"), QStringLiteral("mqtts://b:8884/x")}));
    EXPECT_FALSE(run.newInstance());
    EXPECT_TRUE(parse({QStringLiteral("--new-instance"), QStringLiteral("mqtt://a")}).newInstance());
    const QString link = QStringLiteral("mqtt://h/t?value=1&publish=1");
    EXPECT_EQ(parse({QStringLiteral("--allow-publish"), link, QStringLiteral("mqtt://a")}).urls(),
              QStringList({QStringLiteral("mqtt://a"), VDLURLOpener::allowingPublish(link)}));

    const VDLCommandLine wrong = parse({QStringLiteral("--frobnicate")});
    EXPECT_EQ(wrong.action(), VDLCommandLine::Action::Fail);
    EXPECT_TRUE(wrong.output().contains(QStringLiteral("frobnicate")));
}
