#include "LogCapture.h"
#include "VOKPasteboard.h"
#include "VOKWebBrowser.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Stands in for the desktop's handler of one URL scheme.
class SchemeHandler : public QObject
{
    Q_OBJECT

public:
    QUrl opened;
    QThread *thread = nullptr;

public Q_SLOTS:
    void open(const QUrl &url)
    {
        opened = url;
        thread = QThread::currentThread();
    }
};

} // namespace

TEST(VOKWebBrowser, OpensOnTheGuiThreadWhoeverAsks)
{
    SchemeHandler handler;
    QDesktopServices::setUrlHandler(QStringLiteral("vindle-test"), &handler, "open");
    const QUrl url(QStringLiteral("vindle-test://page#part"));
    std::thread([url] { vokOpenInWebBrowser(url); }).join();
    QTRY_COMPARE(handler.opened, url);
    EXPECT_EQ(handler.thread, QThread::currentThread());
    QDesktopServices::unsetUrlHandler(QStringLiteral("vindle-test"));
}

TEST(VOKWebBrowser, SomethingThatIsNoUrlLogsAndBeeps)
{
    LogCapture log;
    vokOpenInWebBrowser(QStringLiteral("not a url"));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().endsWith(QStringLiteral(": ERROR: Can't produce URL from 'not a url'")));
    EXPECT_EQ(log.beeps(), 1);
}

TEST(VOKPasteboard, CopiesTextAndUrlsFullyEncoded)
{
    vokCopyToPasteboard(QStringLiteral("a/b\nc/d"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a/b\nc/d"));
    vokCopyToPasteboard(QUrl(QStringLiteral("mqtt://h:1/a b")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("mqtt://h:1/a%20b"));
}

#include "VOKWebBrowserTest.moc"
