#include "VDLMainWindow.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(VDLMainWindow, ShowsWhatWasRequested)
{
    VDLMainWindow empty({});
    empty.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&empty));
    EXPECT_EQ(empty.windowTitle(), QStringLiteral("Vindle"));
    EXPECT_EQ(empty.statusText(), QStringLiteral("No server open"));

    const VDLMainWindow requested({QStringLiteral("mqtt://localhost:1883")});
    EXPECT_EQ(requested.statusText(), QStringLiteral("mqtt://localhost:1883"));
}
