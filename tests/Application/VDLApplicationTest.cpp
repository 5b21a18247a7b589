#include "LogCapture.h"
#include "VDLApplication.h"
#include "VOKPreferences.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Stands in for the web browser.
class BrowserSpy final : public QObject
{
    Q_OBJECT

public:
    BrowserSpy() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~BrowserSpy() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

// Receives the launcher's badge signal from the session bus.
class BadgeSpy final : public QObject
{
    Q_OBJECT

public:
    QList<QVariantMap> updates;

public Q_SLOTS:
    void update(const QString &, const QVariantMap &properties) { updates.append(properties); }
};

QMessageBox *shownMessageBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

VDLApplication &application()
{
    VDLApplication *const instance = VDLApplication::instance();
    Q_ASSERT(instance);
    return *instance;
}

} // namespace

TEST(VDLApplication, ModifierKeysAreTrackedAndSignalledOnlyWhenTheyChange)
{
    QWidget widget;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QSignalSpy shift(&application(), &VDLApplication::shiftKeyDownChanged);
    QSignalSpy alternate(&application(), &VDLApplication::alternateKeyDownChanged);

    QTest::keyPress(&widget, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(application().shiftKeyDown());
    QTest::keyPress(&widget, Qt::Key_Alt, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_TRUE(application().alternateKeyDown());
    EXPECT_FALSE(application().controlKeyDown());
    EXPECT_FALSE(application().commandKeyDown());
    // Ordinary keys leave the state alone.
    QTest::keyClick(&widget, Qt::Key_A, Qt::NoModifier);
    EXPECT_TRUE(application().shiftKeyDown());
    QTest::keyRelease(&widget, Qt::Key_Alt, Qt::ShiftModifier);
    QTest::keyRelease(&widget, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_FALSE(application().shiftKeyDown());
    EXPECT_EQ(shift.count(), 2);
    EXPECT_EQ(alternate.count(), 2);
}

TEST(VDLApplication, TooltipsComeUpAfterATenthOfASecond)
{
    EXPECT_EQ(VOKPreferences::standard().integerForKey(VDLApplication::ToolTipDelayKey), 100);
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100);
}

TEST(VDLApplication, PagesOpenFromTheResourcesWithTheSendersSection)
{
    BrowserSpy browser;
    QObject section;
    section.setProperty("helpSectionID", QStringLiteral("publishing"));
    VDLApplication::showHelp(&section);
    VDLApplication::showHelp(&application());
    VDLApplication::showAcknowledgements();
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser.opened.size() == 3; }, 5000));

    std::sort(browser.opened.begin(), browser.opened.end(),
              [](const QUrl &a, const QUrl &b) { return a.toString() < b.toString(); });
    EXPECT_TRUE(browser.opened[0].path().endsWith(QStringLiteral("/Acknowledgements.html")));
    EXPECT_TRUE(browser.opened[1].path().endsWith(QStringLiteral("/Help.html")));
    EXPECT_FALSE(browser.opened[1].hasFragment());
    EXPECT_EQ(browser.opened[2].fragment(), QStringLiteral("publishing"));
    QFile page(browser.opened[1].toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("id=\"publishing\""));
    // The pages link to each other and to their style sheet.
    EXPECT_TRUE(QFile::exists(browser.opened[1].toLocalFile().replace(QStringLiteral("Help.html"),
                                                                    QStringLiteral("style.css"))));
    EXPECT_FALSE(VDLApplication::bundlePageUrl(QStringLiteral("Missing")));
}

TEST(VDLApplication, APageNoBrowserOpensIsExplainedInTheApplication)
{
    // Without a browser (none is set up in the tests) the page cannot be shown.
    VDLApplication::showHelp();
    ASSERT_TRUE(QTest::qWaitFor([] { return shownMessageBox() != nullptr; }, 5000));
    QMessageBox *const box = shownMessageBox();
    EXPECT_EQ(box->text(), QStringLiteral("Vindle could not open the page “Help.html”."));
    EXPECT_TRUE(box->informativeText().endsWith(QStringLiteral("/html/Help.html")));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal) << "opened with open(), not in a loop of its own";
    box->close();
}

TEST(VDLApplication, TheBadgeGoesOutAsTheLauncherSignal)
{
    LogCapture log;
    // A desktop without a bus to take the badge: said once, as a warning.
    const QDBusConnection nowhere = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                  QStringLiteral("vindle-test-nowhere"));
    VDLApplication::setAppIconCount(0, nowhere);
    VDLApplication::setAppIconCount(0, nowhere);
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: badgeLabel count failed to set:")).size(), 1);
    EXPECT_EQ(log.lines().size(), 1);

    log.clear();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus to receive the signal";
    BadgeSpy badge;
    ASSERT_TRUE(bus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                            QStringLiteral("Update"), &badge, SLOT(update(QString, QVariantMap))));
    VDLApplication::setAppIconCount(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !badge.updates.isEmpty(); }, 5000));
    EXPECT_EQ(badge.updates.first().value(QStringLiteral("count")).toLongLong(), 3);
    EXPECT_TRUE(badge.updates.first().value(QStringLiteral("count-visible")).toBool());
    EXPECT_TRUE(log.lines().isEmpty());
}

#include "VDLApplicationTest.moc"
